#include "toolkit/LaterHooks.h"

#include <QLineEdit>

#include "platform/Backends.h"
#include "platform/Paths.h"
#include "toolkit/Dialogs.h"
#include "toolkit/DomainList.h"
#include "toolkit/frmAbout.h"
#include "toolkit/modBrowseForFolder.h"
#include "toolkit/modBrowseForNetworkFolder.h"

namespace velloran {
namespace {

void SetFieldFromPicker(frmWizard& wizard, const char* field, const QString& chosen) {
  // A cancelled picker leaves the field as it was.
  if (chosen.isEmpty()) return;
  if (auto* edit = wizard.findChild<QLineEdit*>(QLatin1String(field))) edit->setText(chosen);
}

}  // namespace

std::unique_ptr<ToolkitServices> ToolkitServicesFromEnvironment() {
  auto services = std::make_unique<ToolkitServices>();
  auto network = MakeNetworkFactory(
      EnvOr("VELLORAN_PRINTERS", "profile:" + JoinPath(UserStateFolder(), "connections.txt")));
  if (network) services->Network = std::move(*network);
  services->Deployment.Network = services->Network.get();
  return services;
}

frmWizard::LaterHooks MakeLaterHooks(const DeploymentServices& services) {
  frmWizard::LaterHooks hooks;
  hooks.DeployNow = [&services](frmWizard& wizard) {
    modDeployment deployment(wizard, services);
    deployment.cmdDeployNow_Click();
  };
  hooks.BrowseDeployment = [](frmWizard& wizard) {
    SetFieldFromPicker(wizard, "txtNetworkSharePath", BrowseForNetworkFolder(&wizard));
  };
  hooks.BrowseFileOutput = [](frmWizard& wizard) {
    SetFieldFromPicker(wizard, "txtFileOutputPath", BrowseForFolder(&wizard));
  };
  hooks.FillDomainList = [](frmWizard& wizard) { FillDomainList(wizard); };
  hooks.ShowAbout = [](frmWizard& wizard) {
    frmAbout about(&wizard);
    Dialogs::Modal(about);
  };
  return hooks;
}

}  // namespace velloran
