#pragma once
// Small helpers the toolkit's windows share: UTF-8 at the W calls, the
// window's DPI and the fonts drawn at it, and control texts.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace velloran::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

/// The DPI of the monitor the window is on (96 before per-monitor support).
unsigned DpiOf(HWND window);
/// `value` in 96-DPI units at `dpi`.
inline int Scaled(int value, unsigned dpi) { return MulDiv(value, static_cast<int>(dpi), 96); }

/// The system's message font at a DPI, plain, bold and as a page heading.
class Fonts {
 public:
  Fonts() = default;
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;
  ~Fonts() { Release(); }
  void Create(unsigned dpi);
  HFONT Normal() const { return normal_; }
  HFONT Bold() const { return bold_; }
  HFONT Heading() const { return heading_; }

 private:
  void Release();
  HFONT normal_ = nullptr, bold_ = nullptr, heading_ = nullptr;
};

std::string ControlText(HWND control);
/// The lines of a list box, in its order.
std::vector<std::string> ListLines(HWND list);
void SetControlText(HWND control, std::string_view utf8);
bool Checked(HWND button);
void SetChecked(HWND button, bool on);

/// The folder of the running program, without a trailing backslash.
std::string ProgramFolder();

/// A child control of a dialog at `r` (96-DPI units, scaled to `dpi`), in
/// `font`.
HWND AddControl(HWND dialog, unsigned dpi, HFONT font, const wchar_t* windowClass,
                std::string_view text, DWORD style, int id, RECT r, DWORD exStyle = 0);
/// Sizes the dialog's client area (96-DPI units) and centres it on its
/// owner, or on the work area when it has none.
void PlaceDialog(HWND dialog, unsigned dpi, int w, int h);

}  // namespace velloran::win32
