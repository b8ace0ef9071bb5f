#include "toolkit/win32/Ui.h"

#include <vector>

namespace velloran::win32 {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

unsigned DpiOf(HWND window) {
  // Windows 10's per-window DPI where there is one; the screen's otherwise.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpi && window) {
    if (UINT dpi = getDpi(window)) return dpi;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<unsigned>(dpi) : 96;
}

void Fonts::Create(unsigned dpi) {
  Release();
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  LOGFONTW font = metrics.lfMessageFont;
  // The metrics are those of the primary screen at start; the window's own
  // DPI decides the size.
  const unsigned systemDpi = DpiOf(nullptr);
  font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi));
  if (font.lfHeight == 0) font.lfHeight = -Scaled(12, dpi);
  normal_ = CreateFontIndirectW(&font);
  font.lfWeight = FW_BOLD;
  bold_ = CreateFontIndirectW(&font);
  font.lfHeight = font.lfHeight * 135 / 100;
  heading_ = CreateFontIndirectW(&font);
}

void Fonts::Release() {
  for (HFONT* f : {&normal_, &bold_, &heading_}) {
    if (*f) DeleteObject(*f);
    *f = nullptr;
  }
}

std::vector<std::string> ListLines(HWND list) {
  std::vector<std::string> lines;
  const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    const int length = static_cast<int>(SendMessageW(list, LB_GETTEXTLEN, i, 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    lines.push_back(Utf8(text));
  }
  return lines;
}

std::string ControlText(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return Utf8(text);
}

void SetControlText(HWND control, std::string_view utf8) {
  SetWindowTextW(control, Wide(utf8).c_str());
}

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND button, bool on) {
  SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string ProgramFolder() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      std::wstring full(path.data(), n);
      const size_t slash = full.find_last_of(L"\\/");
      return Utf8(slash == std::wstring::npos ? std::wstring() : full.substr(0, slash));
    }
    path.resize(path.size() * 2);
  }
}

HWND AddControl(HWND dialog, unsigned dpi, HFONT font, const wchar_t* windowClass,
                std::string_view text, DWORD style, int id, RECT r, DWORD exStyle) {
  HWND control = CreateWindowExW(
      exStyle, windowClass, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, Scaled(r.left, dpi),
      Scaled(r.top, dpi), Scaled(r.right - r.left, dpi), Scaled(r.bottom - r.top, dpi), dialog,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// Sizes the dialog's client area and centres it on its owner.
void PlaceDialog(HWND dialog, unsigned dpi, int w, int h) {
  RECT r{0, 0, Scaled(w, dpi), Scaled(h, dpi)};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  RECT owner{};
  HWND parent = GetWindow(dialog, GW_OWNER);
  if (!parent || !GetWindowRect(parent, &owner))
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &owner, 0);
  const int width = r.right - r.left, height = r.bottom - r.top;
  SetWindowPos(dialog, nullptr, owner.left + (owner.right - owner.left - width) / 2,
               owner.top + (owner.bottom - owner.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velloran::win32
