#include "toolkit/win32/pages/MDACPage.h"

#include <string>

#include "toolkit/core/Branding.h"
#include "toolkit/core/Pages.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/Dialog.h"

namespace velloran::win32 {

MDACPage::MDACPage(PageHost& host) : Page(host, kPageMDAC) {}

void MDACPage::BuildBody() {
  Text(
      "Microsoft Data Access Components (MDAC) is used by Velloran when migrating using the "
      "Active Directory method.  The client computer requires MDAC version 2.5 or newer to "
      "query Active Directory.  Please select the version you would like Velloran to "
      "distribute prior to Migrating printers on the client computer.",
      R(16, 58, 528, 66), lblWizard(2));
  Declared("chkIncludeMDAC", R(16, 130, 400, 20), kStretchWidth);
  for (int i = 0; i < 3; ++i) {
    Declared("optMDACVersion(" + std::to_string(i) + ")", R(36, 156 + 24 * i, 508, 20),
             kStretchWidth, {}, i == 0 ? WS_GROUP | WS_TABSTOP : 0);
  }
  Text(
      "You do not need this option if all of the client computers are running Windows 2000 or "
      "later. If in doubt, do not deploy MDAC; if errors are returned, try the latest version "
      "of MDAC (2.8).",
      R(16, 236, 528, 48), lblWizard(4));
  Text(std::string("For further information, go to ") + kMDACInformationAddress,
       R(16, 290, 528, 36), lblWizard(3));
  // The next control starts a new group, so the options end here.
  Button(cmdDeployNow(1), "&Deploy Now", R(436, 334, 108, 28), kRight, WS_GROUP);
}

bool MDACPage::OnCommand(int id, int code, HWND control) {
  if (code == BN_CLICKED && id == cmdDeployNow(1)) {
    host_.DeployNow();
    return true;
  }
  return Page::OnCommand(id, code, control);
}

}  // namespace velloran::win32
