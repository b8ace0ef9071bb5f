// New, Open, Save and Save As with their prompts and dialogs; what the
// toolkit writes is what the engine's reader reads.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "ToolkitTest.h"
#include "common/modINIDocument.h"
#include "platform/profile/Profile.h"
#include "toolkit/qt/Help.h"
#include "toolkit/qt/frmNewINI.h"

using namespace velloran;
using namespace velloran::test;

class FileCommandsTest : public ToolkitSuite {
  Q_OBJECT

 private slots:

  void saveAsAndSave();
  void saveOnAnUntitledDocumentCancelled();
  void newWithUnsavedChanges_data();
  void newWithUnsavedChanges();
  void openWithPromptsAndCancel();
  void newINIDialog();
  void writtenFileReadsBackThroughTheEngineReader();
  void handWrittenSectionsSurviveASave();
  void aSaveThatCannotBeWrittenKeepsTheChanges();
  void aFullDiskKeepsTheOldFileWhole();
  void aSaveKeepsLinksAndPermissions();
  void newAndOpenStopWhenTheirSaveAsIsCancelled();
  void textsBeyondAsciiTravelInTheCodePage();
};

namespace {

QAction* ToolNamed(frmWizard& w, const char* id) { return w.findChild<QAction*>(id); }

void AddServerPair(frmWizard& w, const QString& from, const QString& to) {
  w.ShowPage(kPageServers);
  Type(w.findChild<QLineEdit*>("txtFromServer"), from);
  Type(w.findChild<QLineEdit*>("txtToServer"), to);
  auto* newPair = w.findChild<QPushButton*>("cmdNewServerPair");
  auto* save = w.findChild<QPushButton*>("cmdSaveServerPair");
  Click(save);
  Click(newPair);
}

// A manual document holding the pair OLDSRV1 -> NEWSRV1, not yet saved.
std::unique_ptr<frmWizard> ManualWithOnePair() {
  auto w = StartWizard(Kind::Manual);
  if (w) AddServerPair(*w, "OLDSRV1", "NEWSRV1");
  return w;
}

void Tick(frmWizard& w, const char* name, bool on = true) {
  auto* box = w.findChild<QCheckBox*>(name);
  w.ShowPage([&] {
    for (QWidget* p = box; p; p = p->parentWidget()) {
      if (p->objectName().startsWith("sstWizardPage("))
        return p->objectName().mid(14).chopped(1).toInt();
    }
    return 0;
  }());
  if (box->isChecked() != on) Click(box);
}

INISettings ReadWithEngineReader(const QString& path) {
  INISettings s;
  INIDocument(SystemProfile(), QFile::encodeName(path).toStdString()).ReadINISettings(s);
  return s;
}

const QByteArray kManualFile =
    "[GENERAL]\r\nUseActiveDirectory=False\r\nUseManualDefinitions=True\r\nAlwaysRun=True\r\n"
    "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLDSRV1,OLDSRV2\r\nToServers=NEWSRV1,NEWSRV2\r\n"
    "[NOTIFICATION SMTP]\r\nServerPort=25\r\nEmailSubject=From the file\r\n";

const QByteArray kActiveDirectoryFile =
    "[GENERAL]\r\nUseActiveDirectory=True\r\nUseManualDefinitions=False\r\n"
    "[ACTIVE DIRECTORY]\r\nDomainName=corp.example.com\r\n";

}  // namespace

void FileCommandsTest::saveAsAndSave() {
  QTemporaryDir dir;
  auto w = ManualWithOnePair();
  QVERIFY(w);
  const QString path = dir.filePath("Printers.ini");
  Script().SetNextFileName(path);
  ToolNamed(*w, "ID_BTN_SAVE")->trigger();  // untitled: Save asks for a name

  const ShownDialog asked = LastShown();
  QCOMPARE(asked.kind, ShownDialog::Kind::SaveFile);
  QCOMPARE(asked.Title, QString("Save INI file As ..."));
  QCOMPARE(asked.InitialName, QString("UNTITLED.INI"));
  QCOMPARE(asked.Filter, QString("Velloran (*.ini)"));
  QCOMPARE(asked.DefaultSuffix, QString("ini"));
  QCOMPARE(w->DocumentPath(), path);
  QCOMPARE(w->DocumentName(), QString("Printers.ini"));
  QCOMPARE(w->windowTitle(), QString("Velloran - Deployment Toolkit [Printers.ini]"));
  QVERIFY(!w->UnsavedChanges());
  QVERIFY(ReadText(path).contains("FromServers=OLDSRV1\r\nToServers=NEWSRV1\r\n"));

  // Nothing changed: Save writes nothing and asks nothing.
  QVERIFY(QFile::remove(path));
  ToolNamed(*w, "ID_BTN_SAVE")->trigger();
  QVERIFY(!QFile::exists(path));
  QCOMPARE(CountShown(ShownDialog::Kind::SaveFile), 1);

  // A change: Save writes to the same file without asking.
  AddServerPair(*w, "OLDSRV2", "NEWSRV2");
  ToolNamed(*w, "ID_BTN_SAVE")->trigger();
  QCOMPARE(CountShown(ShownDialog::Kind::SaveFile), 1);
  QVERIFY(ReadText(path).contains("FromServers=OLDSRV1,OLDSRV2\r\n"));

  // Save As always asks, and moves the document to the new name.
  const QString copy = dir.filePath("Copy.ini");
  Script().SetNextFileName(copy);
  ToolNamed(*w, "ID_BTN_SAVE_AS")->trigger();
  QCOMPARE(w->DocumentPath(), copy);
  QCOMPARE(w->windowTitle(), QString("Velloran - Deployment Toolkit [Copy.ini]"));
  QVERIFY(ReadText(copy).contains("FromServers=OLDSRV1,OLDSRV2\r\n"));
  // Cancelling Save As changes nothing.
  Script().SetNextFileName(QString());
  ToolNamed(*w, "ID_BTN_SAVE_AS")->trigger();
  QCOMPARE(w->DocumentPath(), copy);
}

void FileCommandsTest::saveOnAnUntitledDocumentCancelled() {
  auto w = ManualWithOnePair();
  QVERIFY(w);
  Script().SetNextFileName(QString());
  ToolNamed(*w, "ID_BTN_SAVE")->trigger();
  QVERIFY(w->DocumentPath().isEmpty());
  QCOMPARE(w->DocumentName(), QString("UNTITLED"));
  QVERIFY(w->UnsavedChanges());
}

void FileCommandsTest::newWithUnsavedChanges_data() {
  QTest::addColumn<bool>("titled");
  QTest::addColumn<int>("answer");
  QTest::addColumn<bool>("saveAsConfirmed");
  QTest::addColumn<bool>("goesOn");
  QTest::addColumn<bool>("written");
  QTest::newRow("No") << true << int(MessageAnswer::No) << false << true << false;
  QTest::newRow("Yes, titled") << true << int(MessageAnswer::Yes) << false << true << true;
  QTest::newRow("Yes, untitled, named") << false << int(MessageAnswer::Yes) << true << true << true;
  QTest::newRow("Yes, untitled, Save As cancelled")
      << false << int(MessageAnswer::Yes) << false << false << false;
}

void FileCommandsTest::newWithUnsavedChanges() {
  QFETCH(bool, titled);
  QFETCH(int, answer);
  QFETCH(bool, saveAsConfirmed);
  QFETCH(bool, goesOn);
  QFETCH(bool, written);
  QTemporaryDir dir;
  const QString path = dir.filePath("Printers.ini");
  auto w = ManualWithOnePair();
  QVERIFY(w);
  if (titled) {
    Script().SetNextFileName(path);
    w->SaveINIAs();
  }
  AddServerPair(*w, "OLDSRV2", "NEWSRV2");
  // A recipient typed and added keeps its text in the box.
  Tick(*w, "chkUseSMTP");
  Type(w->findChild<QLineEdit*>("txtSendEmailTo"), "helpdesk@corp.example.com");
  Click(w->findChild<QPushButton*>("cmdAddSendEmail"));

  Script().SetNextAnswer(MessageAnswer(answer));
  if (!titled && answer == int(MessageAnswer::Yes)) {
    Script().SetNextFileName(saveAsConfirmed ? path : QString());
  }
  bool existingOffered = true;
  if (goesOn) {
    Script().SetNextDialogAction([&](QDialog& dialog) {
      existingOffered = dialog.findChild<QTabWidget*>("sstNewINI")->isTabEnabled(1);
      dialog.findChild<QRadioButton*>("optUseActiveDirectory")->click();
      dialog.findChild<QPushButton*>("cmdSelect")->click();
    });
  }
  ToolNamed(*w, "ID_BTN_NEW")->trigger();

  const ShownDialog& prompt = Script().Shown()[titled ? 2 : 1];
  QCOMPARE(prompt.Text,
           QString("Do you want to save your changes before creating a new INI file?"));
  QCOMPARE(prompt.Title, QString("Save?"));
  QCOMPARE(prompt.Icon, MessageIcon::Question);
  QCOMPARE(prompt.Buttons, MessageButtons::YesNo);
  QCOMPARE(ReadText(path).contains("OLDSRV2"), written);
  if (goesOn) {
    QVERIFY(!existingOffered);
    QVERIFY(w->ActiveDirectoryMode());
    QCOMPARE(w->DocumentName(), QString("UNTITLED"));
    QVERIFY(w->DocumentPath().isEmpty());
    QCOMPARE(w->windowTitle(), QString("Velloran - Deployment Toolkit [UNTITLED]"));
    QVERIFY(!w->UnsavedChanges());
    QCOMPARE(w->findChild<QListWidget*>("lstServerPairs")->count(), 0);
    QCOMPARE(w->findChild<QLineEdit*>("txtSendEmailTo")->text(), QString());
    QCOMPARE(w->findChild<QTreeWidget*>("tvwWizardOptions")->topLevelItem(1)->text(0),
             QString("Active Directory"));
  } else {
    // The whole command was abandoned: still manual, still changed.
    QVERIFY(!w->ActiveDirectoryMode());
    QVERIFY(w->UnsavedChanges());
    QCOMPARE(w->findChild<QListWidget*>("lstServerPairs")->count(), 2);
    QCOMPARE(w->findChild<QLineEdit*>("txtSendEmailTo")->text(),
             QString("helpdesk@corp.example.com"));
    QCOMPARE(CountShown(ShownDialog::Kind::Modal), 1);  // only the start-up dialog
  }
}

void FileCommandsTest::openWithPromptsAndCancel() {
  QTemporaryDir dir;
  const QString manual = dir.filePath("Manual.ini");
  const QString ad = dir.filePath("Directory.ini");
  QVERIFY(WriteText(manual, kManualFile));
  QVERIFY(WriteText(ad, kActiveDirectoryFile));
  auto w = StartWizard(Kind::ActiveDirectory);
  QVERIFY(w);

  Script().SetNextFileName(manual);
  ToolNamed(*w, "ID_BTN_OPEN")->trigger();
  QCOMPARE(LastShown().Title, QString("Open INI File ..."));
  QCOMPARE(LastShown().Filter, QString("Velloran (*.ini)"));
  QCOMPARE(w->DocumentPath(), manual);
  QCOMPARE(w->windowTitle(), QString("Velloran - Deployment Toolkit [Manual.ini]"));
  QVERIFY(!w->ActiveDirectoryMode());
  QVERIFY(!w->UnsavedChanges());
  QVERIFY(w->findChild<QCheckBox*>("chkAlwaysRun")->isChecked());
  QCOMPARE(w->findChild<QListWidget*>("lstServerPairs")->count(), 2);
  QCOMPARE(w->findChild<QLineEdit*>("txtEmailSubject")->text(), QString("From the file"));
  QCOMPARE(w->CurrentPage(), int(kPageGeneral));

  // Changed, No: the change is dropped and the other file opens.
  Tick(*w, "chkDebugOn");
  Script().SetNextAnswer(MessageAnswer::No);
  Script().SetNextFileName(ad);
  ToolNamed(*w, "ID_BTN_OPEN")->trigger();
  QCOMPARE(Script().Shown()[Script().Shown().size() - 2].Text,
           QString("Do you want to save your changes before opening a new INI file?"));
  QVERIFY(w->ActiveDirectoryMode());
  QVERIFY(!ReadText(manual).contains("DebugOn"));

  // Cancelled in the Open dialog: document, tree and flag stay as they were.
  Tick(*w, "chkDebugOn");
  Script().SetNextAnswer(MessageAnswer::No);
  Script().SetNextFileName(QString());
  ToolNamed(*w, "ID_BTN_OPEN")->trigger();
  QCOMPARE(w->DocumentPath(), ad);
  QVERIFY(w->UnsavedChanges());
  QVERIFY(w->findChild<QCheckBox*>("chkDebugOn")->isChecked());

  // Changed, Yes: written to its own file first.
  Script().SetNextAnswer(MessageAnswer::Yes);
  Script().SetNextFileName(manual);
  ToolNamed(*w, "ID_BTN_OPEN")->trigger();
  QVERIFY(ReadText(ad).contains("DebugOn=True"));
  QCOMPARE(w->DocumentPath(), manual);
}

void FileCommandsTest::newINIDialog() {
  QTemporaryDir dir;
  QVERIFY(WriteText(dir.filePath("b.ini"), ""));
  QVERIFY(WriteText(dir.filePath("A.INI"), ""));
  QVERIFY(WriteText(dir.filePath("c.txt"), ""));
  frmNewINI dialog(Script());
  dialog.show();
  FIND(tabs, QTabWidget, &dialog, "sstNewINI");
  FIND(files, QListWidget, &dialog, "filExistingINI");
  FIND(select, QPushButton, &dialog, "cmdSelect");
  FIND(help, QPushButton, &dialog, "cmdHelp");
  QCOMPARE(tabs->currentIndex(), int(frmNewINI::kPageNew));
  QVERIFY(!tabs->isTabEnabled(frmNewINI::kPageRecent));

  dialog.OfferExisting(true);
  Click(help);
  QVERIFY(LastShown().Text.endsWith("/" + help::HelpPageFile(1081)));
  tabs->setCurrentIndex(frmNewINI::kPageExisting);
  dialog.SetExistingFolder(dir.path());
  QStringList names;
  for (int i = 0; i < files->count(); ++i) names << files->item(i)->text();
  QCOMPARE(names, (QStringList{"A.INI", "b.ini"}));
  QVERIFY(!select->isEnabled());  // nothing chosen yet
  // Double-clicking a file selects it (for widgets QTest sends only the
  // second click of a double click, so the first one goes ahead).
  const QPoint second = files->visualItemRect(files->item(1)).center();
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, second);
  QVERIFY(select->isEnabled());
  QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, second);
  QVERIFY(!dialog.isVisible());
  QVERIFY(!dialog.g_bolCancelPressed);
  QCOMPARE(QFileInfo(dialog.ExistingFilePath()), QFileInfo(dir.filePath("b.ini")));

  frmNewINI onNew(Script());
  onNew.OfferExisting(false);
  onNew.show();
  QVERIFY(!onNew.findChild<QTabWidget*>("sstNewINI")->isTabEnabled(frmNewINI::kPageExisting));
  Click(onNew.findChild<QPushButton*>("cmdHelp"));
  QVERIFY(LastShown().Text.endsWith("/" + help::HelpPageFile(1036)));
  // F1 as on the wizard's pages.
  Script().Reset();
  onNew.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&onNew));
  QTest::keyClick(&onNew, Qt::Key_F1);
  QVERIFY(LastShown().Text.endsWith("/" + help::HelpPageFile(1036)));
  QTest::keyClick(&onNew, Qt::Key_Escape);
  QVERIFY(onNew.g_bolCancelPressed);
}

void FileCommandsTest::writtenFileReadsBackThroughTheEngineReader() {
  QTemporaryDir dir;
  const QString path = dir.filePath("Printers.ini");
  auto w = ManualWithOnePair();
  QVERIFY(w);
  AddServerPair(*w, "OLDSRV2", "NEWSRV2");
  w->ShowPage(kPagePrinters);
  Type(w->findChild<QLineEdit*>("txtFromPrinter"), "ACCOUNTING");
  Type(w->findChild<QLineEdit*>("txtToPrinter"), "ACCOUNTING-COLOR");
  Click(w->findChild<QPushButton*>("cmdPrinterSave"));
  Tick(*w, "chkUseSMTP");
  Type(w->findChild<QLineEdit*>("txtSMTPServerName"), "mail.corp.example.com");
  Type(w->findChild<QLineEdit*>("txtSMTPEmailAddress"), "velloran@corp.example.com");
  Type(w->findChild<QLineEdit*>("txtSendEmailTo"), "helpdesk@corp.example.com");
  Click(w->findChild<QPushButton*>("cmdAddSendEmail"));
  Type(w->findChild<QLineEdit*>("txtSendEmailTo"), "printadmin@corp.example.com");
  Click(w->findChild<QPushButton*>("cmdAddSendEmail"));
  Tick(*w, "chkUseNotifyUser");
  w->findChild<QPlainTextEdit*>("txtSucessMessage")->setFocus();
  QTest::keyClicks(w->findChild<QPlainTextEdit*>("txtSucessMessage"), "Moved.");
  QTest::keyClick(w->findChild<QPlainTextEdit*>("txtSucessMessage"), Qt::Key_Return);
  QTest::keyClicks(w->findChild<QPlainTextEdit*>("txtSucessMessage"), "Thank you.");
  Tick(*w, "chkIncludeMDAC");
  Click(w->findChild<QRadioButton*>("optMDACVersion(2)"));
  Tick(*w, "chkBatchFile");
  Tick(*w, "chkDebugOn");
  Script().SetNextFileName(path);
  ToolNamed(*w, "ID_BTN_SAVE")->trigger();

  INISettings expected;
  ResetINISettings(expected);
  expected.UseManualDefinitions = true;
  expected.ServerPairs = {{"OLDSRV1", "NEWSRV1"}, {"OLDSRV2", "NEWSRV2"}};
  expected.PrinterPairs = {{"ACCOUNTING", "ACCOUNTING-COLOR"}};
  expected.UseSMTP = true;
  expected.SMTPServerNameOrIP = "mail.corp.example.com";
  expected.EmailTo = {"helpdesk@corp.example.com", "printadmin@corp.example.com"};
  expected.EmailFrom = "velloran@corp.example.com";
  expected.UseClientPopup = expected.UseSuccessClientPopup = true;
  expected.SuccessMessage = "Moved.^CRLFThank you.";
  expected.IncludeMDAC = true;
  expected.MDACOption = 2;
  expected.CreateBatchFile = true;
  expected.DebugOn = true;
  const QByteArray written = ReadBytes(path);
  QCOMPARE(written, Golden("filled.ini", written));
  const INISettings read = ReadWithEngineReader(path);
  QCOMPARE(read.ServerPairs, expected.ServerPairs);
  QCOMPARE(read.PrinterPairs, expected.PrinterPairs);
  QCOMPARE(read.EmailTo, expected.EmailTo);
  QCOMPARE(read.SuccessMessage, expected.SuccessMessage);
  QVERIFY(read == expected);

  // Opened again, the pages show what was saved.
  Script().SetNextFileName(path);
  ToolNamed(*w, "ID_BTN_OPEN")->trigger();
  QCOMPARE(w->findChild<QPlainTextEdit*>("txtSucessMessage")->toPlainText(),
           QString("Moved.\nThank you."));
  QCOMPARE(w->findChild<QListWidget*>("lstToEmailAddresses")->count(), 2);
  QVERIFY(w->findChild<QRadioButton*>("optMDACVersion(2)")->isChecked());
}

void FileCommandsTest::handWrittenSectionsSurviveASave() {
  QTemporaryDir dir;
  const QString path = dir.filePath("Site.ini");
  const QByteArray handWritten =
      "; Printer move for the second floor, see ticket 4711\r\n"
      "[GENERAL]\r\n"
      "UseActiveDirectory=False\r\n"
      "UseManualDefinitions=True\r\n"
      "Owner=printadmin\r\n"
      "[SITE NOTES]\r\n"
      "Contact=help desk, extension 2040\r\n"
      "Window=Saturday 06:00\r\n"
      "[MANUAL DEFINITIONS SERVERS]\r\n"
      "FromServers=OLDSRV1\r\n"
      "ToServers=NEWSRV1\r\n";
  QVERIFY(WriteText(path, handWritten));
  auto w = StartWizardOn(path);
  QVERIFY(w);
  Tick(*w, "chkAlwaysRun");
  ToolNamed(*w, "ID_BTN_SAVE")->trigger();
  QVERIFY(!w->UnsavedChanges());

  const QString text = ReadText(path);
  QVERIFY(text.startsWith("; Printer move for the second floor, see ticket 4711\r\n[GENERAL]\r\n"));
  QVERIFY(text.contains("UseManualDefinitions=True\r\nOwner=printadmin\r\nAlwaysRun=True\r\n"));
  QVERIFY(text.contains(
      "[SITE NOTES]\r\nContact=help desk, extension 2040\r\nWindow=Saturday 06:00\r\n"
      "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLDSRV1\r\nToServers=NEWSRV1\r\n"));
  QVERIFY(text.contains("[SUPPORT]\r\nDebugOn=False\r\n"));
}

void FileCommandsTest::aSaveThatCannotBeWrittenKeepsTheChanges() {
  QTemporaryDir dir;
  auto w = ManualWithOnePair();
  QVERIFY(w);
  // A folder that is not there, and a name that is a folder.
  for (const QString& target : {dir.filePath("gone/Printers.ini"), dir.path()}) {
    Script().SetNextFileName(target);
    ToolNamed(*w, "ID_BTN_SAVE_AS")->trigger();
    QCOMPARE(LastShown().kind, ShownDialog::Kind::Message);
    QCOMPARE(LastShown().Title, QString("Error Saving"));
    QCOMPARE(LastShown().Icon, MessageIcon::Critical);
    QVERIFY(LastShown().Text.startsWith("The INI file could not be saved to " +
                                        QDir::toNativeSeparators(target) + "."));
    QVERIFY(LastShown().Text.contains("\n\nError:"));
    QVERIFY(w->UnsavedChanges());
  }
  // New asks before dropping the work; Yes with a failing write stops there.
  Script().SetNextAnswer(MessageAnswer::Yes);
  ToolNamed(*w, "ID_BTN_NEW")->trigger();
  QCOMPARE(LastShown().Title, QString("Error Saving"));
  QCOMPARE(w->findChild<QListWidget*>("lstServerPairs")->count(), 1);
  QVERIFY(w->UnsavedChanges());
}

// A save that runs out of space part-way leaves the file as it was, not
// the keys written before the space ran out beside the old rest.
void FileCommandsTest::aFullDiskKeepsTheOldFileWhole() {
  QTemporaryDir dir;
  const QString path = dir.filePath("Printers.ini");
  QVERIFY(WriteText(path, kManualFile));
  auto w = StartWizardOn(path);
  QVERIFY(w);
  AddServerPair(*w, "OLDSRV3", "NEWSRV3");
  {
    // Room for the first keys of the save, not for the whole document.
    FullDisk full(kManualFile.size() + 40);
    QVERIFY(full.Active());
    ToolNamed(*w, "ID_BTN_SAVE")->trigger();
  }
  QCOMPARE(LastShown().Title, QString("Error Saving"));
  QVERIFY(LastShown().Text.startsWith("The INI file could not be saved to " +
                                      QDir::toNativeSeparators(path) + "."));
  QVERIFY2(LastShown().Text.contains("\n\nError:27\n"), qPrintable(LastShown().Text));
  QVERIFY(w->UnsavedChanges());
  QCOMPARE(ReadText(path).toUtf8(), kManualFile);
  QCOMPARE(FileNames(dir.path()), QStringList{"Printers.ini"});

  // With room again the same save goes through whole.
  ToolNamed(*w, "ID_BTN_SAVE")->trigger();
  QVERIFY(!w->UnsavedChanges());
  const INISettings saved = ReadWithEngineReader(path);
  QCOMPARE(saved.ServerPairs[2].FromName, std::string("OLDSRV3"));
  QCOMPARE(saved.ServerPairs[2].ToName, std::string("NEWSRV3"));
  QCOMPARE(FileNames(dir.path()), QStringList{"Printers.ini"});
}

// The save replaces the file it names with a whole new one: a link stays a
// link to the saved file, and the file keeps its permissions.
void FileCommandsTest::aSaveKeepsLinksAndPermissions() {
  QTemporaryDir dir;
  const QString real = dir.filePath("real.ini"), link = dir.filePath("Printers.ini");
  QVERIFY(WriteText(real, kManualFile));
  QVERIFY(QFile::link(real, link));
  const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
  QVERIFY(QFile::setPermissions(real, mode));
  auto w = StartWizardOn(link);
  QVERIFY(w);
  AddServerPair(*w, "OLDSRV3", "NEWSRV3");
  ToolNamed(*w, "ID_BTN_SAVE")->trigger();
  QVERIFY(!w->UnsavedChanges());
  QVERIFY(QFileInfo(link).isSymLink());
  QCOMPARE(ReadWithEngineReader(real).ServerPairs[2].FromName, std::string("OLDSRV3"));
  QCOMPARE(QFile::permissions(real) & 0x7077, mode);  // owner, group, others
  QCOMPARE(FileNames(dir.path()), (QStringList{"Printers.ini", "real.ini"}));
}

void FileCommandsTest::newAndOpenStopWhenTheirSaveAsIsCancelled() {
  auto w = ManualWithOnePair();
  QVERIFY(w);
  for (const char* tool : {"ID_BTN_NEW", "ID_BTN_OPEN"}) {
    const int dialogs = CountShown(ShownDialog::Kind::SaveFile);
    Script().SetNextAnswer(MessageAnswer::Yes);
    Script().SetNextFileName(QString());  // Save As cancelled
    ToolNamed(*w, tool)->trigger();
    QCOMPARE(CountShown(ShownDialog::Kind::SaveFile), dialogs + 1);
    // Neither the New-INI dialog nor the Open dialog came up.
    QCOMPARE(LastShown().kind, ShownDialog::Kind::SaveFile);
    QVERIFY(w->UnsavedChanges());
    QCOMPARE(w->findChild<QListWidget*>("lstServerPairs")->count(), 1);
  }
}

// INI files hold ANSI text: a windows-1252 file opens with its letters and
// is written back in the same bytes, untouched keys included.
void FileCommandsTest::textsBeyondAsciiTravelInTheCodePage() {
  QTemporaryDir dir;
  const QString path = dir.filePath("Grüße.ini");
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(
      "[GENERAL]\r\nUseManualDefinitions=True\r\n"
      "[NOTIFICATION SMTP]\r\nEmailSubject=Gr\xFC\xDF"
      "e aus dem B\xFCro\r\n"
      "[LOCAL]\r\nNote=Stra\xDF"
      "e\r\n");
  file.close();
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  Script().SetNextFileName(path);
  ToolNamed(*w, "ID_BTN_OPEN")->trigger();
  auto* subject = w->findChild<QLineEdit*>("txtEmailSubject");
  QCOMPARE(subject->text(), QString::fromUtf8("Grüße aus dem Büro"));

  subject->setText(QString::fromUtf8("Café für 5 €"));
  AddServerPair(*w, QString::fromUtf8("ÄLT"), QString::fromUtf8("NEU"));
  ToolNamed(*w, "ID_BTN_SAVE")->trigger();
  QVERIFY(!w->UnsavedChanges());
  QFile saved(path);
  QVERIFY(saved.open(QIODevice::ReadOnly));
  const QByteArray bytes = saved.readAll();
  QVERIFY(bytes.contains("EmailSubject=Caf\xE9 f\xFCr 5 \x80\r\n"));
  QVERIFY(bytes.contains("FromServers=\xC4LT\r\n"));
  QVERIFY(
      bytes.contains("Note=Stra\xDF"
                     "e\r\n"));
  QVERIFY(!bytes.contains("\xC3"));  // no UTF-8 anywhere
}

QTEST_MAIN(FileCommandsTest)
#include "FileCommandsTest.moc"
