#pragma once
// Active Directory: the domain whose printers the engine reads.

#include <QStringList>

#include "toolkit/qt/pages/OptionPage.h"

class QComboBox;

namespace velloran {

class ActiveDirectoryPage : public OptionPage {
 public:
  explicit ActiveDirectoryPage(std::function<void()> changed);
  /// Offers `names` in the list; the text shown stays.
  void AddDomainNames(const QStringList& names);

 private:
  QComboBox* domain_ = nullptr;
};

}  // namespace velloran
