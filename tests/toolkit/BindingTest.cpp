// The window over the declaration of the form: every declared control is on
// its page, of its kind, and shows what a document holds, which comes back
// to the same bytes; every entry of the menu bar reaches the presenter.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
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
  QTest::addColumn<bool>("activeDirectory");
  QTest::newRow("AD") << true;
  QTest::newRow("manual") << false;
}

// What each command does is the core's; here: each entry reaches it, shown
// available as the presenter says, and acts on the window.
void BindingTest::everyMenuEntryReachesThePresenter() {
  QFETCH(bool, activeDirectory);
  DeploymentServices services;
  services.TargetCheck.Setup = [] { return TargetCheckSetup{}; };
  for (const FormMenu& menu : FormMenus()) {
    for (const MenuEntry& entry : menu.Entries) {
      const QString command = Q(entry.Command);
      auto w = StartWizard(activeDirectory ? Kind::ActiveDirectory : Kind::Manual);
      QVERIFY(w);
      w->SetSystemActions(MakeSystemActions(services));
      w->ShowPage(kPageClientPopup);
      Script().Reset();
      Script().SetNextFileName(QString());  // every dialog is cancelled
      Script().SetNextDialogAction([](QDialog& dialog) { dialog.reject(); });

      QAction* action = nullptr;
      for (QAction* a : w->findChild<QMenu*>(Q(menu.Id))->actions()) {
        if (a->objectName() == command) action = a;
      }
      QVERIFY2(action, qPrintable(command));
      QCOMPARE(action->text(), Q(entry.Caption));
      const std::optional<Tool> tool = ToolOfId(entry.Command);
      const bool enabled = !tool || w->Presenter().ToolEnabled(*tool);
      QVERIFY2(action->isEnabled() == enabled, qPrintable(command));
      action->trigger();
      const std::optional<int> page = tool ? PageOfTool(*tool, activeDirectory) : std::nullopt;
      if (!enabled) {
        QCOMPARE(w->CurrentPage(), int(kPageClientPopup));
      } else if (page) {
        QCOMPARE(w->CurrentPage(), *page);
      } else {
        // A dialog asked for, or the window gone.
        QVERIFY2(!Script().Shown().empty() || !w->isVisible(), qPrintable(command));
      }
      Script().Reset();
    }
  }
}

QTEST_MAIN(BindingTest)
#include "BindingTest.moc"
