#pragma once
// Notification, Manual Configuration and Deployment: a heading over the
// core's explanation, no fields.

#include "toolkit/qt/pages/OptionPage.h"

namespace velloran {

class OverviewPage : public OptionPage {
 public:
  /// `labelIndex` numbers the text's label (lblNotification(n)).
  OverviewPage(int page, const QString& heading, int labelIndex);
};

}  // namespace velloran
