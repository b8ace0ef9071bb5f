// Code pages through the system's converters. The INI code page is the
// system's ANSI code page, the one the profile functions, MessageBoxA and
// ReportEventA use.

#include <string>

#include "platform/CodePage.h"
#include "platform/CodePageDetail.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

namespace {

class WindowsCodePage final : public CodePage {
 public:
  explicit WindowsCodePage(UINT number) : number_(number), name_(codepage::CharsetName(number)) {
    CPINFO info{};
    single_ = ::GetCPInfo(number, &info) && info.MaxCharSize == 1;
  }

  const std::string& Name() const override { return name_; }
  bool SingleByte() const override { return single_; }

  std::string ToUtf8(std::string_view ansi) const override {
    if (ansi.empty()) return {};
    const int size = static_cast<int>(ansi.size());
    int n = ::MultiByteToWideChar(number_, 0, ansi.data(), size, nullptr, 0);
    std::u16string wide(static_cast<size_t>(n), u'\0');
    ::MultiByteToWideChar(number_, 0, ansi.data(), size, reinterpret_cast<wchar_t*>(wide.data()), n);
    return Utf16ToUtf8(wide);
  }

  std::string FromUtf8(std::string_view utf8) const override {
    if (utf8.empty()) return {};
    std::u16string wide = Utf8ToUtf16(utf8);
    const auto* w = reinterpret_cast<const wchar_t*>(wide.data());
    const int size = static_cast<int>(wide.size());
    // No default character given: the code page's own ("?") stands in.
    int n = ::WideCharToMultiByte(number_, 0, w, size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(number_, 0, w, size, out.data(), n, nullptr, nullptr);
    return out;
  }

 private:
  UINT number_;
  std::string name_;
  bool single_ = true;
};

}  // namespace

Result<std::unique_ptr<CodePage>> OpenCodePage(std::string_view name) {
  auto number = codepage::CodePageNumber(name);
  if (!number || !::IsValidCodePage(*number)) {
    return PlatformError{kInvalidSetting, "\"" + std::string(name) + "\" is no code page this system can convert"};
  }
  return std::unique_ptr<CodePage>(std::make_unique<WindowsCodePage>(*number));
}

Status CheckAnsiCodePageSetting() { return Status::Ok(); }

const CodePage& AnsiCodePage() {
  static const WindowsCodePage page(::GetACP());
  return page;
}

}  // namespace velloran
