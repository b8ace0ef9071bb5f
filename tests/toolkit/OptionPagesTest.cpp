// The option pages: captions, the two copies, the dependent fields, the
// unsaved-changes events, the list editors, the field checks and the save
// check.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "ToolkitTest.h"
#include "platform/profile/Profile.h"
#include "toolkit/core/Branding.h"
#include "toolkit/qt/modBrowseForFolder.h"

using namespace velloran;
using namespace velloran::test;

class OptionPagesTest : public ToolkitSuite {
  Q_OBJECT

 private slots:

  void captions();
  void recordToControlsAndBack();
  void unsavedChangesEvents_data();
  void unsavedChangesEvents();
  void dependentFieldsAndColours();
  void pairEditors_data();
  void pairEditors();
  void deleteAnsweredNo();
  void focusIntoListKeepsTheTypedPair();
  void recipientEditor();
  void emailAndPortChecksKeepTheFocus();
  void folderChecksWarnAndTrimTheSeparator();
  void folderExists();
  void saveValidationActiveDirectory();
  void saveValidationManual();
  void leavingThePageOrTheWindowChecksNothing();
};

namespace {

// The page a control sits on, so the test can show it first.
int PageOf(QWidget* widget) {
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    const QString name = w->objectName();
    if (name.startsWith("sstWizardPage(")) return name.mid(14).chopped(1).toInt();
  }
  return -1;
}

QString CaptionOf(frmWizard& w, QWidget* field) {
  for (QLabel* label : w.findChildren<QLabel*>()) {
    if (label->buddy() == field) return label->text();
  }
  return QStringLiteral("<no caption>");
}

QStringList Lines(QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

// Saves to a temp file so that the unsaved-changes flag starts clear. A
// manual document needs a pair to be saved: one goes on the mixed page.
void SaveTo(frmWizard& w, const QString& path) {
  auto* mixed = w.findChild<QListWidget*>("lstMixedPrintersAndServers");
  if (!w.ActiveDirectoryMode() && mixed->count() == 0 &&
      w.findChild<QListWidget*>("lstServerPairs")->count() == 0 &&
      w.findChild<QListWidget*>("lstPrinterPairs")->count() == 0) {
    const int page = w.CurrentPage();
    w.ShowPage(kPageMixed);
    for (const char* f :
         {"txtMixedFromServer", "txtMixedFromPrinter", "txtMixedToServer", "txtMixedToPrinter"}) {
      Type(w.findChild<QLineEdit*>(f), "SAVED");
    }
    Click(w.findChild<QPushButton*>("cmdMixedSave"));
    w.ShowPage(page);
  }
  Script().SetNextFileName(path);
  QCOMPARE(w.SaveINIAs(), frmWizard::SaveOutcome::Written);
  QVERIFY(!w.UnsavedChanges());
}

void Tick(frmWizard& w, const char* name) {
  auto* box = w.findChild<QCheckBox*>(name);
  w.ShowPage(PageOf(box));
  if (!box->isChecked()) Click(box);
}

}  // namespace

void OptionPagesTest::captions() {
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  const std::pair<const char*, const char*> buttons[] = {
      {"chkAlwaysRun", "Always &Run"},
      {"chkUseSMTP", "&Notify via email"},
      {"chkUseFileOutput", "&Notify via file output"},
      {"chkIncludeComputerName", "Include &client computer name in filename"},
      {"chkIncludeFinalStatus", "Include final &status in filename"},
      {"chkUseNotifyUser", "Notify user on &success with message:"},
      {"chkNotifyMessageOnFailure", "Notify user on f&ailure with message:"},
      {"chkWriteToEventLog",
       "&Write sucess and failure messages to the Windows application event log"},
      {"chkBatchFile", "Create &batch file"},
      {"chkCreateHTML", "&Create web launch page"},
      {"chkIncludeMDAC", "Include &MDAC in batch file and/or web page"},
      {"optMDACVersion(0)", "MDAC vr 2.&5 SP3 - default version when using Windows 2000"},
      {"optMDACVersion(1)", "MDAC vr 2.&7 SP1- default version when using Windows XP"},
      {"optMDACVersion(2)",
       "MDAC vr 2.&8 - default version when using Windows 2003/Windows XP SP2"},
      {"chkDebugOn", "&Turn on debugging"},
      {"cmdNewServerPair", "Ne&w"},
      {"cmdSaveServerPair", "&Save"},
      {"cmdDeleteServer", "&Delete"},
      {"cmdNewPrinter", "Ne&w"},
      {"cmdPrinterSave", "&Save"},
      {"cmdDeletePrinter", "&Delete"},
      {"cmdMixedNew", "Ne&w"},
      {"cmdMixedSave", "&Save"},
      {"cmdMixedDelete", "&Delete"},
      {"cmdAddSendEmail", "&Add"},
      {"cmdRemoveSendEmail", "&Remove"},
      {"cmdBrowseFileOutput", "..."},
      {"cmdBrowseDeployment", "..."},
      {"cmdBack(4)", "&Back"},
      {"cmdNext(4)", "&Next"},
      {"cmdHelp(4)", "Help"},
  };
  for (const auto& [name, caption] : buttons) {
    FIND(button, QAbstractButton, w.get(), name);
    QCOMPARE(button->text(), QString(caption));
  }
  const std::pair<const char*, const char*> fields[] = {
      {"cboDomainName", "Please select or enter your &Active Directory domain name:"},
      {"txtFromServer", "F&rom Print Server:"},
      {"txtToServer", "&To Print Server:"},
      {"lstServerPairs", "&Print Server Pairs:"},
      {"txtFromPrinter", "F&rom Printer:"},
      {"txtToPrinter", "&To Printer:"},
      {"lstPrinterPairs", "&Printer Pairs:"},
      {"txtMixedFromServer", "&From Print Server:"},
      {"txtMixedFromPrinter", "From P&rinter:"},
      {"txtMixedToServer", "To &Print Server:"},
      {"txtMixedToPrinter", "T&o Printer:"},
      {"lstMixedPrintersAndServers", "Print Server &and Printer Pairs:"},
      {"txtSMTPServerName", "&SMTP Server Name or IP:"},
      {"txtSMTPServerPort", "SMTP Server &Port:"},
      {"txtSMTPEmailAddress", "Fro&m Email Address:"},
      {"txtSendEmailTo", "Send Email &To:"},
      {"txtEmailSubject", "&Email Subject:"},
      {"txtFileOutputPath", "File &Output Path:"},
      {"txtFileOutputName", "File Output &Name:"},
      {"txtNetworkSharePath", "&Network Share Path:"},
      {"cboConfigurationFileType", "<no caption>"},
  };
  for (const auto& [name, caption] : fields) {
    FIND(field, QWidget, w.get(), name);
    QCOMPARE(CaptionOf(*w, field), QString(caption));
  }
  const std::pair<QString, const char*> headings[] = {
      {Indexed("lblGeneral", 0), "General"},
      {Indexed("lblGeneral", 1), "Active Directory"},
      {Indexed("lblGeneral", 2), "Manual Configuration - Servers"},
      {Indexed("lblGeneral", 3), "Notification"},
      {Indexed("lblGeneral", 4), "Notification - SMTP Mail"},
      {Indexed("lblGeneral", 5), "Notification - File Output"},
      {Indexed("lblGeneral", 6), "Notification - Client Pop-Up"},
      {Indexed("lblGeneral", 8), "Notification - Application Event Log"},
      {Indexed("lblGeneral", 10), "Manual Configuration"},
      {Indexed("lblGeneral", 11), "Manual Configuration - Printers"},
      {Indexed("lblGeneral", 12), "Manual Configuration - Mixed"},
      {Indexed("lblGeneral", 14), "Support"},
      {Indexed("lblGeneral", 16), "Deployment - MDAC"},
      {Indexed("lblGeneral", 17), "Deployment"},
  };
  for (const auto& [name, heading] : headings) {
    FIND(label, QLabel, w.get(), name);
    QCOMPARE(label->text(), QString(heading));
  }
  FIND(debugText, QLabel, w.get(), Indexed("lblWizard", 6));
  QVERIFY(debugText->text().endsWith("with a default extention of \".debug\"."));
  FIND(notification, QLabel, w.get(), Indexed("lblNotification", 3));
  QVERIFY(notification->text().startsWith("Velloran offers several methods for notification."));
  FIND(type, QComboBox, w.get(), "cboConfigurationFileType");
  QCOMPARE(type->count(), 2);
  QCOMPARE(type->itemText(0), QString("Active Directory"));
  QCOMPARE(type->itemText(1), QString("Manual Configuration"));
}

void OptionPagesTest::recordToControlsAndBack() {
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  INISettings& s = w->Settings();
  s.AlwaysRun = true;
  s.DomainName = "corp.example.com";
  // The reader's shapes: a single entry comes with a blank slot, an empty
  // "from" part is never listed.
  s.ServerPairs = {{"OLDSRV1", "NEWSRV1"}, {"OLDSRV2", "NEWSRV2"}};
  s.PrinterPairs = {{"ACCOUNTING", "ACCOUNTING-COLOR"}, {"", ""}};
  s.MixedPairs = {{"BRANCH", "HR", "HR-2", "NEWSRV1"}, {"", "LOST", "X", "Y"}};
  s.UseSMTP = true;
  s.SMTPServerNameOrIP = "mail.corp.example.com";
  s.ServerPort = "2525";
  s.EmailSubject = "Printers";
  s.EmailTo = {"helpdesk@corp.example.com", "", " admin@corp.example.com"};
  s.EmailFrom = "velloran@corp.example.com";
  s.UseFileOutput = true;
  s.FileOutputPath = "\\\\NEWSRV1\\MIGRATION";
  s.FileOutputName = "results.txt";
  s.IncludeComputerName = true;
  s.IncludeOutcome = false;
  s.WriteToEventLog = true;
  s.UseClientPopup = false;  // the success switch decides the box
  s.UseSuccessClientPopup = true;
  s.SuccessMessage = "Your printers have been moved.^CRLF^CRLFThank you.";
  s.UseFailureClientPopup = true;
  s.FailureMessage = "Not moved.^CRLFPlease call 2040.";
  s.DeploymentPath = "\\\\NEWSRV1\\DEPLOY";
  s.CreateWebLaunchPage = true;
  s.CreateBatchFile = false;
  s.IncludeMDAC = true;
  s.MDACOption = 1;
  s.DebugOn = true;
  w->CopyRecordToControls();

  QCOMPARE(Lines(w->findChild<QListWidget*>("lstServerPairs")),
           (QStringList{"OLDSRV1 -> NEWSRV1", "OLDSRV2 -> NEWSRV2"}));
  QCOMPARE(Lines(w->findChild<QListWidget*>("lstPrinterPairs")),
           (QStringList{"ACCOUNTING -> ACCOUNTING-COLOR"}));
  QCOMPARE(Lines(w->findChild<QListWidget*>("lstMixedPrintersAndServers")),
           (QStringList{"BRANCH >> HR -> NEWSRV1 >> HR-2"}));
  QCOMPARE(Lines(w->findChild<QListWidget*>("lstToEmailAddresses")),
           (QStringList{"helpdesk@corp.example.com", " admin@corp.example.com"}));
  QCOMPARE(w->findChild<QComboBox*>("cboDomainName")->currentText(), QString("corp.example.com"));
  QVERIFY(w->findChild<QCheckBox*>("chkUseNotifyUser")->isChecked());
  QCOMPARE(w->findChild<QPlainTextEdit*>("txtSucessMessage")->toPlainText(),
           QString("Your printers have been moved.\n\nThank you."));
  QVERIFY(w->findChild<QRadioButton*>("optMDACVersion(1)")->isChecked());
  QVERIFY(w->findChild<QCheckBox*>("chkIncludeFinalStatus")->isEnabled());
  QVERIFY(!w->findChild<QCheckBox*>("chkIncludeFinalStatus")->isChecked());

  INISettings expected = s;
  w->CopyControlsToRecord();
  // Back in the record: the controls' shape (a blank entry 0, then one per
  // line), both pop-up switches from the one box, the tokens restored.
  expected.ServerPairs = {{}, {"OLDSRV1", "NEWSRV1"}, {"OLDSRV2", "NEWSRV2"}};
  expected.PrinterPairs = {{}, {"ACCOUNTING", "ACCOUNTING-COLOR"}};
  expected.MixedPairs = {{}, {"BRANCH", "HR", "HR-2", "NEWSRV1"}};
  expected.EmailTo = {"", "helpdesk@corp.example.com", " admin@corp.example.com"};
  expected.UseClientPopup = true;
  QVERIFY(w->Settings() == expected);

  // A failure message alone still switches the pop-up channel on.
  w->findChild<QCheckBox*>("chkUseNotifyUser")->setChecked(false);
  w->findChild<QCheckBox*>("chkNotifyMessageOnFailure")->setChecked(true);
  w->CopyControlsToRecord();
  QVERIFY(w->Settings().UseClientPopup);
  QVERIFY(!w->Settings().UseSuccessClientPopup);
  QVERIFY(w->Settings().UseFailureClientPopup);
  w->findChild<QCheckBox*>("chkNotifyMessageOnFailure")->setChecked(false);
  w->CopyControlsToRecord();
  QVERIFY(!w->Settings().UseClientPopup);

  // A number that no option stands for selects none, and saves as 2.
  w->Settings().MDACOption = 7;
  w->CopyRecordToControls();
  for (int i = 0; i < 3; ++i) {
    QVERIFY(!w->findChild<QRadioButton*>(Indexed("optMDACVersion", i))->isChecked());
  }
  w->CopyControlsToRecord();
  QCOMPARE(w->Settings().MDACOption, int16_t(2));
}

void OptionPagesTest::unsavedChangesEvents_data() {
  QTest::addColumn<QString>("control");
  QTest::addColumn<bool>("marks");
  for (const char* box : {"chkAlwaysRun",
                          "chkBatchFile",
                          "chkCreateHTML",
                          "chkDebugOn",
                          "chkIncludeComputerName",
                          "chkIncludeFinalStatus",
                          "chkIncludeMDAC",
                          "chkNotifyMessageOnFailure",
                          "chkUseFileOutput",
                          "chkUseNotifyUser",
                          "chkUseSMTP",
                          "chkWriteToEventLog",
                          "optMDACVersion(1)",
                          "optMDACVersion(2)",
                          "cboDomainName",
                          "txtEmailSubject",
                          "txtFailureMessage",
                          "txtFileOutputName",
                          "txtFileOutputPath",
                          "txtFromPrinter",
                          "txtToPrinter",
                          "txtMixedFromPrinter",
                          "txtMixedFromServer",
                          "txtMixedToPrinter",
                          "txtMixedToServer",
                          "txtNetworkSharePath",
                          "txtSMTPEmailAddress",
                          "txtSMTPServerName",
                          "txtSMTPServerPort",
                          "txtSucessMessage"}) {
    QTest::newRow(box) << QString(box) << true;
  }
  // Typing a pair is a change: a save takes it.
  for (const char* typed : {"txtFromServer", "txtToServer"}) {
    QTest::newRow(typed) << QString(typed) << true;
  }
  for (const char* quiet : {"txtSendEmailTo"}) {
    QTest::newRow(quiet) << QString(quiet) << false;
  }
}

void OptionPagesTest::unsavedChangesEvents() {
  QFETCH(QString, control);
  QFETCH(bool, marks);
  QTemporaryDir dir;
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  for (const char* box : {"chkUseSMTP", "chkUseFileOutput", "chkUseNotifyUser",
                          "chkNotifyMessageOnFailure", "chkIncludeMDAC"}) {
    Tick(*w, box);
  }
  SaveTo(*w, dir.filePath("events.ini"));

  FIND(widget, QWidget, w.get(), control);
  w->ShowPage(PageOf(widget));
  if (qobject_cast<QAbstractButton*>(widget)) {
    Click(widget);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    Type(combo, "corp.example.com");
  } else {
    // The value typed is one the field checks accept, so leaving the field
    // raises no message.
    Type(widget, control == "txtSMTPServerPort"     ? "587"
                 : control == "txtSMTPEmailAddress" ? "a@b"
                                                    : "X");
  }
  QCOMPARE(w->UnsavedChanges(), marks);
}

void OptionPagesTest::dependentFieldsAndColours() {
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  frmWizard::SystemActions actions;
  actions.BrowseFileOutput = [](frmWizard&) {};
  w->SetSystemActions(actions);
  const QPalette standard = QApplication::palette();
  const QColor window = standard.color(QPalette::Active, QPalette::Base);
  const QColor buttonFace = standard.color(QPalette::Active, QPalette::Button);
  QVERIFY(window != buttonFace);

  struct Dependent {
    const char* box;
    std::vector<const char*> coloured, plain;
  };
  const Dependent dependents[] = {
      {"chkUseSMTP",
       {"txtSMTPServerName", "txtSMTPServerPort", "txtEmailSubject", "txtSendEmailTo",
        "lstToEmailAddresses", "txtSMTPEmailAddress"},
       {"cmdAddSendEmail", "cmdRemoveSendEmail"}},
      {"chkUseFileOutput",
       {"txtFileOutputPath"},
       {"cmdBrowseFileOutput", "txtFileOutputName", "chkIncludeComputerName",
        "chkIncludeFinalStatus"}},
      {"chkUseNotifyUser", {"txtSucessMessage"}, {}},
      {"chkNotifyMessageOnFailure", {"txtFailureMessage"}, {}},
      {"chkIncludeMDAC", {}, {"optMDACVersion(0)", "optMDACVersion(1)", "optMDACVersion(2)"}},
  };
  for (const Dependent& d : dependents) {
    FIND(box, QCheckBox, w.get(), d.box);
    w->ShowPage(PageOf(box));
    for (bool on : {false, true, false}) {
      if (box->isChecked() != on) Click(box);
      QCOMPARE(box->isChecked(), on);
      for (const char* name : d.coloured) {
        FIND(field, QWidget, w.get(), name);
        QCOMPARE(field->isEnabled(), on);
        QCOMPARE(field->palette().color(QPalette::Base), on ? window : buttonFace);
      }
      for (const char* name : d.plain) {
        FIND(field, QWidget, w.get(), name);
        QCOMPARE(field->isEnabled(), on);
      }
    }
  }
  // The output name follows the switch but keeps the window colour.
  QCOMPARE(w->findChild<QLineEdit*>("txtFileOutputName")
               ->palette()
               .color(QPalette::Active, QPalette::Base),
           window);
}

struct EditorCase {
  QStringList fields;
  QString cmdNew, cmdSave, cmdDelete, list;
  QStringList first, second;
  QString firstLine, secondLine;
  QString emptyMessage, deleteQuestion;
};
Q_DECLARE_METATYPE(EditorCase)

void OptionPagesTest::pairEditors_data() {
  QTest::addColumn<EditorCase>("editor");
  QTest::newRow("servers") << EditorCase{
      {"txtFromServer", "txtToServer"},
      "cmdNewServerPair",
      "cmdSaveServerPair",
      "cmdDeleteServer",
      "lstServerPairs",
      {"OLDSRV1", "NEWSRV1"},
      {"OLDSRV2", "NEWSRV2"},
      "OLDSRV1 -> NEWSRV1",
      "OLDSRV2 -> NEWSRV2",
      "Both a From and To Print Server name is required. Please enter both print server names.",
      "Are you sure that you want to delete the selected Print Server pair?"};
  QTest::newRow("printers") << EditorCase{
      {"txtFromPrinter", "txtToPrinter"},
      "cmdNewPrinter",
      "cmdPrinterSave",
      "cmdDeletePrinter",
      "lstPrinterPairs",
      {"ACCOUNTING", "ACCOUNTING-COLOR"},
      {"RECEPTION", "RECEPTION-MFP"},
      "ACCOUNTING -> ACCOUNTING-COLOR",
      "RECEPTION -> RECEPTION-MFP",
      "Both a From and To Printer name is required. Please enter both printer names.",
      "Are you sure that you want to delete the selected Printer pair?"};
  QTest::newRow("mixed") << EditorCase{
      {"txtMixedFromServer", "txtMixedFromPrinter", "txtMixedToServer", "txtMixedToPrinter"},
      "cmdMixedNew",
      "cmdMixedSave",
      "cmdMixedDelete",
      "lstMixedPrintersAndServers",
      {"BRANCH", "HR LASER", "NEWSRV1", "HR-2"},
      {"BRANCH", "LOBBY", "NEWSRV2", "LOBBY"},
      "BRANCH >> HR LASER -> NEWSRV1 >> HR-2",
      "BRANCH >> LOBBY -> NEWSRV2 >> LOBBY",
      "Both a From and To Server and Printer name is required. Please enter both server and "
      "printer names.",
      "Are you sure that you want to delete the selected Server and Printer pair?"};
}

void OptionPagesTest::pairEditors() {
  QFETCH(EditorCase, editor);
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  FIND(list, QListWidget, w.get(), editor.list);
  FIND(cmdNew, QPushButton, w.get(), editor.cmdNew);
  FIND(cmdSave, QPushButton, w.get(), editor.cmdSave);
  FIND(cmdDelete, QPushButton, w.get(), editor.cmdDelete);
  std::vector<QLineEdit*> fields;
  for (const QString& name : editor.fields) {
    FIND(field, QLineEdit, w.get(), name);
    fields.push_back(field);
  }
  auto fill = [&](const QStringList& values) {
    for (size_t i = 0; i < fields.size(); ++i) Type(fields[i], values[qsizetype(i)]);
  };
  auto values = [&] {
    QStringList v;
    for (QLineEdit* f : fields) v << f->text();
    return v;
  };
  w->ShowPage(PageOf(list));

  // One name missing: refused, nothing added.
  Type(fields[0], editor.first[0]);
  Click(cmdSave);
  QCOMPARE(LastShown().Text, editor.emptyMessage);
  QCOMPARE(LastShown().Title, QString("Save Error"));
  QCOMPARE(LastShown().Icon, MessageIcon::Critical);
  QCOMPARE(list->count(), 0);

  // Save in new-entry mode adds and selects; a second Save replaces it.
  fill(editor.first);
  Click(cmdSave);
  QCOMPARE(Lines(list), QStringList{editor.firstLine});
  QCOMPARE(list->currentRow(), 0);
  QVERIFY(w->UnsavedChanges());
  Click(cmdSave);
  QCOMPARE(Lines(list), QStringList{editor.firstLine});

  // New, then a second pair.
  Click(cmdNew);
  QCOMPARE(values(), QStringList(QList<QString>(fields.size(), QString())));
  fill(editor.second);
  Click(cmdSave);
  QCOMPARE(Lines(list), (QStringList{editor.firstLine, editor.secondLine}));

  // Clicking a line loads its names, without the blanks around the arrows;
  // saving it unchanged gives the identical line.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(0)).center());
  QCOMPARE(values(), editor.first);
  Click(cmdSave);
  QCOMPARE(Lines(list), (QStringList{editor.firstLine, editor.secondLine}));

  // Delete asks; Yes removes the line and empties the fields.
  Script().SetNextAnswer(MessageAnswer::Yes);
  Click(cmdDelete);
  QCOMPARE(LastShown().Text, editor.deleteQuestion);
  QCOMPARE(LastShown().Title, QString("Delete?"));
  QCOMPARE(LastShown().Buttons, MessageButtons::YesNo);
  QCOMPARE(Lines(list), QStringList{editor.secondLine});
  QCOMPARE(values(), QStringList(QList<QString>(fields.size(), QString())));

  // Saving with no line selected adds the pair rather than dropping it.
  fill(editor.first);
  Click(cmdSave);
  QCOMPARE(Lines(list), (QStringList{editor.secondLine, editor.firstLine}));

  // In new-entry mode Delete only empties the fields.
  Click(cmdNew);
  fill(editor.second);
  const size_t before = Script().Shown().size();
  Click(cmdDelete);
  QCOMPARE(Script().Shown().size(), before);
  QCOMPARE(values(), QStringList(QList<QString>(fields.size(), QString())));
  QCOMPARE(list->count(), 2);
}

void OptionPagesTest::deleteAnsweredNo() {
  QTemporaryDir dir;
  // The server editor marks the document even when the answer is No ...
  {
    auto w = StartWizard(Kind::Manual);
    QVERIFY(w);
    w->ShowPage(kPageServers);
    Type(w->findChild<QLineEdit*>("txtFromServer"), "OLD");
    Type(w->findChild<QLineEdit*>("txtToServer"), "NEW");
    Click(w->findChild<QPushButton*>("cmdSaveServerPair"));
    SaveTo(*w, dir.filePath("servers.ini"));
    Script().SetNextAnswer(MessageAnswer::No);
    Click(w->findChild<QPushButton*>("cmdDeleteServer"));
    QCOMPARE(w->findChild<QListWidget*>("lstServerPairs")->count(), 1);
    QVERIFY(w->UnsavedChanges());
  }
  // ... the printer and mixed editors do not.
  for (const auto& [from, to, save, remove] : {std::array<const char*, 4>{
           "txtFromPrinter", "txtToPrinter", "cmdPrinterSave", "cmdDeletePrinter"}}) {
    auto w = StartWizard(Kind::Manual);
    QVERIFY(w);
    w->ShowPage(kPagePrinters);
    Type(w->findChild<QLineEdit*>(from), "OLD");
    Type(w->findChild<QLineEdit*>(to), "NEW");
    Click(w->findChild<QPushButton*>(save));
    SaveTo(*w, dir.filePath("printers.ini"));
    Script().SetNextAnswer(MessageAnswer::No);
    Click(w->findChild<QPushButton*>(remove));
    QVERIFY(!w->UnsavedChanges());
  }
  {
    auto w = StartWizard(Kind::Manual);
    QVERIFY(w);
    w->ShowPage(kPageMixed);
    for (const char* f :
         {"txtMixedFromServer", "txtMixedFromPrinter", "txtMixedToServer", "txtMixedToPrinter"}) {
      Type(w->findChild<QLineEdit*>(f), "N");
    }
    Click(w->findChild<QPushButton*>("cmdMixedSave"));
    SaveTo(*w, dir.filePath("mixed.ini"));
    Script().SetNextAnswer(MessageAnswer::No);
    Click(w->findChild<QPushButton*>("cmdMixedDelete"));
    QVERIFY(!w->UnsavedChanges());
    QCOMPARE(w->findChild<QListWidget*>("lstMixedPrintersAndServers")->count(), 1);
  }
}

void OptionPagesTest::recipientEditor() {
  QTemporaryDir dir;
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  Tick(*w, "chkUseSMTP");
  SaveTo(*w, dir.filePath("mail.ini"));
  FIND(address, QLineEdit, w.get(), "txtSendEmailTo");
  FIND(add, QPushButton, w.get(), "cmdAddSendEmail");
  FIND(remove, QPushButton, w.get(), "cmdRemoveSendEmail");
  FIND(list, QListWidget, w.get(), "lstToEmailAddresses");

  Type(address, "helpdesk");
  Click(add);
  QCOMPARE(LastShown().Text, QString("Incorrect email address. Please enter a valid email "
                                     "address (i.e. ") +
                                 kExampleEmailAddress + ")");
  QCOMPARE(LastShown().Title, QString("Invalid Email"));
  QCOMPARE(LastShown().Icon, MessageIcon::Information);
  QCOMPARE(list->count(), 0);
  QVERIFY(!w->UnsavedChanges());

  Type(address, "helpdesk@corp.example.com");
  Click(add);
  QCOMPARE(Lines(list), QStringList{"helpdesk@corp.example.com"});
  QCOMPARE(address->text(), QString("helpdesk@corp.example.com"));
  QVERIFY(w->UnsavedChanges());
  SaveTo(*w, dir.filePath("mail.ini"));

  list->setCurrentRow(0);
  Script().SetNextAnswer(MessageAnswer::No);
  Click(remove);
  QCOMPARE(LastShown().Text,
           QString("Are you sure that you want to delete the selected Email To Address?"));
  QCOMPARE(list->count(), 1);
  QVERIFY(!w->UnsavedChanges());
  Script().SetNextAnswer(MessageAnswer::Yes);
  Click(remove);
  QCOMPARE(list->count(), 0);
  QVERIFY(w->UnsavedChanges());
}

void OptionPagesTest::emailAndPortChecksKeepTheFocus() {
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  Tick(*w, "chkUseSMTP");
  FIND(from, QLineEdit, w.get(), "txtSMTPEmailAddress");
  FIND(port, QLineEdit, w.get(), "txtSMTPServerPort");
  FIND(next, QPushButton, w.get(), Indexed("cmdNext", kPageSMTPMail));

  Type(from, "velloran");
  QTest::keyClick(from, Qt::Key_Tab);
  QCOMPARE(LastShown().Title, QString("Invalid Email"));
  QCOMPARE(LastShown().Icon, MessageIcon::Information);
  QCOMPARE(QApplication::focusWidget(), from);

  // A click elsewhere is lost with the refused check, as the field keeps
  // the focus: Next does not move on.
  Click(next);
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 2);
  QCOMPARE(w->CurrentPage(), int(kPageSMTPMail));
  QCOMPARE(QApplication::focusWidget(), from);

  Type(from, "velloran@corp.example.com");
  QTest::keyClick(from, Qt::Key_Tab);
  QVERIFY(QApplication::focusWidget() != from);
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 2);

  for (const auto& [text, refused] : {std::pair{"abc", true}, std::pair{"25", false},
                                      std::pair{"", false}, std::pair{"25x", true}}) {
    const int before = CountShown(ShownDialog::Kind::Message);
    Type(port, text);
    QTest::keyClick(port, Qt::Key_Tab);
    QCOMPARE(CountShown(ShownDialog::Kind::Message), before + (refused ? 1 : 0));
    QCOMPARE(QApplication::focusWidget() == port, refused);
    if (refused) {
      QCOMPARE(LastShown().Text,
               QString("Incorrect port number. Please enter a valid port number (i.e. 1025)"));
      QCOMPARE(LastShown().Title, QString("Invalid Port Number"));
    }
  }
  // With the field right, clicks act again.
  Type(port, "25");
  Click(next);
  QCOMPARE(w->CurrentPage(), int(kPageFileOutput));
}

void OptionPagesTest::folderChecksWarnAndTrimTheSeparator() {
  QTemporaryDir dir;
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  const QString missing = dir.filePath("not-created-yet");

  w->ShowPage(kPageDeployment);
  FIND(share, QLineEdit, w.get(), "txtNetworkSharePath");
  Type(share, missing + "\\");
  QTest::keyClick(share, Qt::Key_Tab);
  QTRY_COMPARE(CountShown(ShownDialog::Kind::Message), 1);
  QCOMPARE(LastShown().Text, QString("The network share folder could not be found. You will not "
                                     "be able to deploy this INI file until the folder is "
                                     "created."));
  QCOMPARE(LastShown().Title, QString("Folder not found."));
  QCOMPARE(LastShown().Icon, MessageIcon::Exclamation);
  QTRY_COMPARE(share->text(), missing);
  QVERIFY(QApplication::focusWidget() != share);  // the focus moves on
  QVERIFY(w->isEnabled());

  Type(share, dir.path() + "/");
  QTest::keyClick(share, Qt::Key_Tab);
  QTRY_COMPARE(share->text(), dir.path());
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 1);

  Tick(*w, "chkUseFileOutput");
  FIND(output, QLineEdit, w.get(), "txtFileOutputPath");
  Type(output, missing);
  QTest::keyClick(output, Qt::Key_Tab);
  QTRY_COMPARE(CountShown(ShownDialog::Kind::Message), 2);
  QCOMPARE(LastShown().Text, QString("The output file folder could not be found. This may cause "
                                     "Velloran to work irregularly."));
  QCOMPARE(LastShown().Title, QString("Folder not found."));
  Type(output, dir.path());
  QTest::keyClick(output, Qt::Key_Tab);
  QTest::qWait(20);
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 2);
}

void OptionPagesTest::folderExists() {
  QTemporaryDir dir;
  QVERIFY(FolderExists(dir.path(), Script().MountTable()));
  QVERIFY(!FolderExists(dir.filePath("missing"), Script().MountTable()));
  QVERIFY(!FolderExists("\\\\no-such-server-here\\share", Script().MountTable()));
  QVERIFY(!FolderExists(QString(), Script().MountTable()));
}

void OptionPagesTest::saveValidationActiveDirectory() {
  auto w = StartWizard(Kind::ActiveDirectory);
  QVERIFY(w);
  w->ShowPage(kPageSupport);
  w->findChild<QAction*>("ID_BTN_SAVE")->trigger();
  QCOMPARE(LastShown().Text, QString("The Active Directory domain name is a required field. "
                                     "Please enter an Active Directory domain name, before "
                                     "saving."));
  QCOMPARE(LastShown().Title, QString("Error Saving"));
  QCOMPARE(LastShown().Icon, MessageIcon::Critical);
  QCOMPARE(w->CurrentPage(), int(kPageActiveDirectory));
  QCOMPARE(w->findChild<QTreeWidget*>("tvwWizardOptions")->currentItem()->text(0),
           QString("Active Directory"));
  FIND(domain, QComboBox, w.get(), "cboDomainName");
  QVERIFY(domain->hasFocus() || domain->lineEdit()->hasFocus());
  QCOMPARE(CountShown(ShownDialog::Kind::SaveFile), 0);

  Type(domain, "corp.example.com");
  Script().SetNextFileName(QString());
  w->findChild<QAction*>("ID_BTN_SAVE")->trigger();
  QCOMPARE(LastShown().kind, ShownDialog::Kind::SaveFile);
  QVERIFY(w->UnsavedChanges());
  QVERIFY(w->DocumentPath().isEmpty());
}

void OptionPagesTest::saveValidationManual() {
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  w->findChild<QAction*>("ID_BTN_SAVE_AS")->trigger();
  QCOMPARE(LastShown().Text, QString("At least one of the Manual Configurations must have data. "
                                     "Please enter at least one set of Manual data before "
                                     "saving."));
  QCOMPARE(LastShown().Title, QString("Error Saving"));
  QCOMPARE(w->CurrentPage(), int(kPageServers));
  QCOMPARE(w->findChild<QTreeWidget*>("tvwWizardOptions")->currentItem()->text(0),
           QString("Servers"));
  QCOMPARE(QApplication::focusWidget(), w->findChild<QLineEdit*>("txtFromServer"));

  // Any one list with a line is enough.
  w->ShowPage(kPagePrinters);
  Type(w->findChild<QLineEdit*>("txtFromPrinter"), "A");
  Type(w->findChild<QLineEdit*>("txtToPrinter"), "B");
  Click(w->findChild<QPushButton*>("cmdPrinterSave"));
  Script().SetNextFileName(QString());
  w->findChild<QAction*>("ID_BTN_SAVE_AS")->trigger();
  QCOMPARE(LastShown().kind, ShownDialog::Kind::SaveFile);
}

void OptionPagesTest::leavingThePageOrTheWindowChecksNothing() {
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  Tick(*w, "chkUseSMTP");
  FIND(from, QLineEdit, w.get(), "txtSMTPEmailAddress");
  Type(from, "velloran");
  // The toolbar takes no focus: its jump hides the field, which is no
  // leaving of it.
  w->findChild<QAction*>("ID_BTN_SUPPORT")->trigger();
  QCOMPARE(w->CurrentPage(), int(kPageSupport));
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 0);
  w->ShowPage(kPageSMTPMail);
  from->setFocus(Qt::MouseFocusReason);
  Script().SetNextAnswer(MessageAnswer::No);  // the exit prompt
  QVERIFY(w->close());
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 1);
}

QTEST_MAIN(OptionPagesTest)
#include "OptionPagesTest.moc"

void OptionPagesTest::focusIntoListKeepsTheTypedPair() {
  QTemporaryDir dir;
  const QString path = dir.filePath("servers.ini");
  QVERIFY(WriteText(path,
                    "[GENERAL]\r\nUseManualDefinitions=True\r\n"
                    "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLD1\r\nToServers=NEW1\r\n"));
  auto w = StartWizardOn(path);
  QVERIFY(w);
  w->ShowPage(kPageServers);
  auto* from = w->findChild<QLineEdit*>("txtFromServer");
  auto* to = w->findChild<QLineEdit*>("txtToServer");
  auto* list = w->findChild<QListWidget*>("lstServerPairs");
  QCOMPARE(list->count(), 1);
  QCOMPARE(list->currentRow(), -1);

  // Focus arriving in the list (as by Tab) chooses no line: the new pair
  // being typed stays and is added by Save.
  Type(from, "OLD2");
  Type(to, "NEW2");
  list->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  QCOMPARE(from->text(), QString("OLD2"));
  QCOMPARE(to->text(), QString("NEW2"));
  Click(w->findChild<QPushButton*>("cmdSaveServerPair"));
  QCOMPARE(Lines(list), (QStringList{"OLD1 -> NEW1", "OLD2 -> NEW2"}));

  // Outside new-entry mode too, a line that focus made current without
  // selecting it is neither replaced by Save nor offered to Delete.
  list->setCurrentRow(-1);
  from->setFocus();
  list->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  Type(from, "OLD3");
  Type(to, "NEW3");
  Click(w->findChild<QPushButton*>("cmdSaveServerPair"));
  QCOMPARE(Lines(list), (QStringList{"OLD1 -> NEW1", "OLD2 -> NEW2", "OLD3 -> NEW3"}));
  list->setCurrentRow(-1);
  from->setFocus();
  list->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  Click(w->findChild<QPushButton*>("cmdDeleteServer"));  // no question is asked
  QCOMPARE(list->count(), 3);

  // An arrow key does choose a line.
  list->setCurrentRow(2);
  list->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(list, Qt::Key_Up);
  QCOMPARE(list->currentRow(), 1);
  QCOMPARE(from->text(), QString("OLD2"));
  QCOMPARE(to->text(), QString("NEW2"));
}
