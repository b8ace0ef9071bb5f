// The option pages as an editor of the settings record: the two copies, the
// controls the check boxes switch, and the checks made when the focus leaves
// a field.

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <functional>

#include "toolkit/core/FieldRules.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/Validation.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/frmWizard.h"
#include "toolkit/qt/modBrowseForFolder.h"
#include "toolkit/qt/pages/ActiveDirectoryPage.h"
#include "toolkit/qt/pages/OptionPage.h"

namespace velloran {

namespace {

std::string S(const QString& text) { return text.toStdString(); }

}  // namespace

// Swallows the mouse press that moved the focus out of a field whose check
// failed, and its release, so the click does not act: the user stays in the
// field, as with a cancelled validation.
class frmWizard::ClickSwallower : public QObject {
 public:
  /// `done` is called once the click has been swallowed whole.
  ClickSwallower(QObject* parent, std::function<void()> done)
      : QObject(parent), done_(std::move(done)) {}
  void Arm() {
    if (!armed_) qApp->installEventFilter(this);
    armed_ = true;
  }
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        return true;
      case QEvent::MouseButtonRelease:
        qApp->removeEventFilter(this);
        armed_ = false;
        done_();
        return true;
      case QEvent::KeyPress:
        // A key means the click is over; let it through.
        qApp->removeEventFilter(this);
        armed_ = false;
        return false;
      default:
        return false;
    }
  }

 private:
  std::function<void()> done_;
  bool armed_ = false;
};

// Alt and a letter that a field's caption on the page shown marks: the page
// answers it before the menu bar, and two fields marking the same letter
// take the focus in turn, as the core says. Qt would otherwise take turns
// between the fields and the menu of that letter.
class frmWizard::MnemonicKeys : public QObject {
 public:
  explicit MnemonicKeys(frmWizard& window) : QObject(&window), w_(window) {
    qApp->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && pending_) {
      // The key whose shortcut was taken comes to the field as a key press.
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == pending_) {
        if (!key->isAutoRepeat()) pending_ = 0;
        return true;
      }
      pending_ = 0;
    }
    if (event->type() != QEvent::ShortcutOverride) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (key->modifiers() != Qt::AltModifier || key->key() < Qt::Key_A || key->key() > Qt::Key_Z ||
        !widget || widget->window() != &w_ || QApplication::activeModalWidget())
      return false;
    const char letter = static_cast<char>('a' + (key->key() - Qt::Key_A));
    const std::string_view target = MnemonicTarget(
        w_.CurrentPage(), letter, FocusedName(widget), [this](std::string_view name) {
          const QWidget* control = w_.ControlNamed(name);
          const FormControl* declared = FormControlNamed(name);
          // A check box or an option acts on its letter: Qt's own shortcut
          // does that.
          return control && control->isVisible() && control->isEnabled() && declared &&
                 declared->Kind != ControlKind::Check && declared->Kind != ControlKind::Option;
        });
    if (target.empty()) return false;
    event->accept();
    pending_ = key->key();
    w_.ControlNamed(target)->setFocus(Qt::ShortcutFocusReason);
    return true;
  }

 private:
  /// The declared control holding the focus (an editable box's line is its).
  std::string FocusedName(QWidget* focus) const {
    for (QWidget* at = focus; at && at != &w_; at = at->parentWidget()) {
      if (FormControlNamed(S(at->objectName()))) return S(at->objectName());
    }
    return {};
  }

  frmWizard& w_;
  int pending_ = 0;
};

void frmWizard::WireFieldChecks() {
  mnemonics_ = new MnemonicKeys(*this);
  // The swallowed click asks for no move: the next one is told anew.
  swallower_ = new ClickSwallower(this, [this] { presenter_->InputDone(); });
  // The fields whose check runs when the focus leaves them.
  for (const FormControl& c : FormControls()) {
    if (c.Check == Rule::Port || c.Check == Rule::EmailAddress || c.Check == Rule::Folder)
      ControlNamed(c.Name)->installEventFilter(this);
  }
  for (const DependentControls& d : DependentControlTable()) {
    connect(static_cast<QAbstractButton*>(ControlNamed(d.Box)), &QAbstractButton::toggled, this,
            [this] { ApplyDependentFields(); });
  }
}

// ---------------------------------------------------------------------------
// The controls by name, and the two copies.

QWidget* frmWizard::ControlNamed(std::string_view name) const {
  for (const OptionPage* page : pages_) {
    if (QWidget* control = page ? page->ControlNamed(name) : nullptr) return control;
  }
  return nullptr;
}

PageFields frmWizard::ReadFields() const {
  PageFields fields;
  for (const OptionPage* page : pages_) {
    if (page) page->ReadFields(fields);
  }
  // The boxes of the user's own choices, which no page binds to the record.
  for (const FormControl& c : FormControls()) {
    if (c.Bind != Binding::Preference) continue;
    if (const auto* box =
            findChild<QAbstractButton*>(QString::fromUtf8(c.Name.data(), qsizetype(c.Name.size()))))
      fields.Checks[std::string(c.Name)] = box->isChecked();
  }
  return fields;
}

void frmWizard::ShowFields(const PageFields& fields) {
  // Filling the controls is no change of the document.
  const bool wasLoading = loading_;
  loading_ = true;
  for (OptionPage* page : pages_) {
    if (page) page->ShowFields(fields);
  }
  for (const FormControl& c : FormControls()) {
    const auto check = fields.Checks.find(c.Name);
    if (c.Bind != Binding::Preference || check == fields.Checks.end()) continue;
    if (auto* box =
            findChild<QAbstractButton*>(QString::fromUtf8(c.Name.data(), qsizetype(c.Name.size()))))
      box->setChecked(check->second);
  }
  ApplyDependentFields();
  loading_ = wasLoading;
}

void frmWizard::SetDeploymentFolder(const QString& folder) {
  if (!folder.isEmpty())
    static_cast<QLineEdit*>(ControlNamed("txtNetworkSharePath"))->setText(folder);
}

void frmWizard::SetOutputFolder(const QString& folder) {
  if (!folder.isEmpty())
    static_cast<QLineEdit*>(ControlNamed("txtFileOutputPath"))->setText(folder);
}

void frmWizard::AddDomainNames(const QStringList& names) {
  activeDirectory_->AddDomainNames(names);
}

void frmWizard::CopyRecordToControls() { ShowFields(FieldsOfRecord(Settings())); }

void frmWizard::CopyControlsToRecord() { RecordOfFields(ReadFields(), Settings()); }

void frmWizard::ApplyDependentFields() {
  for (const auto& [name, on] : EnabledControls(ReadFields())) {
    // A picker the program has not got stays unavailable.
    const bool available = name != "cmdBrowseFileOutput" || bool(actions_.BrowseFileOutput);
    OptionPage::SetSwitchedOn(ControlNamed(name), on && available);
  }
}

// ---------------------------------------------------------------------------
// Field checks on leaving a field.

bool frmWizard::CheckFieldOnLeaving(QWidget* field) {
  validating_ = true;
  const bool left = presenter_->LeaveField(S(field->objectName()));
  validating_ = false;
  return left;
}

bool frmWizard::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::FocusOut || validating_) {
    return QMainWindow::eventFilter(watched, event);
  }
  const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
  // Switching to another window or opening a menu is not leaving the field,
  // and neither is the field's page or the window going away (a jump from
  // the toolbar, closing): the field is hidden by the time it loses focus.
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
      !static_cast<QWidget*>(watched)->isVisible()) {
    return QMainWindow::eventFilter(watched, event);
  }

  auto* field = static_cast<QWidget*>(watched);
  if (!IsFolderField(S(field->objectName()))) {
    if (!CheckFieldOnLeaving(field) && reason == Qt::MouseFocusReason) swallower_->Arm();
  } else {
    // The folder check never keeps the focus, so it runs after the click
    // or key that moved the focus has done its work, unless that left the
    // page (or is leaving it now), which checks the folder on the way out.
    const int page = CurrentPage();
    QTimer::singleShot(0, this, [this, field, page] {
      if (isVisible() && !busy_ && CurrentPage() == page) CheckFieldOnLeaving(field);
    });
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace velloran
