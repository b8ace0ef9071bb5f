#pragma once
// The toolkit's own dialogs: New INI, About and the deployment's progress.

#include <windows.h>

#include <string>

#include "toolkit/win32/Dialog.h"
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
class frmProgress : public Dialog {
 public:
  explicit frmProgress(HWND owner);
  void SetMaximum(int maximum);
  void SetValue(int value);
  int Value() const;
  void SetLabel(const std::string& text);

 private:
  void Build() override;
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace velloran::win32
