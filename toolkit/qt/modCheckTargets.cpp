#include "toolkit/qt/modCheckTargets.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <thread>

#include "check/smb/SmbShareLister.h"
#include "toolkit/core/Fields.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/frmCheckProgress.h"
#include "toolkit/qt/frmCheckTargets.h"
#include "toolkit/qt/frmWizard.h"

namespace velloran {
namespace {

QString ToQ(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class WindowCheckView : public TargetCheckView {
 public:
  WindowCheckView(frmWizard& wizard, const TargetCheckServices& services)
      : wizard_(wizard), services_(services) {}

  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon icon,
                    MessageButtons buttons) override {
    return wizard_.Dialogs().Message(&wizard_, ToQ(text), ToQ(title), icon, buttons);
  }

  // The check blocks its thread for as long as the slowest server takes;
  // the window keeps drawing and answers Cancel meanwhile. Progress and the
  // end reach the window's thread as queued calls on `relay`, which lives
  // only as long as this call, so none can arrive after it.
  check::CheckResult RunTargetCheck(const TargetCheckJob& job) override {
    frmCheckProgress progress(&wizard_);
    progress.setWindowModality(Qt::WindowModal);
    std::atomic<bool> cancel{false};
    QEventLoop loop;
    QObject relay;
    QObject::connect(&progress, &frmCheckProgress::Cancelled, &relay, [&] { cancel = true; });
    progress.ShowProgress(0, job.Servers());
    progress.show();
    if (services_.ProgressWatcher) services_.ProgressWatcher(progress);

    check::CheckResult result;
    std::thread worker([&] {
      result = job.Run(
          [&](size_t done, size_t total) {
            QMetaObject::invokeMethod(
                &relay,
                [&progress, this, done, total] {
                  progress.ShowProgress(done, total);
                  if (services_.ProgressWatcher) services_.ProgressWatcher(progress);
                },
                Qt::QueuedConnection);
          },
          cancel);
      QMetaObject::invokeMethod(
          &relay, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    progress.close();
    wizard_.activateWindow();
    return result;
  }

  void ShowTargetCheck(const TargetCheckReport& report) override {
    frmCheckTargets list(report, &wizard_);
    wizard_.Dialogs().RunModal(list);
  }

 private:
  frmWizard& wizard_;
  const TargetCheckServices& services_;
};

TargetCheckSetup SetupOf(const TargetCheckServices& services) {
  if (services.Setup) return services.Setup();
  TargetCheckSetup none;
  none.Unavailable = "this program has no way to ask print servers.";
  return none;
}

}  // namespace

TargetCheckServices SystemTargetCheck() {
  TargetCheckServices services;
  services.Setup = [] {
    TargetCheckSetup setup;
    auto credentials = check::SmbCredentialsFromEnvironment();
    if (!credentials) {
      setup.Unavailable = credentials.error().Description;
      return setup;
    }
    // Each server is asked by a fresh copy of this program (its hidden
    // helper mode): a child forked from a process with the window's threads
    // could inherit a lock one of them held.
    check::SmbHelper helper;
    if (std::string self = check::ThisProgram(); !self.empty())
      helper = {std::move(self), {"--smb-helper"}};
    setup.Lister = check::MakeSmbShareLister(std::move(*credentials), std::move(helper));
    return setup;
  };
  return services;
}

void CheckTargetsOnWindow(frmWizard& wizard, const TargetCheckServices& services) {
  // A click straight from a field leaves that field's check pending; it
  // runs now rather than while the check's window is up.
  QApplication::processEvents();
  INISettings shown = wizard.Settings();
  RecordOfFields(wizard.ReadFields(), shown);
  WindowCheckView view(wizard, services);
  CheckTargets(shown, SetupOf(services), view);
}

bool ConfirmTargetsOnWindow(frmWizard& wizard, const TargetCheckServices& services,
                            const INISettings& settings) {
  WindowCheckView view(wizard, services);
  return ConfirmTargetsBeforeDeploy(settings, SetupOf(services), view);
}

}  // namespace velloran
