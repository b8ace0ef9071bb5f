#include "toolkit/qt/modDeployment.h"

#include <QApplication>
#include <QFile>

#include "platform/Account.h"
#include "platform/Paths.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/frmWizard.h"
#include "toolkit/qt/modBrowseForFolder.h"

namespace velloran {

modDeployment::modDeployment(frmWizard& wizard, DeploymentServices services)
    : wizard_(wizard), services_(std::move(services)) {
  if (!services_.Time) services_.Time = &SystemClock();
  if (!services_.UserName) services_.UserName = [] { return LoggedOnUserName(); };
  if (services_.ToolkitFolder.empty()) services_.ToolkitFolder = ExecutableFolder();
}

std::string modDeployment::GetLocalUserName() const { return services_.UserName(); }

std::string modDeployment::GetLocalComputerName() const {
  return services_.Network ? ComputerNameFrom(*services_.Network) : "Computer UNKNOWN";
}

void modDeployment::cmdDeployNow_Click() {
  // A click straight from the folder field leaves that field's check
  // pending; it runs now, before the deployment, rather than in its middle,
  // where it would enable the window again.
  QApplication::processEvents();
  DeploymentEnvironment env;
  env.Time = services_.Time;
  env.UserName = services_.UserName;
  env.ComputerName = [this] { return GetLocalComputerName(); };
  env.ToolkitFolder = services_.ToolkitFolder;
  // One reading of the mounts for the whole deployment.
  const std::string mounts = wizard_.Dialogs().MountTable();
  env.FolderExists = [mounts](const std::string& folder) {
    return FolderExists(QString::fromStdString(folder), mounts);
  };
  env.LocalFolder = [mounts](const std::string& folder) {
    return QFile::encodeName(FolderOnThisSystem(QString::fromStdString(folder), mounts))
        .toStdString();
  };
  env.ShareOf = [mounts](const std::string& folder) {
    return UNCPathOfLocalFolder(QString::fromStdString(folder), mounts).toStdString();
  };
  // The check before deploying, the driver script's choice and the
  // progress window are the presenter's.
  deploymentSucceeded_ = wizard_.DeployNow(services_, std::move(env)).Succeeded;
}

}  // namespace velloran
