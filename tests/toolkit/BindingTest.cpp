// The window over the declaration of the form: every declared control is on
// its page, of its kind, and shows what a document holds, which comes back
// to the same bytes; every entry of the menu bar reaches the presenter.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "ToolkitTest.h"
#include "common/modINIDocument.h"
#include "platform/profile/Profile.h"
#include "toolkit/core/Form.h"
#include "toolkit/qt/SystemActions.h"

using namespace velloran;
using namespace velloran::test;

class BindingTest : public ToolkitSuite {
  Q_OBJECT

 private slots:
  void everyDeclaredControlShowsTheDocument_data();
  void everyDeclaredControlShowsTheDocument();
  void theDocumentComesBackByteForByte();
  void everyMenuEntryReachesThePresenter_data();
  void everyMenuEntryReachesThePresenter();
  void cleanupTestCase() { filled_.reset(); }

 private:
  /// One window on the golden file, opened by the first test that needs it.
  frmWizard& Filled();

  QTemporaryDir dir_;
  QString golden_;
  std::unique_ptr<frmWizard> filled_;
};

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

bool IsOfKind(QWidget* control, ControlKind kind) {
  switch (kind) {
    case ControlKind::Check:
      return qobject_cast<QCheckBox*>(control);
    case ControlKind::Option:
      return qobject_cast<QRadioButton*>(control);
    case ControlKind::Text:
      return qobject_cast<QLineEdit*>(control);
    case ControlKind::Message:
      return qobject_cast<QPlainTextEdit*>(control);
    case ControlKind::Combo:
      return qobject_cast<QComboBox*>(control);
    case ControlKind::List:
      return qobject_cast<QListWidget*>(control);
    case ControlKind::Button:
      return qobject_cast<QPushButton*>(control);
  }
  return false;
}

}  // namespace

frmWizard& BindingTest::Filled() {
  if (!filled_) {
    golden_ = dir_.filePath("filled.ini");
    WriteText(golden_, ReadBytes(QStringLiteral(VELLORAN_TOOLKIT_GOLDEN_DIR "/filled.ini")));
    filled_ = StartWizardOn(golden_);
  }
  return *filled_;
}

void BindingTest::everyDeclaredControlShowsTheDocument_data() {
  QTest::addColumn<int>("index");
  for (size_t i = 0; i < FormControls().size(); ++i)
    QTest::newRow(FormControls()[i].Name.data()) << int(i);
}

void BindingTest::everyDeclaredControlShowsTheDocument() {
  QFETCH(int, index);
  const FormControl& declared = FormControls()[size_t(index)];
  frmWizard& w = Filled();
  auto* page = w.findChild<QWidget*>(Indexed("sstWizardPage", declared.Page));
  QVERIFY(page);
  auto* control = page->findChild<QWidget*>(Q(declared.Name));
  QVERIFY2(control, "not on its page");
  QVERIFY2(IsOfKind(control, declared.Kind), control->metaObject()->className());
  if (auto* button = qobject_cast<QAbstractButton*>(control))
    QCOMPARE(button->text(), Q(declared.Caption));

  // What the window shows is what the file holds; a typed, unsaved field
  // shows nothing, and the user's own choices are no part of the file.
  INISettings record;
  ResetINISettings(record);
  INIDocument(SystemProfile(), golden_.toStdString()).ReadINISettings(record);
  const PageFields expected = FieldsOfRecord(record);
  const PageFields shown = w.ReadFields();
  const std::string name(declared.Name);
  if (declared.Bind == Binding::None && declared.Kind == ControlKind::Text) {
    QCOMPARE(static_cast<QLineEdit*>(control)->text(), QString());
  } else if (expected.Texts.count(name)) {
    QVERIFY(shown.Texts.count(name));
    QCOMPARE(shown.Texts.at(name), expected.Texts.at(name));
  } else if (expected.Checks.count(name)) {
    QVERIFY(shown.Checks.count(name));
    QCOMPARE(shown.Checks.at(name), expected.Checks.at(name));
  } else if (expected.Lists.count(name)) {
    QVERIFY(shown.Lists.count(name));
    QCOMPARE(shown.Lists.at(name), expected.Lists.at(name));
  } else {
    QVERIFY2(declared.Bind == Binding::None || declared.Bind == Binding::Preference,
             "bound to nothing the record holds");
  }
}

void BindingTest::theDocumentComesBackByteForByte() {
  frmWizard& w = Filled();
  const QString path = dir_.filePath("again.ini");
  Script().SetNextFileName(path);
  QCOMPARE(w.SaveINIAs(), SaveOutcome::Written);
  const QByteArray written = ReadBytes(path);
  QCOMPARE(written, Golden("filled.ini", written));
}

void BindingTest::everyMenuEntryReachesThePresenter_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<bool>("activeDirectory");
  QTest::addColumn<QString>("effect");
  // What each command leaves: a page shown, a dialog asked for, the window
  // closed; "" for a command that the mode does not offer.
  const std::map<std::string_view, std::pair<const char*, const char*>> effects = {
      {"ID_BTN_NEW", {"modal frmNewINI", "modal frmNewINI"}},
      {"ID_BTN_OPEN", {"open", "open"}},
      {"ID_BTN_SAVE", {"message Error Saving", "message Error Saving"}},
      {"ID_BTN_SAVE_AS", {"message Error Saving", "message Error Saving"}},
      {"ID_BTN_EXIT", {"closed", "closed"}},
      {"ID_BTN_GENERAL", {"page 0", "page 0"}},
      {"ID_BTN_AD", {"page 1", ""}},
      {"ID_BTN_SERVER", {"", "page 2"}},
      {"ID_BTN_PRINTER", {"", "page 11"}},
      {"ID_BTN_MIXED", {"", "page 12"}},
      {"ID_BTN_EMAIL", {"page 4", "page 4"}},
      {"ID_BTN_FILE", {"page 5", "page 5"}},
      {"ID_BTN_CLIENT", {"page 6", "page 6"}},
      {"ID_BTN_APP_EL", {"page 8", "page 8"}},
      {"ID_BTN_DEPLOYMENT", {"page 17", "page 15"}},
      {"ID_BTN_DEPLOY_GENERAL", {"page 15", ""}},
      {"ID_BTN_MDAC", {"page 16", ""}},
      {"ID_BTN_SUPPORT", {"page 14", "page 14"}},
      {"actCheckTargets", {"message Check targets", "message Check targets"}},
      {"ID_BTN_CONTENTS", {"url index.html", "url index.html"}},
      {"ID_BTN_ABOUT", {"modal frmAbout", "modal frmAbout"}},
  };
  size_t entries = 0;
  for (const FormMenu& menu : FormMenus()) {
    for (const MenuEntry& entry : menu.Entries) {
      ++entries;
      const auto effect = effects.find(entry.Command);
      QVERIFY2(effect != effects.end(), entry.Command.data());
      for (const bool ad : {true, false}) {
        QTest::addRow("%s %s", entry.Command.data(), ad ? "AD" : "manual")
            << Q(entry.Command) << ad << (ad ? effect->second.first : effect->second.second);
      }
    }
  }
  QCOMPARE(entries, effects.size());
}

void BindingTest::everyMenuEntryReachesThePresenter() {
  QFETCH(QString, command);
  QFETCH(bool, activeDirectory);
  QFETCH(QString, effect);
  DeploymentServices services;
  services.TargetCheck.Setup = [] { return TargetCheckSetup{}; };
  auto w = StartWizard(activeDirectory ? Kind::ActiveDirectory : Kind::Manual);
  QVERIFY(w);
  w->SetSystemActions(MakeSystemActions(services));
  w->ShowPage(kPageClientPopup);
  Script().Reset();
  // The dialogs are answered with their cancel.
  Script().SetNextFileName(QString());
  Script().SetNextDialogAction([](QDialog& dialog) { dialog.reject(); });

  QAction* action = w->findChild<QAction*>(command);
  QVERIFY(action);
  action->trigger();
  QString shown;
  if (!Script().Shown().empty()) {
    const ShownDialog& last = Script().Shown().back();
    switch (last.kind) {
      case ShownDialog::Kind::Modal:
        shown = "modal " + last.Text;
        break;
      case ShownDialog::Kind::OpenFile:
        shown = "open";
        break;
      case ShownDialog::Kind::Message:
        shown = "message " + last.Title;
        break;
      case ShownDialog::Kind::Url:
        shown = "url " + last.Text.section('/', -1);
        break;
      default:
        shown = "other";
    }
  } else if (!w->isVisible()) {
    shown = "closed";
  } else if (w->CurrentPage() != kPageClientPopup || command == "ID_BTN_CLIENT") {
    shown = QStringLiteral("page %1").arg(w->CurrentPage());
  }
  QCOMPARE(shown, effect);
  QCOMPARE(action->isEnabled(), !effect.isEmpty());
  Script().Reset();
}

QTEST_MAIN(BindingTest)
#include "BindingTest.moc"
