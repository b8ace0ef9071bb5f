#pragma once
// Support: where to ask, and the engine's debug file.

#include "toolkit/qt/pages/OptionPage.h"

namespace velloran {

class SupportPage : public OptionPage {
 public:
  /// `openLink` opens the maker's web address.
  SupportPage(std::function<void()> changed, std::function<void()> openLink);
};

}  // namespace velloran
