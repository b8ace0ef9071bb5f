// Deploy Now: the refusals, the files it puts into the deployment folder, the
// exact bytes of the web launch page and the batch file, copy and write
// failures, and folders given as UNC paths of mounted shares.

#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "ToolkitTest.h"
#include "platform/Backends.h"
#include "platform/Clock.h"
#include "tests/support/Fakes.h"
#include "toolkit/core/Branding.h"
#include "toolkit/qt/SystemActions.h"
#include "toolkit/qt/frmProgress.h"
#include "toolkit/qt/modBrowseForFolder.h"
#include "toolkit/qt/modDeployment.h"

using namespace velloran;
using namespace velloran::test;

namespace {

struct ProgressShot {
  QString Caption;
  int Maximum = 0, Value = 0;
  QString Label;
  bool WizardEnabled = true;

  bool operator==(const ProgressShot&) const = default;
};

}  // namespace

class DeploymentTest : public ToolkitSuite {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void unsavedAndNeverSavedDocumentsAreRefused();
  void aMissingFolderIsRefused();
  void deploysEverythingToAMountedShare();
  void withoutMDACThereIsNoInstallerLinkOrLine();
  void anInstalledToolkitTakesItsWindowsFilesFromTheDataFolder();
  void deployingTwiceReplacesEveryFile();
  void aReadOnlyFolderIsReported();
  void aFullShareKeepsTheDeployedFilesWhole();
  void textsFromOutsideAreMadeSafe();
  void dateAndTimeFormat();
  void whoAndWhere();
  void theDriverScriptIsAChoiceOfTheUserThatDeployNowFollows();

 private:
  /// Writes the document and starts the wizard on it, with Deploy Now wired.
  std::unique_ptr<frmWizard> OpenDocument(const QString& deploymentPath, bool mdac,
                                          int mdacOption = 2, bool page = true, bool batch = true);
  void DeployNow(frmWizard& w);
  QString Mount(const QString& share, const QString& folder);
  /// A message box the deployment showed, in order; the answer was queued.
  QStringList Messages() const;
  void ExpectDeployed(bool toAShare) const;

  std::unique_ptr<QTemporaryDir> dir_;
  QString toolkit_, documents_, inifile_;
  FixedClock clock_;
  std::unique_ptr<NetworkObjectFactory> network_;
  DeploymentServices services_;
  QList<ProgressShot> progress_;
};

void DeploymentTest::init() {
  StartTest();
  progress_.clear();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  const QDir root(dir_->path());
  for (const char* sub : {"toolkit", "documents", "share"}) QVERIFY(root.mkpath(sub));
  toolkit_ = root.filePath("toolkit");
  documents_ = root.filePath("documents");
  inifile_ = documents_ + "/Printers.ini";

  // What is delivered beside the toolkit.
  QVERIFY(WriteText(toolkit_ + "/VelloranEngine.exe", "MZ engine 1"));
  QVERIFY(WriteText(toolkit_ + "/EvntMsg.dll", "MZ messages"));
  QVERIFY(WriteText(toolkit_ + "/MDAC_TYP2.5SP3.EXE", "MZ mdac 2.5"));
  QVERIFY(WriteText(toolkit_ + "/MDAC_TYP2.7SP1.EXE", "MZ mdac 2.7"));
  QVERIFY(WriteText(toolkit_ + "/MDAC_TYP2.8.EXE", "MZ mdac 2.8"));

  const QString connections = root.filePath("connections.txt");
  QVERIFY(WriteText(connections, "computer: ADMINPC\n"));
  network_ = MakeConnectionProfile(connections.toStdString());

  clock_.Time = LocalTime{2004, 7, 9, 14, 5, 33, 0};
  services_ = DeploymentServices{};
  services_.Time = &clock_;
  services_.Network = network_.get();
  services_.UserName = [] { return std::string("admin"); };
  services_.ToolkitFolder = toolkit_.toStdString();
  services_.ProgressWatcher = [this](const frmProgress& p) {
    progress_ << ProgressShot{p.windowTitle(), p.prbProgress().maximum(), p.prbProgress().value(),
                              p.lblProgress().text(),
                              p.parentWidget() && p.parentWidget()->isEnabled()};
  };
  Script().SetMountTableFile(root.filePath("mounts"));
  QVERIFY(WriteText(root.filePath("mounts"),
                    "proc /proc proc rw,nosuid 0 0\n/dev/sda1 / ext4 rw,relatime 0 0\n"));
}

void DeploymentTest::cleanup() {
  Script().SetMountTableFile({});
  EndTest();
}

QString DeploymentTest::Mount(const QString& share, const QString& folder) {
  // As the kernel lists a CIFS mount, blanks escaped.
  QString point = folder;
  point.replace(" ", "\\040");
  QFile table(Script().MountTableFile());
  if (!table.open(QIODevice::Append)) return {};
  table.write(QString(share + " " + point + " cifs rw,relatime,vers=3.0 0 0\n").toUtf8());
  return folder;
}

std::unique_ptr<frmWizard> DeploymentTest::OpenDocument(const QString& deploymentPath, bool mdac,
                                                        int mdacOption, bool page, bool batch) {
  auto yes = [](bool on) { return on ? "True" : "False"; };
  const QString ini =
      QString(
          "[GENERAL]\r\nUseManualDefinitions=True\r\n"
          "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLDSRV1\r\nToServers=NEWSRV1\r\n"
          "[DEPLOYMENT]\r\nDeploymentPath=%1\r\nCreateWebLaunchPage=%2\r\n"
          "CreateBatchFile=%3\r\nIncludeMDAC=%4\r\nMDACOption=%5\r\n")
          .arg(deploymentPath, yes(page), yes(batch), yes(mdac))
          .arg(mdacOption);
  if (!WriteText(inifile_, ini.toUtf8())) return nullptr;
  auto w = StartWizardOn(inifile_);
  if (!w) return nullptr;
  w->SetSystemActions(MakeSystemActions(services_));
  return w;
}

void DeploymentTest::DeployNow(frmWizard& w) {
  w.ShowPage(kPageDeployment);
  auto* button = w.findChild<QPushButton*>(Indexed("cmdDeployNow", 0));
  QVERIFY(button && button->isEnabled());
  Click(button);
}

QStringList DeploymentTest::Messages() const {
  QStringList texts;
  for (const ShownDialog& d : Script().Shown()) {
    if (d.kind == ShownDialog::Kind::Message) texts << d.Title + "|" + d.Text;
  }
  return texts;
}

// A folder of this machine that no share holds deploys with a warning (its
// text is the core's concern); a share's UNC path without one.
void DeploymentTest::ExpectDeployed(bool toAShare) const {
  const QStringList texts = Messages();
  QCOMPARE(texts.size(), 1);
  if (toAShare) {
    QCOMPARE(texts.front(), QString("Sucess|Deployment successfull."));
  } else {
    QVERIFY2(texts.front().startsWith("Deployment|The files were deployed, but"),
             qPrintable(texts.front()));
  }
}

void DeploymentTest::unsavedAndNeverSavedDocumentsAreRefused() {
  const QString share = dir_->path() + "/share";
  const QString refusal =
      "Error|This INI file needs to be saved. Please save your INI file before trying to deploy.";

  // Never saved.
  auto fresh = StartWizard(Kind::Manual);
  QVERIFY(fresh);
  fresh->SetSystemActions(MakeSystemActions(services_));
  fresh->findChild<QLineEdit*>("txtNetworkSharePath")->setText(share);
  Script().Reset();
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*fresh);
  QCOMPARE(Messages(), QStringList{refusal});
  QCOMPARE(Script().Shown().back().Icon, MessageIcon::Critical);
  fresh.reset();

  // Saved, then changed.
  auto w = OpenDocument(share, true);
  QVERIFY(w);
  w->findChild<QCheckBox*>("chkBatchFile")->click();
  QVERIFY(w->UnsavedChanges());
  Script().Reset();
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*w);
  QCOMPARE(Messages(), QStringList{refusal});

  QVERIFY(QDir(share).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
  QVERIFY(progress_.isEmpty());
  QVERIFY(w->isEnabled());
}

void DeploymentTest::aMissingFolderIsRefused() {
  // A local folder that is not there, and a share that nothing mounts.
  for (const QString& folder : {dir_->path() + "/nowhere", QString("\\\\SRV\\deploy")}) {
    auto w = OpenDocument(folder, false);
    QVERIFY(w);
    Script().Reset();
    Script().SetNextAnswer(MessageAnswer::OK);
    DeployNow(*w);
    QCOMPARE(Messages(), QStringList{"Error|The deployment folder does not exist. Please check "
                                     "your deployment folder and try again."});
    QVERIFY(progress_.isEmpty());
  }
}

void DeploymentTest::deploysEverythingToAMountedShare() {
  const QString local = Mount("//srv/deploy", dir_->path() + "/share");
  auto w = OpenDocument("\\\\srv\\deploy", true, 2);
  QVERIFY(w);
  Script().Reset();
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*w);

  QCOMPARE(Messages(), QStringList{"Sucess|Deployment successfull."});
  QCOMPARE(Script().Shown().back().Icon, MessageIcon::Information);

  QStringList files = QDir(local).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
  files.sort();
  QCOMPARE(files, (QStringList{"EvntMsg.dll", "MDAC_TYP2.8.EXE", "Printers.ini", "Printers.ini.bat",
                               "Printers.ini.html", "VelloranEngine.exe"}));
  QCOMPARE(ReadBytes(local + "/MDAC_TYP2.8.EXE"), QByteArray("MZ mdac 2.8"));
  QCOMPARE(ReadBytes(local + "/VelloranEngine.exe"), QByteArray("MZ engine 1"));
  QCOMPARE(ReadBytes(local + "/Printers.ini"), ReadBytes(inifile_));

  const QByteArray page = ReadBytes(local + "/Printers.ini.html");
  QCOMPARE(page, Golden("mdac-2.8.html", page));
  const QByteArray batch = ReadBytes(local + "/Printers.ini.bat");
  QCOMPARE(batch, Golden("mdac-2.8-on-share.bat", batch));

  // Every step on the way, with the wizard disabled until the end.
  const QString caption = "Progress ...";
  QCOMPARE(progress_,
           (QList<ProgressShot>{{caption, 11, 1, "Initializing deployment process ...", false},
                                {caption, 11, 2, "Copying MDAC file ...", false},
                                {caption, 11, 3, "Copying Velloran Engine ...", false},
                                {caption, 11, 4, "Copying event message file ...", false},
                                {caption, 11, 5, "Copying INI file ...", false},
                                {caption, 11, 6, "Creating HTML file ...", false},
                                {caption, 11, 7, "Creating batch file ...", false},
                                {caption, 11, 11, "Deployment Complete.", false}}));
  QVERIFY(w->isEnabled());
  QVERIFY(!w->findChild<frmProgress*>());

  // Straight from the folder field to Deploy Now: the field's check comes
  // first and does not wake the window in the middle of the deployment.
  w->ShowPage(kPageDeployment);
  QVERIFY(QTest::qWaitForWindowActive(w.get()));  // the focus came back to the wizard
  w->findChild<QLineEdit*>("txtNetworkSharePath")->setFocus(Qt::MouseFocusReason);
  QCOMPARE(QApplication::focusWidget()->objectName(), QString("txtNetworkSharePath"));
  progress_.clear();
  Script().Reset();
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*w);
  QCOMPARE(Messages(), QStringList{"Sucess|Deployment successfull."});
  QCOMPARE(progress_.size(), 8);
  for (const ProgressShot& shot : progress_) QVERIFY2(!shot.WizardEnabled, qPrintable(shot.Label));

  // A folder below the share, named in another letter case, with a "%" the
  // command interpreter would otherwise expand.
  QVERIFY(QDir(local).mkpath("Wave 100%"));
  w->findChild<QLineEdit*>("txtNetworkSharePath")->setText("\\\\SRV\\Deploy\\Wave 100%");
  w->findChild<QCheckBox*>("chkIncludeMDAC")->click();
  QVERIFY(w->SaveINI() == frmWizard::SaveOutcome::Written);
  Script().Reset();
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*w);
  QCOMPARE(Messages(), QStringList{"Sucess|Deployment successfull."});
  QCOMPARE(ReadBytes(local + "/Wave 100%/VelloranEngine.exe"), QByteArray("MZ engine 1"));
  const QByteArray percentBatch = ReadBytes(local + "/Wave 100%/Printers.ini.bat");
  QCOMPARE(percentBatch, Golden("percent-in-folder.bat", percentBatch));
}

void DeploymentTest::withoutMDACThereIsNoInstallerLinkOrLine() {
  // A folder typed as this machine's path is named as typed.
  const QString share = dir_->path() + "/share";
  auto w = OpenDocument(share, false);
  QVERIFY(w);
  Script().Reset();
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*w);
  ExpectDeployed(false);

  QStringList files = QDir(share).entryList(QDir::Files);
  files.sort();
  QCOMPARE(files, (QStringList{"EvntMsg.dll", "Printers.ini", "Printers.ini.bat",
                               "Printers.ini.html", "VelloranEngine.exe"}));
  const QByteArray page = ReadBytes(share + "/Printers.ini.html");
  QCOMPARE(page, Golden("no-mdac.html", page));
  const QByteArray batch = ReadBytes(share + "/Printers.ini.bat");
  QCOMPARE(batch, Golden("no-mdac.bat", batch, share));
  QStringList labels;
  for (const ProgressShot& shot : progress_) labels << shot.Label;
  QCOMPARE(labels, (QStringList{"Initializing deployment process ...",
                                "Copying Velloran Engine ...", "Copying event message file ...",
                                "Copying INI file ...", "Create HTML file ...",
                                "Creating batch file ...", "Deployment Complete."}));

  // Neither output chosen: only the copies.
  QVERIFY(QFile::remove(share + "/Printers.ini.bat") &&
          QFile::remove(share + "/Printers.ini.html"));
  w->findChild<QCheckBox*>("chkBatchFile")->click();
  w->findChild<QCheckBox*>("chkCreateHTML")->click();
  QVERIFY(w->SaveINI() == frmWizard::SaveOutcome::Written);
  Script().Reset();
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*w);
  QCOMPARE(QDir(share).entryList(QDir::Files).size(), 3);
}

void DeploymentTest::anInstalledToolkitTakesItsWindowsFilesFromTheDataFolder() {
  // As a package installs it: the program in usr/bin, what it deploys in
  // usr/share/velloran. A file beside the program still comes first.
  const QDir root(dir_->path());
  QVERIFY(root.mkpath("usr/bin") && root.mkpath("usr/share/velloran"));
  QVERIFY(WriteText(root.filePath("usr/share/velloran/VelloranEngine.exe"), "MZ installed engine"));
  QVERIFY(WriteText(root.filePath("usr/share/velloran/MDAC_TYP2.8.EXE"), "MZ installed mdac"));
  QVERIFY(WriteText(root.filePath("usr/bin/MDAC_TYP2.8.EXE"), "MZ mdac beside"));
  QVERIFY(WriteText(root.filePath("usr/share/velloran/EvntMsg.dll"), "MZ installed messages"));
  services_.ToolkitFolder = root.filePath("usr/bin").toStdString();
  const QString share = dir_->path() + "/share";
  auto w = OpenDocument(share, true, 2);
  QVERIFY(w);
  Script().Reset();
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*w);

  ExpectDeployed(false);
  QCOMPARE(ReadBytes(share + "/VelloranEngine.exe"), QByteArray("MZ installed engine"));
  QCOMPARE(ReadBytes(share + "/MDAC_TYP2.8.EXE"), QByteArray("MZ mdac beside"));

  // Neither place has it: the error names the file beside the program.
  QVERIFY(QFile::remove(root.filePath("usr/share/velloran/VelloranEngine.exe")));
  QCOMPARE(DeliveredFile(services_.ToolkitFolder, kEngineFileName),
           root.filePath("usr/bin/VelloranEngine.exe").toStdString());
}

void DeploymentTest::deployingTwiceReplacesEveryFile() {
  const QString share = dir_->path() + "/share";
  auto w = OpenDocument(share, true, 0);
  QVERIFY(w);
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*w);
  const QByteArray firstBatch = ReadBytes(share + "/Printers.ini.bat");

  // New files beside the toolkit, a later clock, another document text.
  QVERIFY(WriteText(toolkit_ + "/VelloranEngine.exe", "MZ engine 2"));
  QVERIFY(WriteText(toolkit_ + "/MDAC_TYP2.5SP3.EXE", "MZ mdac 2.5 refresh"));
  clock_.Time = LocalTime{2005, 1, 2, 0, 7, 8, 0};
  w->findChild<QCheckBox*>("chkDebugOn")->click();
  QVERIFY(w->SaveINI() == frmWizard::SaveOutcome::Written);
  Script().Reset();
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*w);
  ExpectDeployed(false);

  QCOMPARE(ReadBytes(share + "/VelloranEngine.exe"), QByteArray("MZ engine 2"));
  QCOMPARE(ReadBytes(share + "/MDAC_TYP2.5SP3.EXE"), QByteArray("MZ mdac 2.5 refresh"));
  QCOMPARE(ReadBytes(share + "/Printers.ini"), ReadBytes(inifile_));
  QVERIFY(ReadBytes(share + "/Printers.ini").contains("DebugOn=True"));
  const QByteArray page = ReadBytes(share + "/Printers.ini.html");
  QCOMPARE(page, Golden("mdac-2.5-redeployed.html", page));
  const QByteArray batch = ReadBytes(share + "/Printers.ini.bat");
  QCOMPARE(batch, Golden("mdac-2.5-redeployed.bat", batch, share));
  QVERIFY(ReadBytes(share + "/Printers.ini.bat") != firstBatch);
  // Nothing left over from the atomic replacements.
  QCOMPARE(QDir(share).entryList(QDir::Files | QDir::Hidden).size(), 6);
}

void DeploymentTest::aReadOnlyFolderIsReported() {
  if (::geteuid() == 0) QSKIP("permission bits do not stop root");
  const QString share = dir_->path() + "/share";
  QVERIFY(QFile::setPermissions(share, QFile::ReadOwner | QFile::ExeOwner));
  auto w = OpenDocument(share, false);
  QVERIFY(w);
  Script().Reset();
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*w);
  QFile::setPermissions(share, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  // One cause, one message.
  const QStringList shown = Messages();
  QCOMPARE(shown.size(), 1);
  QVERIFY(shown[0].startsWith("Error|The deployment to " + share + " is incomplete."));
  QVERIFY(shown[0].contains("(error 13)"));
}

// A share that fills up during a deployment: each file on it is the one
// deployed before or the new one, never a torn copy, and the administrator
// is told which copy failed and why.
void DeploymentTest::aFullShareKeepsTheDeployedFilesWhole() {
  const QString share = dir_->path() + "/share";
  auto w = OpenDocument(share, true, 0);
  QVERIFY(w);
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*w);
  ExpectDeployed(false);
  const QStringList deployed = FileNames(share);
  QCOMPARE(deployed.size(), 6);

  // A new engine and installer too big for what is left of the share.
  const QByteArray engine = "MZ engine 2" + QByteArray(64 * 1024, 'e');
  QVERIFY(WriteText(toolkit_ + "/VelloranEngine.exe", engine));
  QVERIFY(WriteText(toolkit_ + "/MDAC_TYP2.5SP3.EXE", "MZ mdac 2" + QByteArray(64 * 1024, 'm')));
  auto deployOnFullShare = [&] {
    Script().Reset();
    Script().SetNextAnswer(MessageAnswer::OK);
    FullDisk full(16 * 1024);
    QVERIFY(full.Active());
    DeployNow(*w);
  };
  deployOnFullShare();
  QCOMPARE(Messages().size(), 1);  // the one report: see the core's tests
  QCOMPARE(ReadBytes(share + "/MDAC_TYP2.5SP3.EXE"), QByteArray("MZ mdac 2.5"));
  QCOMPARE(ReadBytes(share + "/VelloranEngine.exe"), QByteArray("MZ engine 1"));

  // Without the installer the engine's copy fails and the INI file's goes on.
  w->findChild<QCheckBox*>("chkIncludeMDAC")->click();
  QVERIFY(w->SaveINI() == frmWizard::SaveOutcome::Written);
  deployOnFullShare();
  QCOMPARE(Messages().size(), 1);  // the one report: see the core's tests
  QCOMPARE(ReadBytes(share + "/VelloranEngine.exe"), QByteArray("MZ engine 1"));
  QCOMPARE(ReadBytes(share + "/Printers.ini"), ReadBytes(inifile_));
  QCOMPARE(FileNames(share), deployed);  // no temp file left behind
  QVERIFY(w->isEnabled());

  // With room again the same window deploys the new engine.
  Script().Reset();
  Script().SetNextAnswer(MessageAnswer::OK);
  DeployNow(*w);
  ExpectDeployed(false);
  QCOMPARE(ReadBytes(share + "/VelloranEngine.exe"), engine);
}

void DeploymentTest::textsFromOutsideAreMadeSafe() {
  DeploymentRequest request;
  request.Folder = "\\\\srv\\100%\\\"x\" & del *";
  request.DocumentName = "50%off.ini";
  GeneratedBy by{LocalTime{2004, 7, 9, 14, 5, 33, 0}, "o'brien <b>&co</b>", "PC\"1\r\nREM"};

  const std::string batch = BatchFileText(request, by);
  QVERIFY(batch.find("\"\\\\srv\\100%%\\x & del *\\VelloranEngine.exe\" "
                     "\"\\\\srv\\100%%\\x & del *\\50%%off.ini\"\r\n") != std::string::npos);
  QVERIFY(batch.find("REM -- Generated From Computer: PC1REM\r\n") != std::string::npos);
  // Every line is a REM, empty, or one of the two quoted command lines.
  for (const QString& line : QString::fromStdString(batch).split("\r\n")) {
    QVERIFY2(line.isEmpty() || line.startsWith("REM -- ") || line.startsWith('"'),
             qPrintable(line));
  }

  const std::string page = WebLaunchPageText(request, by);
  QVERIFY(page.find("Generated By: o&#39;brien &lt;b&gt;&amp;co&lt;/b&gt;<br>\r\n") !=
          std::string::npos);
  QVERIFY(page.find("Generated From Computer: PC&quot;1\r\nREM</p>") != std::string::npos);
}

void DeploymentTest::dateAndTimeFormat() {
  QCOMPARE(FormatGeneratedOn({2004, 7, 9, 14, 5, 33, 0}), std::string("July 09, 2004 02:05:33 PM"));
  QCOMPARE(FormatGeneratedOn({2010, 12, 31, 0, 0, 0, 0}),
           std::string("December 31, 2010 12:00:00 AM"));
  QCOMPARE(FormatGeneratedOn({2010, 2, 1, 12, 59, 59, 0}),
           std::string("February 01, 2010 12:59:59 PM"));
  QCOMPARE(FormatGeneratedOn({999, 9, 10, 11, 0, 1, 0}),
           std::string("September 10, 0999 11:00:01 AM"));
}

// The driver start-up script is the user's choice, not the document's:
// ticking it changes nothing to save, the next window remembers it, and
// Deploy Now writes the script beside the batch file with the command line.
void DeploymentTest::theDriverScriptIsAChoiceOfTheUserThatDeployNowFollows() {
  const QString share = dir_->path() + "/share";
  const std::string choices = (dir_->path() + "/config/velloran/toolkit.conf").toStdString();
  QVERIFY(WriteText(toolkit_ + "/velloran.exe", "MZ command line"));
  {
    auto w = OpenDocument(share, false);
    QVERIFY(w);
    KeepToolkitChoices(*w, choices);
    FIND(script, QCheckBox, w, "chkDriverScript");
    QVERIFY(!script->isChecked());
    w->ShowPage(kPageDeployment);
    Click(script);
    QVERIFY(script->isChecked());
    QVERIFY(!w->UnsavedChanges());
    Script().Reset();
    Script().SetNextAnswer(MessageAnswer::OK);
    DeployNow(*w);
    ExpectDeployed(false);
    QCOMPARE(ReadBytes(share + "/velloran.exe"), QByteArray("MZ command line"));
    const QByteArray text = ReadBytes(share + "/Printers.ini.install-drivers.bat");
    QVERIFY2(
        text.contains("velloran.exe\" install-drivers \"" + share.toUtf8() + "\\Printers.ini\""),
        text.constData());
  }
  auto again = OpenDocument(share, false);
  QVERIFY(again);
  KeepToolkitChoices(*again, choices);
  QVERIFY(again->findChild<QCheckBox*>("chkDriverScript")->isChecked());
}

void DeploymentTest::whoAndWhere() {
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  QCOMPARE(modDeployment(*w, services_).GetLocalComputerName(), std::string("ADMINPC"));
  auto none = MakeNetworkFactory("none");
  QVERIFY(none.ok());
  DeploymentServices without = services_;
  without.Network = none->get();
  QCOMPARE(modDeployment(*w, without).GetLocalComputerName(), std::string("Computer UNKNOWN"));
  without.Network = nullptr;
  QCOMPARE(modDeployment(*w, without).GetLocalComputerName(), std::string("Computer UNKNOWN"));

  // Without a fixed user, the account this process runs as.
  QProcess id;
  id.start("id", {"-un"});
  QVERIFY(id.waitForFinished());
  without.UserName = nullptr;
  QCOMPARE(QString::fromStdString(modDeployment(*w, without).GetLocalUserName()),
           QString::fromUtf8(id.readAllStandardOutput()).trimmed());
}

QTEST_MAIN(DeploymentTest)
#include "DeploymentTest.moc"
