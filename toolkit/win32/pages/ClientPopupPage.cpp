#include "toolkit/win32/pages/ClientPopupPage.h"

#include "toolkit/core/Pages.h"
#include "toolkit/win32/Dialog.h"

namespace velloran::win32 {

ClientPopupPage::ClientPopupPage(PageHost& host) : Page(host, kPageClientPopup) {}

void ClientPopupPage::BuildBody() {
  Declared("chkUseNotifyUser", R(16, 58, 400, 20), kStretchWidth);
  Declared("txtSucessMessage", R(36, 82, 508, 110), kStretchWidth);
  Declared("chkNotifyMessageOnFailure", R(16, 206, 400, 20), kStretchWidth);
  Declared("txtFailureMessage", R(36, 230, 508, 110), kStretchWidth);
}

}  // namespace velloran::win32
