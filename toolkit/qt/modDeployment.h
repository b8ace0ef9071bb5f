#pragma once
// Deploy Now on the wizard window: the system's side of the deployment
// (clock, user, computer, this machine's view of the folders) handed to the
// wizard's presenter, which deploys and shows the progress in the window.

#include <functional>
#include <string>

#include "platform/Clock.h"
#include "platform/NetworkObject.h"
#include "toolkit/core/Deployment.h"
#include "toolkit/qt/modCheckTargets.h"

namespace velloran {

class frmProgress;
class frmWizard;

/// What a deployment needs from the system; tests fix every part.
struct DeploymentServices {
  const Clock* Time = nullptr;              ///< the system clock when null
  NetworkObjectFactory* Network = nullptr;  ///< null: "Computer UNKNOWN"
  std::function<std::string()> UserName;    ///< LoggedOnUserName when empty
  std::string ToolkitFolder;                ///< ExecutableFolder() when empty
  /// Called whenever the progress window changes (tests watch the steps).
  std::function<void(const frmProgress&)> ProgressWatcher;
  /// The check of the targets before deploying and the Check Targets
  /// command; unset, neither is offered.
  TargetCheckServices TargetCheck;
};

/// Deploy Now for the document of the wizard window.
class modDeployment {
 public:
  modDeployment(frmWizard& wizard, DeploymentServices services);

  /// The handler of both cmdDeployNow buttons.
  void cmdDeployNow_Click();
  /// Whether the last Deploy Now put every file in place.
  bool DeploymentSucceeded() const { return deploymentSucceeded_; }

  std::string GetLocalUserName() const;
  std::string GetLocalComputerName() const;

 private:
  frmWizard& wizard_;
  DeploymentServices services_;
  bool deploymentSucceeded_ = false;
};

}  // namespace velloran
