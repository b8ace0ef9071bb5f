#include "toolkit/win32/pages/DeploymentPage.h"

#include "toolkit/core/Pages.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/Dialog.h"

namespace velloran::win32 {

DeploymentPage::DeploymentPage(PageHost& host) : Page(host, kPageDeployment) {}

void DeploymentPage::BuildBody() {
  Text(
      "** NOTE ** This INI file deployment is currently using an Active Directory "
      "configuration. Please review the information on the Deployment - MDAC step "
      "before deploying your solution.",
      R(16, 58, 528, 48), lblWizard(1), kBoldFont);
  Declared("txtNetworkSharePath", R(170, 118, 330, 24), kStretchWidth, R(16, 121, 150, 20));
  Button(cmdBrowseDeployment, "...", R(508, 117, 36, 26), kRight);
  Declared("chkBatchFile", R(16, 154, 300, 20), kStretchWidth);
  Declared("chkCreateHTML", R(16, 180, 300, 20), kStretchWidth);
  Declared("chkDriverScript", R(16, 206, 400, 20), kStretchWidth);
  Button(cmdDeployNow(0), "&Deploy Now", R(436, 220, 108, 28), kRight);
}

void DeploymentPage::Show(bool shown) {
  Page::Show(shown);
  // The note is for Active Directory documents only.
  if (shown && !activeDirectory_) ShowWindow(Control(lblWizard(1)), SW_HIDE);
}

void DeploymentPage::ShowMode(bool activeDirectory) {
  Page::ShowMode(activeDirectory);
  activeDirectory_ = activeDirectory;
}

bool DeploymentPage::OnCommand(int id, int code, HWND control) {
  if (code == BN_CLICKED && id == cmdBrowseDeployment) {
    host_.Browse("txtNetworkSharePath");
    return true;
  }
  if (code == BN_CLICKED && id == cmdDeployNow(0)) {
    host_.DeployNow();
    return true;
  }
  return Page::OnCommand(id, code, control);
}

}  // namespace velloran::win32
