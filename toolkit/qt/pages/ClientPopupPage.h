#pragma once
// Notification - Client Pop-Up: the messages shown on success and failure.

#include "toolkit/qt/pages/OptionPage.h"

namespace velloran {

class ClientPopupPage : public OptionPage {
 public:
  explicit ClientPopupPage(std::function<void()> changed);
};

}  // namespace velloran
