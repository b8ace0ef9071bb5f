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

/// The wizard's handlers over `services`, which must outlive the window.
frmWizard::SystemActions MakeSystemActions(const DeploymentServices& services);

}  // namespace velloran
