#pragma once
// Notification - File Output: the folder and name of the result file.

#include "toolkit/qt/pages/OptionPage.h"

class QPushButton;

namespace velloran {

class FileOutputPage : public OptionPage {
 public:
  explicit FileOutputPage(std::function<void()> changed);
  /// The "..." beside the folder.
  QPushButton* BrowseButton() const { return browse_; }

 private:
  QPushButton* browse_ = nullptr;
};

}  // namespace velloran
