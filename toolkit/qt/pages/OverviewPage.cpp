#include "toolkit/qt/pages/OverviewPage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "toolkit/core/Pages.h"
#include "toolkit/qt/WidgetFactory.h"

namespace velloran {

OverviewPage::OverviewPage(int page, const QString& heading, int labelIndex)
    : OptionPage(page, heading, {}) {
  Body()->addWidget(
      Text(QString::fromUtf8(OverviewText(page)), widgets::Indexed("lblNotification", labelIndex)));
}

}  // namespace velloran
