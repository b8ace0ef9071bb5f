#include "platform/win32/Windows-win32.h"

namespace velloran {

std::string SystemMessageText(DWORD code) {
  char* text = nullptr;
  DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n && text ? std::string(text, n) : std::string();
  if (text) ::LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
    out.pop_back();
  return out;
}

PlatformError Win32Error(DWORD code) {
  std::string text = SystemMessageText(code);
  if (text.empty()) text = "Windows error " + std::to_string(code);
  return PlatformError{static_cast<int32_t>(code), text};
}

PlatformError LastWin32Error() { return Win32Error(::GetLastError()); }

}  // namespace velloran
