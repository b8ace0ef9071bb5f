#pragma once
// The toolkit's dialogs on one base: an empty in-memory template, so that
// the dialog manager gives them the dialog keyboard (Tab, mnemonics, Enter,
// Escape), the object in DWLP_USER, the controls built in WM_INITDIALOG at
// the dialog's own DPI in fonts that belong to the dialog and go with it.

#include <windows.h>

#include <memory>
#include <string_view>

#include "toolkit/win32/Ui.h"

namespace velloran::win32 {

class Dialog {
 public:
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  /// Runs the dialog modally; returns what Close was given.
  INT_PTR RunModal(HWND owner);
  /// Creates the dialog without a modal loop; the object stays the caller's
  /// and outlives the window, which it destroys when it goes first.
  HWND CreateModeless(HWND owner, bool visible);
  /// Creates the dialog without a modal loop and hands the object to its
  /// window: it is deleted when the window is destroyed.
  static HWND Release(std::unique_ptr<Dialog> dialog, HWND owner, bool visible);

  HWND Handle() const { return hwnd_; }
  /// Ends a modal dialog with `result`; destroys a modeless one.
  void Close(INT_PTR result);

 protected:
  explicit Dialog(DWORD style);

  /// Builds the controls; the fonts and the DPI are those of the dialog.
  virtual void Build() = 0;
  /// A message of the dialog after WM_INITDIALOG; FALSE leaves it to the
  /// dialog manager. The base closes on IDOK and IDCANCEL.
  virtual INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);

  unsigned Dpi() const { return dpi_; }
  const Fonts& DialogFonts() const { return fonts_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  /// A control at `r` in 96-DPI units, in the dialog's normal font.
  HWND Add(const wchar_t* windowClass, std::string_view text, DWORD style, int id, RECT r,
           DWORD exStyle = 0);
  /// Sizes the client area (96-DPI units) and centres the dialog on its owner.
  void ClientSize(int w, int h) { PlaceDialog(hwnd_, dpi_, w, h); }

 private:
  static INT_PTR CALLBACK Proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
  HWND Create(HWND owner, bool visible);

  DWORD style_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
  bool ownedByWindow_ = false;
  unsigned dpi_ = 96;
  Fonts fonts_;
};

constexpr RECT R(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

}  // namespace velloran::win32
