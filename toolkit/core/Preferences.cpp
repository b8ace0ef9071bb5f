#include "toolkit/core/Preferences.h"

#include <filesystem>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"

namespace velloran {
namespace {

// Far more than a few choices need; a larger file is not ours.
constexpr size_t kMaxFileSize = 64 * 1024;

}  // namespace

Preferences::Preferences(std::string path) : path_(std::move(path)) {
  if (path_.empty()) return;
  const Result<std::string> text = ReadRegularFile(path_, kMaxFileSize);
  if (!text) return;
  std::string_view rest = *text;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) continue;
    const std::string_view value = line.substr(equals + 1);
    if (value == "1" || value == "0") flags_[std::string(line.substr(0, equals))] = value == "1";
  }
}

bool Preferences::Flag(std::string_view name) const {
  const auto it = flags_.find(name);
  return it != flags_.end() && it->second;
}

Status Preferences::SetFlag(std::string_view name, bool on) {
  flags_[std::string(name)] = on;
  if (path_.empty()) return Status::Ok();
  std::string text;
  for (const auto& [key, value] : flags_) text += key + (value ? "=1\n" : "=0\n");
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
  if (Status written = ReplaceRegularFile(path_, text, 0600); !written.ok()) {
    return PlatformError{written.error().Number, written.error().Description + ": " + path_};
  }
  return Status::Ok();
}

std::string UserPreferencesFile() { return JoinPath(UserConfigFolder(), "toolkit.conf"); }

}  // namespace velloran
