// Renders every page of the wizard, in both kinds of document, the New-INI
// dialog and Check Targets (progress and list) to PNG files for the documentation. Runs on the
// offscreen platform; scripts/screenshots.sh drives it.
//
//   toolkit_screenshots OUTPUT_FOLDER

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/profile/Profile.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/SystemActions.h"
#include "toolkit/qt/frmCheckProgress.h"
#include "toolkit/qt/frmNewINI.h"
#include "toolkit/qt/frmWizard.h"

using namespace velloran;

namespace {

// Two documents as an administrator would prepare them, so the pages show
// real-looking content.
const char* kManualINI =
    "[GENERAL]\r\nUseActiveDirectory=False\r\nUseManualDefinitions=True\r\nAlwaysRun=False\r\n"
    "[ACTIVE DIRECTORY]\r\nDomainName= \r\n"
    "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLDSRV1,OLDSRV2\r\nToServers=NEWSRV1,NEWSRV2\r\n"
    "[MANUAL DEFINITIONS PRINTERS]\r\nFromPrinters=ACCOUNTING,RECEPTION\r\n"
    "ToPrinters=ACCOUNTING-COLOR,RECEPTION-MFP\r\n"
    "[MANUAL DEFINITIONS MIXED]\r\nFromServers=BRANCHSRV\r\nFromPrinters=HR-LASER\r\n"
    "ToServers=NEWSRV1\r\nToPrinters=HR-LASER-2\r\n"
    "[NOTIFICATION SMTP]\r\nUseSMTP=True\r\nSMTPServerNameOrIP=mail.corp.example.com\r\n"
    "ServerPort=25\r\nEmailSubject=Printer migration\r\n"
    "EmailTo=helpdesk@corp.example.com,printadmin@corp.example.com\r\n"
    "EmailFrom=velloran@corp.example.com\r\n"
    "[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=\\\\NEWSRV1\\MIGRATION\r\n"
    "FileOutputName=results.txt\r\nIncludeComputerName=True\r\nIncludeOutcome=True\r\n"
    "WriteToEventLog=True\r\n"
    "[NOTIFICATION CLIENT POP-UP]\r\nUseClientPopup=True\r\nUseSuccessClientPopup=True\r\n"
    "SuccessMessage=Your printers have been moved.^CRLF^CRLFThank you.\r\n"
    "UseFailureClientPopup=True\r\n"
    "FailureMessage=Your printers were not moved.^CRLFPlease call the help desk.\r\n"
    "[DEPLOYMENT]\r\nDeploymentPath=\\\\NEWSRV1\\MIGRATION\r\nCreateWebLaunchPage=True\r\n"
    "CreateBatchFile=True\r\nIncludeMDAC=False\r\nMDACOption=0\r\n"
    "[SUPPORT]\r\nDebugOn=True\r\n";

const char* kActiveDirectoryINI =
    "[GENERAL]\r\nUseActiveDirectory=True\r\nUseManualDefinitions=False\r\nAlwaysRun=False\r\n"
    "[ACTIVE DIRECTORY]\r\nDomainName=corp.example.com\r\n"
    "[NOTIFICATION SMTP]\r\nUseSMTP=False\r\nServerPort=25\r\n"
    "[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=False\r\nWriteToEventLog=True\r\n"
    "[NOTIFICATION CLIENT POP-UP]\r\nUseClientPopup=True\r\nUseSuccessClientPopup=True\r\n"
    "SuccessMessage=Your printers now print from the new print servers.\r\n"
    "UseFailureClientPopup=False\r\n"
    "[DEPLOYMENT]\r\nDeploymentPath=\\\\NEWSRV1\\NETLOGON\\VELLORAN\r\nCreateWebLaunchPage="
    "False\r\n"
    "CreateBatchFile=True\r\nIncludeMDAC=True\r\nMDACOption=2\r\n"
    "[SUPPORT]\r\nDebugOn=False\r\n";

// The system's dialogs, except that the start-up dialog opens the document
// without waiting for a user and no message box waits either.
class RenderingDialogs : public SystemDialogService {
 public:
  std::function<void(QDialog&)> StartUp;
  MessageAnswer Message(QWidget*, const QString&, const QString&, MessageIcon,
                        MessageButtons buttons) override {
    return CancellingAnswer(buttons);
  }
  int RunModal(QDialog& dialog) override {
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    if (StartUp) StartUp(dialog);
    if (dialog.isVisible()) dialog.reject();
    return dialog.result();
  }
};

struct Shot {
  int page;
  const char* name;
};

bool WriteText(const QString& path, const char* text) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  return file.write(text) == qint64(qstrlen(text));
}

bool Save(QWidget& widget, const QString& path) {
  if (!widget.grab().save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

// The start-up dialog's answer: the document at `iniPath`.
void OpenExisting(QDialog& dialog, const QString& iniPath) {
  auto& newINI = static_cast<frmNewINI&>(dialog);
  newINI.findChild<QTabWidget*>("sstNewINI")->setCurrentIndex(frmNewINI::kPageExisting);
  newINI.SetExistingFolder(QFileInfo(iniPath).absolutePath());
  newINI.findChild<QListWidget*>("filExistingINI")->setCurrentRow(0);
  newINI.cmdSelect_Click();
}

bool RenderDocument(const QString& iniPath, const QString& prefix, const std::vector<Shot>& shots,
                    const QString& out) {
  RenderingDialogs dialogs;
  frmWizard wizard(SystemProfile(), dialogs);
  // The deployment, browsing and check controls available, as in the
  // program.
  static const DeploymentServices services = [] {
    DeploymentServices s;
    s.TargetCheck.Setup = [] { return TargetCheckSetup{}; };
    return s;
  }();
  wizard.SetSystemActions(MakeSystemActions(services));
  dialogs.StartUp = [&](QDialog& dialog) { OpenExisting(dialog, iniPath); };
  if (!wizard.Form_Load()) return false;
  bool ok = true;
  for (const Shot& shot : shots) {
    wizard.ShowPage(shot.page);
    QApplication::processEvents();
    ok = Save(wizard, QDir(out).filePath(QStringLiteral("%1-%2-%3.png")
                                             .arg(prefix)
                                             .arg(shot.page, 2, 10, QLatin1Char('0'))
                                             .arg(QLatin1String(shot.name)))) &&
         ok;
  }
  return ok;
}

// The sample document's servers, as a lister: a queue missing on the new
// server, a new server that refuses the connection, and one that answers
// only once the progress window has been drawn.
class SampleServers : public check::ShareLister {
 public:
  check::ServerAnswer Ask(const check::ServerQuestion& q, check::Clock::time_point) override {
    auto printers = [](std::initializer_list<const char*> names) {
      check::ServerAnswer a{check::ServerState::Answered, {}, {}, true, {}, false};
      for (const char* name : names)
        a.Shares.push_back({name, check::ShareKind::Printer, {}, false});
      return a;
    };
    if (q.Server == "OLDSRV1") return printers({"ACCOUNTING", "RECEPTION", "LOBBY"});
    if (q.Server == "NEWSRV1") return printers({"ACCOUNTING", "RECEPTION", "HR-LASER-2"});
    if (q.Server == "OLDSRV2") return printers({"PLOTTER", "WAREHOUSE"});
    std::unique_lock<std::mutex> hold(lock_);
    drawn_.wait(hold, [this] { return released_; });
    return {check::ServerState::Unreachable, "Connection refused", {}, false, {}, false};
  }
  void Release() {
    std::lock_guard<std::mutex> hold(lock_);
    released_ = true;
    drawn_.notify_all();
  }

 private:
  std::mutex lock_;
  std::condition_variable drawn_;
  bool released_ = false;
};

// "Check targets" on the manual document: the progress window while one
// server is still to answer, then the result list.
bool RenderCheck(const QString& iniPath, const QString& out) {
  auto servers = std::make_shared<SampleServers>();
  bool ok = true, progressDrawn = false;
  DeploymentServices services;
  services.TargetCheck.Setup = [servers] {
    TargetCheckSetup setup;
    setup.Lister = servers;
    return setup;
  };
  services.TargetCheck.ProgressWatcher = [&](frmCheckProgress& progress) {
    if (progressDrawn || progress.prbProgress().value() + 1 != progress.prbProgress().maximum())
      return;
    progressDrawn = true;
    QApplication::processEvents();
    ok = Save(progress, QDir(out).filePath("check-progress.png")) && ok;
    servers->Release();
  };
  RenderingDialogs dialogs;
  frmWizard wizard(SystemProfile(), dialogs);
  wizard.SetSystemActions(MakeSystemActions(services));
  dialogs.StartUp = [&](QDialog& dialog) { OpenExisting(dialog, iniPath); };
  if (!wizard.Form_Load()) return false;
  wizard.ShowPage(kPageServers);
  bool listed = false;
  dialogs.StartUp = [&](QDialog& list) {
    QApplication::processEvents();
    listed = Save(list, QDir(out).filePath("check-targets.png"));
  };
  wizard.findChild<QPushButton*>("cmdCheckTargets(0)")->click();
  servers->Release();
  return ok && progressDrawn && listed;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: toolkit_screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);

  QTemporaryDir manualDir, adDir;
  const QString manualINI = manualDir.filePath("Printers.ini");
  const QString adINI = adDir.filePath("Printers.ini");
  if (!WriteText(manualINI, kManualINI) || !WriteText(adINI, kActiveDirectoryINI)) {
    std::fprintf(stderr, "cannot write the sample documents\n");
    return 1;
  }

  const std::vector<Shot> manual = {{kPageGeneral, "general"},
                                    {kPageManualConfiguration, "manual-configuration"},
                                    {kPageServers, "servers"},
                                    {kPagePrinters, "printers"},
                                    {kPageMixed, "mixed"},
                                    {kPageNotification, "notification"},
                                    {kPageSMTPMail, "smtp-mail"},
                                    {kPageFileOutput, "file-output"},
                                    {kPageClientPopup, "client-popup"},
                                    {kPageEventLog, "event-log"},
                                    {kPageDeployment, "deployment"},
                                    {kPageSupport, "support"}};
  const std::vector<Shot> activeDirectory = {{kPageGeneral, "general"},
                                             {kPageActiveDirectory, "active-directory"},
                                             {kPageNotification, "notification"},
                                             {kPageSMTPMail, "smtp-mail"},
                                             {kPageFileOutput, "file-output"},
                                             {kPageClientPopup, "client-popup"},
                                             {kPageEventLog, "event-log"},
                                             {kPageDeploymentOverview, "deployment"},
                                             {kPageDeployment, "deployment-general"},
                                             {kPageMDAC, "mdac"},
                                             {kPageSupport, "support"}};

  RenderingDialogs dialogs;
  bool ok = RenderDocument(manualINI, "manual", manual, out);
  ok = RenderDocument(adINI, "ad", activeDirectory, out) && ok;
  ok = RenderCheck(manualINI, out) && ok;

  // The "Existing" page would show this machine's folders, so only the
  // kinds of a new file are rendered.
  for (bool existing : {true, false}) {
    frmNewINI newINI(dialogs);
    newINI.OfferExisting(existing);
    newINI.show();
    QApplication::processEvents();
    ok = Save(newINI, QDir(out).filePath(existing ? "new-ini-startup.png" : "new-ini.png")) && ok;
  }
  return ok ? 0 : 1;
}
