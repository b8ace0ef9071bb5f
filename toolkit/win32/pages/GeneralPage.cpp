#include "toolkit/win32/pages/GeneralPage.h"

#include <commctrl.h>

#include "toolkit/core/Pages.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/Dialog.h"

namespace velloran::win32 {

GeneralPage::GeneralPage(PageHost& host) : Page(host, kPageGeneral) {}

void GeneralPage::BuildBody() {
  Label(CaptionOf("cboConfigurationFileType"), R(16, 64, 200, 20), 0, lblGeneral(kPageSlots));
  HWND type = Declared("cboConfigurationFileType", R(220, 60, 220, 200), 0, {}, CBS_DROPDOWNLIST);
  for (const wchar_t* item : {L"Active Directory", L"Manual Configuration"}) {
    SendMessageW(type, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  // The type is chosen when the document is made; here it is only shown.
  EnableWindow(type, FALSE);
  Declared("chkAlwaysRun", R(16, 100, 300, 20), kStretchWidth);
  Text(
      "Once Velloran has executed sucessfully for a specific INI file on a client machine it "
      "will not run again. By setting this option Velloran will always run even if a success "
      "on a previous execution was acheived.",
      R(36, 124, 508, 60), lblGeneral(kPageSlots + 1));
}

void GeneralPage::ShowMode(bool activeDirectory) {
  Page::ShowMode(activeDirectory);
  SendMessageW(Control("cboConfigurationFileType"), CB_SETCURSEL, activeDirectory ? 0 : 1, 0);
}

}  // namespace velloran::win32
