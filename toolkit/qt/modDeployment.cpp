#include "toolkit/qt/modDeployment.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <memory>

#include "platform/Account.h"
#include "platform/Paths.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/frmProgress.h"
#include "toolkit/qt/frmWizard.h"
#include "toolkit/qt/modBrowseForFolder.h"

namespace velloran {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The progress window and the message boxes of one deployment. The wizard
// takes no input while the files are written.
class ProgressView : public DeploymentView {
 public:
  ProgressView(frmWizard& wizard, const DeploymentServices& services)
      : wizard_(wizard), services_(services) {}
  ~ProgressView() override { Finished(); }

  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon icon,
                    MessageButtons buttons) override {
    return wizard_.Dialogs().Message(&wizard_, Text(text), Text(title), icon, buttons);
  }
  void Progress(int value, int maximum, std::string_view label) override {
    if (!progress_) {
      wizard_.setCursor(Qt::WaitCursor);
      wizard_.setEnabled(false);
      QApplication::processEvents();
      // Made after the wizard was disabled, so that it and the error boxes
      // stay enabled.
      progress_ = std::make_unique<frmProgress>(&wizard_);
      progress_->show();
    }
    progress_->prbProgress().setMaximum(maximum);
    progress_->prbProgress().setValue(value);
    progress_->lblProgress().setText(Text(label));
    QApplication::processEvents();
    if (services_.ProgressWatcher) services_.ProgressWatcher(*progress_);
  }
  void Finished() override {
    if (!progress_) return;
    progress_->close();
    progress_.reset();
    wizard_.unsetCursor();
    wizard_.setEnabled(true);
    QApplication::processEvents();
  }

 private:
  frmWizard& wizard_;
  const DeploymentServices& services_;
  std::unique_ptr<frmProgress> progress_;
};

}  // namespace

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
  env.FolderExists = [&mounts](const std::string& folder) {
    return FolderExists(QString::fromStdString(folder), mounts);
  };
  env.LocalFolder = [&mounts](const std::string& folder) {
    return QFile::encodeName(FolderOnThisSystem(QString::fromStdString(folder), mounts))
        .toStdString();
  };
  env.ShareOf = [&mounts](const std::string& folder) {
    return UNCPathOfLocalFolder(QString::fromStdString(folder), mounts).toStdString();
  };
  if (const auto* script = wizard_.findChild<QCheckBox*>("chkDriverScript"))
    env.CreateDriverScript = script->isChecked();
  if (services_.TargetCheck.Setup) {
    env.Confirm = [this](const INISettings& settings) {
      return ConfirmTargetsOnWindow(wizard_, services_.TargetCheck, settings);
    };
  }
  {
    ProgressView view(wizard_, services_);
    deploymentSucceeded_ = Deploy(wizard_.GetDocument(), env, view).Succeeded;
  }
  wizard_.activateWindow();
}

}  // namespace velloran
