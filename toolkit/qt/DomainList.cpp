#include "toolkit/qt/DomainList.h"

#include <QStringList>

#include "toolkit/core/DomainList.h"
#include "toolkit/qt/frmWizard.h"

namespace velloran {

void FillDomainList(frmWizard& wizard) {
  QStringList names;
  for (const std::string& name : ConfiguredDomainNames()) names << QString::fromStdString(name);
  wizard.AddDomainNames(names);
}

}  // namespace velloran
