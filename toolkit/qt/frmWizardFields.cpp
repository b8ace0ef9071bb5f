// The option pages as an editor of the settings record: the two copies, the
// controls the check boxes switch, and the checks made when the focus leaves
// a field.

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

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
  using QObject::QObject;
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
  bool armed_ = false;
};

void frmWizard::WireFieldChecks() {
  swallower_ = new ClickSwallower(this);
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
  return fields;
}

void frmWizard::ShowFields(const PageFields& fields) {
  // Filling the controls is no change of the document.
  const bool wasLoading = loading_;
  loading_ = true;
  for (OptionPage* page : pages_) {
    if (page) page->ShowFields(fields);
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

void frmWizard::CopyRecordToControls() { ShowFields(FieldsOfRecord(document_.Settings)); }

void frmWizard::CopyControlsToRecord() { RecordOfFields(ReadFields(), document_.Settings); }

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
  const std::string text = S(static_cast<QLineEdit*>(field)->text());
  const std::optional<Problem> problem = CheckOnLeaving(S(field->objectName()), text);
  if (problem) Prompt().Tell(problem->Message, problem->Title, problem->Icon);
  return !problem;
}

void frmWizard::CheckFolderField(QWidget* widget) {
  auto* field = static_cast<QLineEdit*>(widget);
  // The folder may be on a slow share: the window waits, visibly, and takes
  // no input meanwhile.
  QWidget* next = QApplication::focusWidget();
  validating_ = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  setEnabled(false);
  QApplication::processEvents();
  const bool exists = FolderExists(field->text(), dialogs_.MountTable());
  QApplication::processEvents();
  QApplication::restoreOverrideCursor();
  setEnabled(true);
  if (!exists) {
    const Problem warning = FolderNotFound(S(field->objectName()));
    Prompt().Tell(warning.Message, warning.Title, warning.Icon);
  }
  const QString trimmed = QString::fromStdString(WithoutTrailingSeparator(S(field->text())));
  if (trimmed != field->text()) field->setText(trimmed);
  if (next && next->isEnabled() && next->isVisible()) next->setFocus(Qt::OtherFocusReason);
  validating_ = false;
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
  const std::string name = S(field->objectName());
  if (!IsFolderField(name)) {
    validating_ = true;
    if (!CheckFieldOnLeaving(field)) {
      if (reason == Qt::MouseFocusReason) swallower_->Arm();
      ShowPage(FormControlNamed(name)->Page);
      field->setFocus(Qt::OtherFocusReason);
    }
    validating_ = false;
  } else if (FolderCheckDue(name, ReadFields(), CurrentPage())) {
    // The check never keeps the focus, so it runs after the click or key
    // that moved the focus has done its work.
    QTimer::singleShot(0, this, [this, field] {
      if (isVisible()) CheckFolderField(field);
    });
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace velloran
