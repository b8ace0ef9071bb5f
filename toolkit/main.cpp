// The deployment toolkit: loads the wizard window, which runs everything
// else from its start-up sequence.

#include <QApplication>

#include <iostream>

#include "platform/CodePage.h"
#include "platform/profile/Profile.h"
#include "toolkit/SystemActions.h"
#include "toolkit/frmWizard.h"

int main(int argc, char* argv[]) {
  // Every INI text is read and written in this code page: a wrong one would
  // corrupt each file saved.
  if (velloran::Status codePage = velloran::CheckAnsiCodePageSetting(); !codePage.ok()) {
    std::cerr << "VelloranDeploymentToolkit: " << codePage.error().Description << std::endl;
    return 2;
  }
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
