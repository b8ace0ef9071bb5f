// The deployment toolkit: loads the wizard window, which runs everything
// else from its start-up sequence.

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "check/smb/SmbShareLister.h"
#include "platform/CodePage.h"
#include "platform/Configuration.h"
#include "platform/profile/Profile.h"
#include "toolkit/core/Preferences.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/SystemActions.h"
#include "toolkit/qt/frmWizard.h"

int main(int argc, char* argv[]) {
  // Not for users: Check Targets runs a copy of this program per server, so
  // that the SMB library starts in a fresh process, never in a fork of the
  // window's threads.
  if (argc == 4 && std::strcmp(argv[1], "--smb-helper") == 0)
    return velloran::check::RunSmbHelper(argv[2], argv[3]);
  // Answered before Qt starts, so they work without a display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("VelloranDeploymentToolkit " VELLORAN_VERSION);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::puts(
        "Usage: VelloranDeploymentToolkit [Qt options]\n"
        "\n"
        "The administrator's wizard: edits a Velloran INI file and deploys the\n"
        "Windows engine, the INI file, a logon batch file and a web launch page to a\n"
        "deployment share. Help pages open from the Help buttons.\n"
        "\n"
        "  --help     show this help\n"
        "  --version  show the version");
    return 0;
  }
  // Every INI text is read and written in this code page: a wrong one would
  // corrupt each file saved.
  auto config = velloran::ReadConfiguration();
  velloran::Status codePage =
      config ? velloran::UseAnsiCodePage(config->CodePage) : velloran::Status(config.error());
  if (!codePage.ok()) {
    std::cerr << "VelloranDeploymentToolkit: " << codePage.error().Description << std::endl;
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("Velloran Deployment Toolkit");
  QApplication::setOrganizationName("Kestrane");
  QApplication::setApplicationVersion(VELLORAN_VERSION);

  auto services = velloran::ToolkitServicesFromEnvironment();
  velloran::SystemDialogService dialogs;
  velloran::frmWizard wizard(velloran::SystemProfile(), dialogs);
  wizard.SetSystemActions(velloran::MakeSystemActions(services->Deployment));
  velloran::KeepToolkitChoices(wizard, velloran::UserPreferencesFile());
  if (!wizard.Form_Load()) return 0;
  return app.exec();
}
