#pragma once
// Deployment - General: the share, what to write there, and Deploy Now.

#include "toolkit/qt/pages/OptionPage.h"

class QLabel;
class QPushButton;

namespace velloran {

class DeploymentPage : public OptionPage {
 public:
  explicit DeploymentPage(std::function<void()> changed);
  /// The heading and the note follow the document's kind.
  void ShowMode(bool activeDirectory);
  QPushButton* BrowseButton() const { return browse_; }
  QPushButton* DeployButton() const { return deploy_; }

 private:
  QLabel* note_ = nullptr;
  QPushButton* browse_ = nullptr;
  QPushButton* deploy_ = nullptr;
};

/// Deploy Now at the foot of a page, as cmdDeployNow(`index`).
QPushButton* AddDeployButton(OptionPage& page, QVBoxLayout* body, int index);

}  // namespace velloran
