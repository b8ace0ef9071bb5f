#include "toolkit/win32/pages/EventLogPage.h"

#include "toolkit/core/Pages.h"
#include "toolkit/win32/Dialog.h"

namespace velloran::win32 {

EventLogPage::EventLogPage(PageHost& host) : Page(host, kPageEventLog) {}

void EventLogPage::BuildBody() {
  Declared("chkWriteToEventLog", R(16, 58, 528, 20), kStretchWidth);
}

}  // namespace velloran::win32
