#include "toolkit/win32/pages/OverviewPage.h"

#include "toolkit/core/Pages.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/Dialog.h"

namespace velloran::win32 {

OverviewPage::OverviewPage(PageHost& host, int page, int labelIndex)
    : Page(host, page), labelIndex_(labelIndex) {}

void OverviewPage::BuildBody() {
  Text(OverviewText(Number()), R(16, 60, 528, 120), lblNotification(labelIndex_));
}

}  // namespace velloran::win32
