#pragma once
// Deployment - MDAC: whether and which data access components go with the
// engine, and Deploy Now.

#include "toolkit/qt/pages/OptionPage.h"

class QButtonGroup;
class QPushButton;

namespace velloran {

class MDACPage : public OptionPage {
 public:
  /// `openLink` opens the MDAC information address.
  MDACPage(std::function<void()> changed, std::function<void()> openLink);
  QPushButton* DeployButton() const { return deploy_; }
  void ShowFields(const PageFields& fields) override;

 private:
  QButtonGroup* versions_ = nullptr;
  QPushButton* deploy_ = nullptr;
};

}  // namespace velloran
