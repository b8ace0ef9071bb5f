#include <cstdlib>

#include "platform/Paths.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && !IsSeparator(out.back())) out += kPathSeparator;
  out += name;
  return out;
}

std::string ExecutableFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return ".";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    // Cut short: a long path (\\?\ or a deep share); try with more room.
    if (path.size() >= 32768) return ".";
    path.resize(path.size() * 2);
  }
  auto slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  // "C:\" keeps its separator: "C:" alone means the drive's current folder.
  if (slash == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, slash);
}

std::vector<std::string> PlainFileNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry{};
  HANDLE find = ::FindFirstFileA(JoinPath(folder, "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  constexpr DWORD kLeftOut = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
  do {
    if ((entry.dwFileAttributes & kLeftOut) == 0) names.emplace_back(entry.cFileName);
  } while (::FindNextFileA(find, &entry));
  ::FindClose(find);
  return names;
}

std::string HostName() {
  char buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof buffer;
  if (!::GetComputerNameA(buffer, &size)) return "";
  return std::string(buffer, size);
}

std::string EnvOr(const char* name, std::string_view fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : std::string(fallback);
}

// The XDG variables are honoured here too, so that scripts and tests set the
// same names everywhere; Windows' own places are the defaults.
std::string UserConfigFolder() {
  return JoinPath(EnvOr("XDG_CONFIG_HOME", EnvOr("APPDATA", ".")), "velloran");
}

std::string UserStateFolder() {
  return JoinPath(EnvOr("XDG_STATE_HOME", EnvOr("LOCALAPPDATA", EnvOr("APPDATA", "."))),
                  "velloran");
}

}  // namespace velloran
