// The deployment toolkit: loads the wizard window, which runs everything
// else from its start-up sequence.

#include <QApplication>

#include "platform/profile/Profile.h"
#include "toolkit/SystemActions.h"
#include "toolkit/frmWizard.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Velloran Deployment Toolkit");
  QApplication::setOrganizationName("Kestrane");
  QApplication::setApplicationVersion(VELLORAN_VERSION);

  auto services = velloran::ToolkitServicesFromEnvironment();
  velloran::frmWizard wizard(velloran::SystemProfile());
  wizard.SetSystemActions(velloran::MakeSystemActions(services->Deployment));
  if (!wizard.Form_Load()) return 0;
  return app.exec();
}
