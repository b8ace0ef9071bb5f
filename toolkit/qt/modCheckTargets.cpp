#include "toolkit/qt/modCheckTargets.h"

#include <QApplication>

#include "check/smb/SmbShareLister.h"
#include "toolkit/qt/frmWizard.h"

namespace velloran {

TargetCheckServices SystemTargetCheck() {
  TargetCheckServices services;
  services.Setup = [] {
    TargetCheckSetup setup;
    auto credentials = check::SmbCredentialsFromEnvironment();
    if (!credentials) {
      setup.Unavailable = credentials.error().Description;
      return setup;
    }
    // Each server is asked by a fresh copy of this program (its hidden
    // helper mode): a child forked from a process with the window's threads
    // could inherit a lock one of them held.
    check::SmbHelper helper;
    if (std::string self = check::ThisProgram(); !self.empty())
      helper = {std::move(self), {"--smb-helper"}};
    setup.Lister = check::MakeSmbShareLister(std::move(*credentials), std::move(helper));
    return setup;
  };
  return services;
}

void CheckTargetsOnWindow(frmWizard& wizard, const TargetCheckServices& services) {
  // A click straight from a field leaves that field's check pending; it
  // runs now rather than while the check's window is up.
  QApplication::processEvents();
  wizard.CheckTargets(services);
}

}  // namespace velloran
