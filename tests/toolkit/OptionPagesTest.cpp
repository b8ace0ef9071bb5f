// The option pages: their texts, every control bound to the record, the
// dependent fields, the unsaved-changes events, the list editors, the field
// checks and where a refused save leads.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "ToolkitTest.h"
#include "platform/profile/Profile.h"
#include "tests/unit/common/ExampleDocument.h"
#include "toolkit/core/Branding.h"
#include "toolkit/qt/modBrowseForFolder.h"

using namespace velloran;
using namespace velloran::test;

class OptionPagesTest : public ToolkitSuite {
  Q_OBJECT

 private slots:

  void captions();
  void everyControlReachesTheRecordAndBack_data();
  void everyControlReachesTheRecordAndBack();
  void unsavedChangesEvents_data();
  void unsavedChangesEvents();
  void dependentFieldsAndColours();
  void pairEditors_data();
  void pairEditors();
  void focusIntoListKeepsTheTypedPair();
  void recipientEditor();
  void emailAndPortChecksKeepTheFocus();
  void folderChecksWarnAndTrimTheSeparator();
  void folderExists();
  void aRefusedSaveShowsTheFieldToMend();
  void leavingThePageKeepsTheUserLeavingTheWindowChecksNothing();
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

// Every text the wizard shows, page by page and control by control: a
// caption, heading, mnemonic or tip that changes shows up in review.
QByteArray TextsOf(frmWizard& w) {
  QStringList lines;
  for (QAction* menu : w.menuBar()->actions()) {
    lines << menu->menu()->objectName() + ": " + menu->text();
    for (QAction* action : menu->menu()->actions()) {
      if (!action->isSeparator()) lines << "  " + action->objectName() + ": " + action->text();
    }
  }
  for (int page = 0; page < kPageCount; ++page) {
    auto* container = w.findChild<QWidget*>(Indexed("sstWizardPage", page));
    lines << QStringLiteral("[page %1]").arg(page);
    for (QWidget* child : container->findChildren<QWidget*>()) {
      QString text;
      if (auto* label = qobject_cast<QLabel*>(child)) {
        text = label->text();
        if (label->buddy()) text += "  -> " + label->buddy()->objectName();
      } else if (auto* button = qobject_cast<QAbstractButton*>(child)) {
        text = button->text();
        if (!button->toolTip().isEmpty()) text += "  (" + button->toolTip() + ")";
      } else if (auto* combo = qobject_cast<QComboBox*>(child)) {
        for (int i = 0; i < combo->count(); ++i) text += "[" + combo->itemText(i) + "]";
      } else {
        continue;
      }
      if (!child->objectName().isEmpty() || !text.isEmpty())
        lines << "  " + child->objectName() + ": " + text;
    }
  }
  return lines.join('\n').toUtf8() + '\n';
}

void OptionPagesTest::captions() {
  QByteArray texts;
  for (Kind kind : {Kind::Manual, Kind::ActiveDirectory}) {
    auto w = StartWizard(kind);
    QVERIFY(w);
    texts += kind == Kind::Manual ? "# manual document\n" : "# Active Directory document\n";
    texts += TextsOf(*w);
  }
  QCOMPARE(texts, Golden("wizard-texts.txt", texts));
}

void OptionPagesTest::everyControlReachesTheRecordAndBack_data() {
  QTest::addColumn<int>("page");
  for (int page : {kPageGeneral, kPageActiveDirectory, kPageServers, kPageSMTPMail, kPageFileOutput,
                   kPageClientPopup, kPageEventLog, kPagePrinters, kPageMixed, kPageSupport,
                   kPageDeployment, kPageMDAC}) {
    QTest::newRow(qPrintable(QString::number(page))) << page;
  }
}

void OptionPagesTest::everyControlReachesTheRecordAndBack() {
  QFETCH(int, page);
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  const INISettings record = EveryValueSet();
  w->Settings() = record;
  w->CopyRecordToControls();
  w->CopyControlsToRecord();
  QVERIFY(w->Settings() == record);

  // Each control of the page, changed by hand, reaches the record alone.
  const PageFields shown = FieldsOfRecord(record);
  int controls = 0;
  auto changesTheRecord = [&] {
    w->CopyControlsToRecord();
    const bool changed = !(w->Settings() == record);
    w->Settings() = record;
    w->CopyRecordToControls();
    return changed;
  };
  auto* container = w->findChild<QWidget*>(Indexed("sstWizardPage", page));
  for (const auto& [name, text] : shown.Texts) {
    auto* control = container->findChild<QWidget*>(QString::fromStdString(name));
    if (!control) continue;
    ++controls;
    const QString changed = QString::fromStdString(text) + "1";
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setText(changed);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) plain->setPlainText(changed);
    if (auto* combo = qobject_cast<QComboBox*>(control)) combo->setEditText(changed);
    QVERIFY2(changesTheRecord(), name.c_str());
  }
  for (const auto& [name, on] : shown.Checks) {
    auto* box = container->findChild<QAbstractButton*>(QString::fromStdString(name));
    if (!box) continue;
    ++controls;
    // An option button is changed by choosing another.
    if (on && qobject_cast<QRadioButton*>(box)) continue;
    box->setChecked(!on);
    QVERIFY2(changesTheRecord(), name.c_str());
  }
  for (const auto& [name, lines] : shown.Lists) {
    auto* list = container->findChild<QListWidget*>(QString::fromStdString(name));
    if (!list) continue;
    ++controls;
    QCOMPARE(list->count(), qsizetype(lines.size()));
    delete list->takeItem(0);
    QVERIFY2(changesTheRecord(), name.c_str());
  }
  QVERIFY(controls > 0);

  if (page == kPageMDAC) {
    // A number that no option stands for selects none, and saves as 2.
    w->Settings().MDACOption = 7;
    w->CopyRecordToControls();
    for (int i = 0; i < 3; ++i)
      QVERIFY(!w->findChild<QRadioButton*>(Indexed("optMDACVersion", i))->isChecked());
    w->CopyControlsToRecord();
    QCOMPARE(w->Settings().MDACOption, int16_t(2));
  }
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

  // Which controls a box switches is the core's table; here: the window
  // follows it, and the text fields take the button colour while off.
  struct Dependent {
    const char* box;
    std::vector<const char*> coloured;
    const char* plain;
  };
  const Dependent dependents[] = {
      {"chkUseSMTP",
       {"txtSMTPServerName", "txtSMTPServerPort", "txtEmailSubject", "txtSendEmailTo",
        "lstToEmailAddresses", "txtSMTPEmailAddress"},
       "cmdRemoveSendEmail"},
      {"chkUseFileOutput", {"txtFileOutputPath"}, "cmdBrowseFileOutput"},
      {"chkUseNotifyUser", {"txtSucessMessage"}, nullptr},
      {"chkNotifyMessageOnFailure", {"txtFailureMessage"}, nullptr},
      {"chkIncludeMDAC", {}, "optMDACVersion(1)"},
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
      if (d.plain) {
        FIND(field, QWidget, w.get(), d.plain);
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
};
Q_DECLARE_METATYPE(EditorCase)

void OptionPagesTest::pairEditors_data() {
  QTest::addColumn<EditorCase>("editor");
  QTest::newRow("servers") << EditorCase{{"txtFromServer", "txtToServer"},
                                         "cmdNewServerPair",
                                         "cmdSaveServerPair",
                                         "cmdDeleteServer",
                                         "lstServerPairs",
                                         {"OLDSRV1", "NEWSRV1"},
                                         {"OLDSRV2", "NEWSRV2"},
                                         "OLDSRV1 -> NEWSRV1",
                                         "OLDSRV2 -> NEWSRV2"};
  QTest::newRow("printers") << EditorCase{{"txtFromPrinter", "txtToPrinter"},
                                          "cmdNewPrinter",
                                          "cmdPrinterSave",
                                          "cmdDeletePrinter",
                                          "lstPrinterPairs",
                                          {"ACCOUNTING", "ACCOUNTING-COLOR"},
                                          {"RECEPTION", "RECEPTION-MFP"},
                                          "ACCOUNTING -> ACCOUNTING-COLOR",
                                          "RECEPTION -> RECEPTION-MFP"};
  QTest::newRow("mixed") << EditorCase{
      {"txtMixedFromServer", "txtMixedFromPrinter", "txtMixedToServer", "txtMixedToPrinter"},
      "cmdMixedNew",
      "cmdMixedSave",
      "cmdMixedDelete",
      "lstMixedPrintersAndServers",
      {"BRANCH", "HR LASER", "NEWSRV1", "HR-2"},
      {"BRANCH", "LOBBY", "NEWSRV2", "LOBBY"},
      "BRANCH >> HR LASER -> NEWSRV1 >> HR-2",
      "BRANCH >> LOBBY -> NEWSRV2 >> LOBBY"};
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
  // That click asked for no move: a jump from the toolbar is refused and
  // told anew.
  w->findChild<QAction*>("ID_BTN_SUPPORT")->trigger();
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 3);
  QCOMPARE(w->CurrentPage(), int(kPageSMTPMail));

  Type(from, "velloran@corp.example.com");
  QTest::keyClick(from, Qt::Key_Tab);
  QVERIFY(QApplication::focusWidget() != from);
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 3);

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

  // A click in the tree straight from the field warns once and is not lost.
  Type(output, missing);
  auto* tree = w->findChild<QTreeWidget*>("tvwWizardOptions");
  const QTreeWidgetItem* popup =
      tree->findItems("Client User Pop-Up", Qt::MatchExactly | Qt::MatchRecursive).value(0);
  QVERIFY(popup);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(popup).center());
  QTest::qWait(20);
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 3);
  QCOMPARE(w->CurrentPage(), int(kPageClientPopup));
  Click(w->findChild<QPushButton*>(Indexed("cmdNext", kPageClientPopup)));
  QCOMPARE(w->CurrentPage(), int(kPageEventLog));
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 3);
}

void OptionPagesTest::folderExists() {
  QTemporaryDir dir;
  QVERIFY(FolderExists(dir.path(), Script().MountTable()));
  QVERIFY(!FolderExists(dir.filePath("missing"), Script().MountTable()));
  QVERIFY(!FolderExists("\\\\no-such-server-here\\share", Script().MountTable()));
  QVERIFY(!FolderExists(QString(), Script().MountTable()));
}

// The rules and their texts are the core's; here: the window shows the
// field to mend, in the tree too, with the focus in it.
void OptionPagesTest::aRefusedSaveShowsTheFieldToMend() {
  auto w = StartWizard(Kind::ActiveDirectory);
  QVERIFY(w);
  w->ShowPage(kPageSupport);
  w->findChild<QAction*>("ID_BTN_SAVE")->trigger();
  QCOMPARE(LastShown().Title, QString("Error Saving"));
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

void OptionPagesTest::leavingThePageKeepsTheUserLeavingTheWindowChecksNothing() {
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  Tick(*w, "chkUseSMTP");
  FIND(from, QLineEdit, w.get(), "txtSMTPEmailAddress");
  Type(from, "velloran");
  // The toolbar takes no focus, so the field is never left; the jump asks
  // the page shown, which keeps the user in the field, told once.
  w->findChild<QAction*>("ID_BTN_SUPPORT")->trigger();
  QCOMPARE(w->CurrentPage(), int(kPageSMTPMail));
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 1);
  QCOMPARE(LastShown().Title, QString("Invalid Email"));
  QCOMPARE(w->findChild<QTreeWidget*>("tvwWizardOptions")->currentItem()->text(0),
           QString("SMTP Mail"));
  QTRY_COMPARE(QApplication::focusWidget(), from);
  Type(from, "velloran@corp.example.com");
  w->findChild<QAction*>("ID_BTN_SUPPORT")->trigger();
  QCOMPARE(w->CurrentPage(), int(kPageSupport));
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 1);

  // Closing the window checks no field.
  w->ShowPage(kPageSMTPMail);
  Type(from, "velloran");
  from->setFocus(Qt::MouseFocusReason);
  Script().SetNextAnswer(MessageAnswer::No);  // the exit prompt
  QVERIFY(w->close());
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 2);
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
