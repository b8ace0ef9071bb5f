#pragma once
// General: the document's kind, shown read-only, and Always Run.

#include "toolkit/qt/pages/OptionPage.h"

class QComboBox;

namespace velloran {

class GeneralPage : public OptionPage {
 public:
  explicit GeneralPage(std::function<void()> changed);
  /// Shows the kind of the document.
  void ShowMode(bool activeDirectory);

 private:
  QComboBox* type_ = nullptr;
};

}  // namespace velloran
