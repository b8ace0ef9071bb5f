#include "toolkit/qt/SystemActions.h"

#include "platform/Configuration.h"
#include "platform/SystemBackends.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/DomainList.h"
#include "toolkit/qt/frmAbout.h"

namespace velloran {

std::unique_ptr<ToolkitServices> ToolkitServicesFromEnvironment() {
  auto services = std::make_unique<ToolkitServices>();
  // The toolkit needs only the printers choice; a configuration the engine
  // would refuse for another variable must not cost the toolkit its name.
  auto config = ReadConfiguration();
  auto network = MakeSystemNetworkFactory(config ? config->Printers : DefaultPrintersChoice());
  if (network) services->Network = std::move(*network);
  services->Deployment.Network = services->Network.get();
  services->Deployment.TargetCheck = SystemTargetCheck();
  return services;
}

void KeepToolkitChoices(frmWizard& wizard, const std::string& file) { wizard.KeepChoicesIn(file); }

frmWizard::SystemActions MakeSystemActions(const DeploymentServices& services) {
  frmWizard::SystemActions actions;
  actions.DeployNow = [&services](frmWizard& wizard) {
    modDeployment deployment(wizard, services);
    deployment.cmdDeployNow_Click();
  };
  actions.BrowseDeployment = [](frmWizard& wizard) {
    wizard.Presenter().Browse("txtNetworkSharePath");
  };
  actions.BrowseFileOutput = [](frmWizard& wizard) {
    wizard.Presenter().Browse("txtFileOutputPath");
  };
  actions.FillDomainList = [](frmWizard& wizard) { FillDomainList(wizard); };
  if (services.TargetCheck.Setup) {
    actions.CheckTargets = [&services](frmWizard& wizard) {
      CheckTargetsOnWindow(wizard, services.TargetCheck);
    };
  }
  actions.ShowAbout = [](frmWizard& wizard) {
    frmAbout about(&wizard);
    wizard.Dialogs().RunModal(about);
  };
  return actions;
}

}  // namespace velloran
