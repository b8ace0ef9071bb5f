#include "toolkit/qt/SystemActions.h"

#include <QCheckBox>

#include "platform/Configuration.h"
#include "platform/SystemBackends.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/Preferences.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/DomainList.h"
#include "toolkit/qt/frmAbout.h"
#include "toolkit/qt/modBrowseForFolder.h"
#include "toolkit/qt/modBrowseForNetworkFolder.h"

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

void KeepToolkitChoices(frmWizard& wizard, const std::string& file) {
  auto choices = std::make_shared<Preferences>(file);
  for (const FormControl& c : FormControls()) {
    if (c.Bind != Binding::Preference) continue;
    const std::string name(c.Name);
    auto* box = wizard.findChild<QCheckBox*>(QString::fromStdString(name));
    if (!box) continue;
    box->setChecked(choices->Flag(name));
    // Kept for this run when the file cannot be written: the choice is not
    // worth a message at every click.
    QObject::connect(box, &QCheckBox::toggled, box,
                     [choices, name](bool on) { (void)choices->SetFlag(name, on); });
  }
}

frmWizard::SystemActions MakeSystemActions(const DeploymentServices& services) {
  frmWizard::SystemActions actions;
  actions.DeployNow = [&services](frmWizard& wizard) {
    modDeployment deployment(wizard, services);
    deployment.cmdDeployNow_Click();
  };
  actions.BrowseDeployment = [](frmWizard& wizard) {
    wizard.SetDeploymentFolder(BrowseForNetworkFolder(&wizard, wizard.Dialogs()));
  };
  actions.BrowseFileOutput = [](frmWizard& wizard) {
    wizard.SetOutputFolder(BrowseForFolder(&wizard, wizard.Dialogs()));
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
