#include "toolkit/win32/pages/ActiveDirectoryPage.h"

#include <commctrl.h>

#include "toolkit/core/Pages.h"
#include "toolkit/win32/Dialog.h"

namespace velloran::win32 {

ActiveDirectoryPage::ActiveDirectoryPage(PageHost& host) : Page(host, kPageActiveDirectory) {}

void ActiveDirectoryPage::BuildBody() {
  Label(CaptionOf("cboDomainName"), R(16, 62, 528, 20), kStretchWidth);
  Declared("cboDomainName", R(16, 86, 300, 200), 0, {},
           CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_TABSTOP);
}

void ActiveDirectoryPage::OfferDomains(const std::vector<std::string>& domains) {
  HWND box = Control("cboDomainName");
  const std::string typed = ControlText(box);
  for (const std::string& domain : domains) {
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(domain).c_str()));
  }
  SetControlText(box, typed);
}

}  // namespace velloran::win32
