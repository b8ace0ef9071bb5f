#include "platform/CodePage.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

std::wstring Wide(std::string_view utf8) {
  std::u16string w = Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

std::string FromWide(const wchar_t* text, size_t length) {
  if (!text || length == 0) return {};
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::string SystemMessageText(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out = n && text ? FromWide(text, n) : std::string();
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
