#pragma once
// The toolkit's own dialogs, built in code on an empty dialog template so
// that Windows gives them the dialog keyboard (Tab, mnemonics, Enter, Esc).

#include <windows.h>

#include <string>

#include "toolkit/win32/DialogService.h"

namespace velloran::win32 {

/// frmNewINI, modal. At start-up (`offerExisting`) it also offers an
/// existing file.
NewINIChoice RunNewINIDialog(HWND owner, DialogService& dialogs, bool offerExisting);
/// The same dialog without a modal loop, for tests that drive it by control
/// ID; `result` is filled when Select or Cancel closes it.
HWND CreateNewINIDialog(HWND owner, DialogService& dialogs, bool offerExisting,
                        NewINIChoice* result);

/// Ctrl+Tab and Ctrl+Shift+Tab in the New INI dialog: the next (previous)
/// page. Returns whether the key was taken.
bool TranslateNewINIKeyboard(HWND dialog, const MSG& msg);

/// frmAbout, modal; and without a modal loop for tests.
void RunAboutDialog(HWND owner);
HWND CreateAboutDialog(HWND owner);

/// frmProgress: shown without blocking while a deployment runs.
class frmProgress {
 public:
  explicit frmProgress(HWND owner);
  ~frmProgress();
  frmProgress(const frmProgress&) = delete;
  frmProgress& operator=(const frmProgress&) = delete;
  HWND Handle() const { return hwnd_; }
  void SetMaximum(int maximum);
  void SetValue(int value);
  int Value() const;
  void SetLabel(const std::string& text);

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace velloran::win32
