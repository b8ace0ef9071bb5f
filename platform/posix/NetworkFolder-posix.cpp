#include "platform/AtomicFile.h"
#include "platform/NetworkFolder.h"

namespace velloran {

std::string LocalFolderPath(std::string_view folder) {
  if (folder.size() < 2 || folder[0] != '\\' || folder[1] != '\\') return std::string(folder);
  auto table = ReadWholeFile("/proc/mounts");
  return LocalFolderPath(folder, table ? std::string_view(*table) : std::string_view());
}

// Linux names a shared folder through its CIFS mount (UNCPathOfLocalFolder).
std::vector<LocalShare> LocalFolderShares() { return {}; }

}  // namespace velloran
