// The toolkit's entry on Windows: the wizard window and its message loop.

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>

#include "toolkit/win32/DialogService.h"
#include "toolkit/win32/frmWizard.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  using namespace velloran::win32;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // The shell's folder browser needs a single-threaded apartment.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  frmWizard wizard(SystemServices());
  if (!wizard.Create(instance)) return 1;
  ShowWindow(wizard.Handle(), show);
  UpdateWindow(wizard.Handle());
  if (!wizard.Start()) return 0;

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (wizard.TranslateKeyboard(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  CoUninitialize();
  return 0;
}
