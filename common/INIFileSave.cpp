#include "common/INIFileSave.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "common/modINIDocument.h"
#include "platform/AtomicFile.h"

namespace velloran {
namespace {

std::string CopyPathBeside(const std::string& path) {
  std::random_device random;
  return path + ".saving-" + std::to_string(random()) + std::to_string(random());
}

}  // namespace

// The profile functions write one key at a time, each a whole-file write of
// its own. So the keys go into a copy beside the file, and the copy's bytes
// replace the file in one atomic write once every key was written.
Status SaveINIFile(ProfileFunctions& profile, const std::string& path, INISettings& record) {
  auto direct = [&] { return INIDocument(profile, path).WriteINISettings(record); };
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  const bool existed = fs::exists(status);
  // A read-only file, a folder or a file that cannot be read: the writer
  // refuses or fails as it would anyway, and says why.
  if (existed && (!fs::is_regular_file(status) || IsReadOnlyFile(path))) return direct();
  std::string old;
  if (existed) {
    auto content = ReadWholeFile(path);
    if (!content) return direct();
    old = std::move(*content);
  }

  const std::string copy = CopyPathBeside(path);
  Status result = WriteFileAtomically(copy, old, 0600, Flush::Lazy);
  if (result.ok()) result = INIDocument(profile, copy).WriteINISettings(record);
  if (result.ok()) {
    auto written = ReadWholeFile(copy);
    result = written ? WriteFileAtomically(path, *written) : Status(written.error());
  }
  fs::remove(copy, error);
  return result;
}

}  // namespace velloran
