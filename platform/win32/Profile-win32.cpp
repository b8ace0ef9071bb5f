// The profile functions are the system's own here: the INI files the engine
// reads are the ones administrators also edit with Windows tools, so the
// API's reading of them is the reference.

#include <algorithm>
#include <limits>

#include "platform/CodePage.h"
#include "platform/profile/Profile.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

namespace {

class WindowsProfile final : public ProfileFunctions {
 public:
  std::string GetString(std::string_view section, std::string_view key, std::size_t bufferSize,
                        const std::string& path) const override {
    if (bufferSize == 0) return {};
    DWORD size =
        static_cast<DWORD>(std::min<std::size_t>(bufferSize, std::numeric_limits<DWORD>::max()));
    std::string buffer(size, '\0');
    std::string s = Utf8ToAnsi(section), k = Utf8ToAnsi(key);
    // The path too is program text: the A function takes it in ANSI.
    DWORD n = ::GetPrivateProfileStringA(s.c_str(), k.c_str(), "", buffer.data(), size,
                                         Utf8ToAnsi(path).c_str());
    buffer.resize(std::min<DWORD>(n, size - 1));
    return AnsiToUtf8(buffer);
  }

  Status WriteString(std::string_view section, std::string_view key, std::string_view value,
                     const std::string& path) override {
    if (!IsSafeProfileWrite(section, key, value)) return Win32Error(ERROR_INVALID_PARAMETER);
    std::string s = Utf8ToAnsi(section), k = Utf8ToAnsi(key), v = Utf8ToAnsi(value);
    if (!::WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), Utf8ToAnsi(path).c_str()))
      return LastWin32Error();
    return Status::Ok();
  }
};

}  // namespace

ProfileFunctions& SystemProfile() {
  static WindowsProfile profile;
  return profile;
}

}  // namespace velloran
