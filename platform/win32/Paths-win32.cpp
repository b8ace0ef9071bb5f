#include <cstdio>
#include <cstdlib>
#include <random>

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

// Windows clients run the engine from the deployment share, never from a
// system folder.
std::string EngineFilesFolder(const std::string& engineFolder) { return engineFolder; }

std::string ExecutableFolder() {
  std::wstring wide(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
    if (n == 0) return ".";
    if (n < wide.size()) {
      wide.resize(n);
      break;
    }
    // Cut short: a long path (\\?\ or a deep share); try with more room.
    if (wide.size() >= 32768) return ".";
    wide.resize(wide.size() * 2);
  }
  const std::string path = FromWide(wide);
  auto slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  // "C:\" keeps its separator: "C:" alone means the drive's current folder.
  if (slash == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, slash);
}

std::vector<std::string> PlainFileNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry{};
  HANDLE find = ::FindFirstFileW(Wide(JoinPath(folder, "*")).c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  constexpr DWORD kLeftOut = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
  do {
    if ((entry.dwFileAttributes & kLeftOut) == 0)
      names.push_back(FromWide(entry.cFileName, wcslen(entry.cFileName)));
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  return names;
}

std::string HostName() {
  wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!::GetComputerNameW(buffer, &size)) return "";
  return FromWide(buffer, size);
}

// The wide environment: values such as a profile path may hold any
// character.
std::string EnvOr(const char* name, std::string_view fallback) {
  const wchar_t* v = ::_wgetenv(Wide(name).c_str());
  return v && *v ? FromWide(v, wcslen(v)) : std::string(fallback);
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

std::string MakePrivateTempFolder(std::string_view prefix) {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) return "";
  // The user's temporary folder is private; a folder made there inherits
  // its access rights. CreateDirectory fails on a name that exists, so a
  // folder planted in advance is never used.
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
    const std::string path = JoinPath(FromWide(buffer, n), std::string(prefix) + suffix);
    if (::CreateDirectoryW(Wide(path).c_str(), nullptr)) return path;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return "";
  }
  return "";
}

}  // namespace velloran
