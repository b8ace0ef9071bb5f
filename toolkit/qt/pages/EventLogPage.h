#pragma once
// Notification - Application Event Log.

#include "toolkit/qt/pages/OptionPage.h"

namespace velloran {

class EventLogPage : public OptionPage {
 public:
  explicit EventLogPage(std::function<void()> changed);
};

}  // namespace velloran
