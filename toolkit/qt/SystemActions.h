#pragma once
// Deploy Now, the two folder pickers, the domain list and the About box, as
// the handlers that the wizard window calls.

#include <memory>

#include "toolkit/qt/frmWizard.h"
#include "toolkit/qt/modDeployment.h"

namespace velloran {

/// The system services of the deployment, owned for the program's run.
struct ToolkitServices {
  std::unique_ptr<NetworkObjectFactory> Network;
  DeploymentServices Deployment;
};

/// The computer name comes from the network object that VELLORAN_PRINTERS
/// chooses, as in the engine; a choice it cannot use leaves the name
/// "Computer UNKNOWN".
std::unique_ptr<ToolkitServices> ToolkitServicesFromEnvironment();

/// The check boxes of the toolkit's own choices (no INI file holds them):
/// set from `file` now and written back there whenever the user changes one.
void KeepToolkitChoices(frmWizard& wizard, const std::string& file);

/// The wizard's handlers over `services`, which must outlive the window.
frmWizard::SystemActions MakeSystemActions(const DeploymentServices& services);

}  // namespace velloran
