#include "toolkit/qt/pages/EventLogPage.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "toolkit/core/Pages.h"
#include "toolkit/qt/WidgetFactory.h"

namespace velloran {

EventLogPage::EventLogPage(std::function<void()> changed)
    : OptionPage(kPageEventLog, "Notification - Application Event Log", std::move(changed)) {
  QCheckBox* write = widgets::CheckBox(
      "chkWriteToEventLog",
      "&Write sucess and failure messages to the Windows application event log", this);
  Bind(write);
  Body()->addWidget(write);
}

}  // namespace velloran
