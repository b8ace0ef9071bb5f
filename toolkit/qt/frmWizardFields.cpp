// The option pages as an editor of the settings record: the two copies, the
// dependent fields, the unsaved-changes events, the list editors and the
// checks.

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>

#include "toolkit/core/Validation.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/PairPage.h"
#include "toolkit/qt/frmWizard.h"
#include "toolkit/qt/modBrowseForFolder.h"

namespace velloran {

namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
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

void frmWizard::WireChangeEvents() {
  swallower_ = new ClickSwallower(this);
  auto dirty = [this] { SetDirty(); };

  for (QCheckBox* box : {chkAlwaysRun_, chkBatchFile_, chkCreateHTML_, chkDebugOn_,
                         chkIncludeComputerName_, chkIncludeFinalStatus_, chkWriteToEventLog_}) {
    connect(box, &QCheckBox::toggled, this, dirty);
  }
  connect(chkUseSMTP_, &QCheckBox::toggled, this, &frmWizard::chkUseSMTP_Click);
  connect(chkUseFileOutput_, &QCheckBox::toggled, this, &frmWizard::chkUseFileOutput_Click);
  connect(chkUseNotifyUser_, &QCheckBox::toggled, this, &frmWizard::chkUseNotifyUser_Click);
  connect(chkNotifyMessageOnFailure_, &QCheckBox::toggled, this,
          &frmWizard::chkNotifyMessageOnFailure_Click);
  connect(chkIncludeMDAC_, &QCheckBox::toggled, this, &frmWizard::chkIncludeMDAC_Click);
  for (QRadioButton* option : optMDACVersion_) {
    connect(option, &QRadioButton::toggled, this, [this](bool on) {
      if (on) SetDirty();
    });
  }
  connect(cboDomainName_, &QComboBox::editTextChanged, this, dirty);
  connect(cboDomainName_, &QComboBox::activated, this, dirty);
  for (QLineEdit* edit :
       {txtEmailSubject_, txtFileOutputName_, txtFileOutputPath_, txtNetworkSharePath_,
        txtSMTPEmailAddress_, txtSMTPServerName_, txtSMTPServerPort_}) {
    connect(edit, &QLineEdit::textChanged, this, dirty);
  }
  connect(txtSucessMessage_, &QPlainTextEdit::textChanged, this, dirty);
  connect(txtFailureMessage_, &QPlainTextEdit::textChanged, this, dirty);

  connect(cmdAddSendEmail_, &QPushButton::clicked, this, &frmWizard::cmdAddSendEmail_Click);
  connect(cmdRemoveSendEmail_, &QPushButton::clicked, this, &frmWizard::cmdRemoveSendEmail_Click);
}

// ---------------------------------------------------------------------------
// The controls by name, and the two copies.

void frmWizard::BindControls() {
  for (QLineEdit* edit :
       {txtSMTPServerName_, txtSMTPServerPort_, txtEmailSubject_, txtSMTPEmailAddress_,
        txtFileOutputPath_, txtFileOutputName_, txtNetworkSharePath_}) {
    lineEdits_[S(edit->objectName())] = edit;
  }
  for (const auto& page : pairPages_) {
    for (QLineEdit* field : page->Fields()) lineEdits_[S(field->objectName())] = field;
    lists_[S(page->List()->objectName())] = page->List();
  }
  for (QPlainTextEdit* edit : {txtSucessMessage_, txtFailureMessage_})
    textEdits_[S(edit->objectName())] = edit;
  for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{
           chkAlwaysRun_, chkUseSMTP_, chkUseFileOutput_, chkIncludeComputerName_,
           chkIncludeFinalStatus_, chkWriteToEventLog_, chkUseNotifyUser_,
           chkNotifyMessageOnFailure_, chkCreateHTML_, chkBatchFile_, chkIncludeMDAC_, chkDebugOn_,
           optMDACVersion_[0], optMDACVersion_[1], optMDACVersion_[2]}) {
    checks_[S(box->objectName())] = box;
  }
  lists_[S(lstToEmailAddresses_->objectName())] = lstToEmailAddresses_;
}

QWidget* frmWizard::ControlNamed(std::string_view name) const {
  if (name == "cboDomainName") return cboDomainName_;
  if (name == "txtSendEmailTo") return txtSendEmailTo_;
  if (auto it = lineEdits_.find(name); it != lineEdits_.end()) return it->second;
  if (auto it = textEdits_.find(name); it != textEdits_.end()) return it->second;
  if (auto it = checks_.find(name); it != checks_.end()) return it->second;
  if (auto it = lists_.find(name); it != lists_.end()) return it->second;
  return nullptr;
}

PageFields frmWizard::ReadFields() const {
  PageFields f;
  f.Texts["cboDomainName"] = S(cboDomainName_->currentText());
  for (const auto& [name, edit] : lineEdits_) f.Texts[name] = S(edit->text());
  for (const auto& [name, edit] : textEdits_) f.Texts[name] = S(edit->toPlainText());
  for (const auto& [name, box] : checks_) f.Checks[name] = box->isChecked();
  for (const auto& page : pairPages_) f.Lists[S(page->List()->objectName())] = page->Lines();
  auto& recipients = f.Lists["lstToEmailAddresses"];
  for (int row = 0; row < lstToEmailAddresses_->count(); ++row)
    recipients.push_back(S(lstToEmailAddresses_->item(row)->text()));
  return f;
}

void frmWizard::ShowFields(const PageFields& f) {
  // Filling the controls is no change of the document.
  const bool wasLoading = loading_;
  loading_ = true;
  if (auto it = f.Texts.find("cboDomainName"); it != f.Texts.end())
    cboDomainName_->setEditText(Q(it->second));
  for (const auto& [name, text] : f.Texts) {
    if (auto edit = lineEdits_.find(name); edit != lineEdits_.end()) {
      edit->second->setText(Q(text));
    } else if (auto plain = textEdits_.find(name); plain != textEdits_.end()) {
      plain->second->setPlainText(Q(text));
    }
  }
  // A number no option stands for selects none.
  mdacGroup_->setExclusive(false);
  for (const auto& [name, on] : f.Checks) {
    if (auto box = checks_.find(name); box != checks_.end()) box->second->setChecked(on);
  }
  mdacGroup_->setExclusive(true);
  for (const auto& page : pairPages_) {
    if (auto lines = f.Lists.find(S(page->List()->objectName())); lines != f.Lists.end())
      page->ShowLines(lines->second);
  }
  if (auto recipients = f.Lists.find("lstToEmailAddresses"); recipients != f.Lists.end()) {
    lstToEmailAddresses_->clear();
    for (const std::string& address : recipients->second) lstToEmailAddresses_->addItem(Q(address));
  }
  RunDependentFieldHandlers();
  loading_ = wasLoading;
}

void frmWizard::SetDeploymentFolder(const QString& folder) {
  if (!folder.isEmpty()) txtNetworkSharePath_->setText(folder);
}

void frmWizard::SetOutputFolder(const QString& folder) {
  if (!folder.isEmpty()) txtFileOutputPath_->setText(folder);
}

void frmWizard::AddDomainNames(const QStringList& names) {
  // Adding items may select the first one; the document's text stays.
  const QString text = cboDomainName_->currentText();
  const bool blocked = cboDomainName_->blockSignals(true);
  cboDomainName_->addItems(names);
  cboDomainName_->setEditText(text);
  cboDomainName_->blockSignals(blocked);
}

void frmWizard::CopyRecordToControls() { ShowFields(FieldsOfRecord(document_.Settings)); }

void frmWizard::CopyControlsToRecord() { RecordOfFields(ReadFields(), document_.Settings); }

// ---------------------------------------------------------------------------
// Dependent fields.

void frmWizard::ApplyDependentState(QWidget* control, bool enabled, bool followsColour) {
  control->setEnabled(enabled);
  if (!followsColour) return;
  const QPalette standard = QApplication::palette(control);
  const QColor colour =
      standard.color(QPalette::Active, enabled ? QPalette::Base : QPalette::Button);
  QPalette palette = control->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, colour);
  }
  control->setPalette(palette);
}

void frmWizard::chkUseSMTP_Click() {
  const bool on = chkUseSMTP_->isChecked();
  for (QWidget* field : std::initializer_list<QWidget*>{
           txtSMTPServerName_, txtSMTPServerPort_, txtEmailSubject_, txtSendEmailTo_,
           lstToEmailAddresses_, txtSMTPEmailAddress_}) {
    ApplyDependentState(field, on, true);
  }
  ApplyDependentState(cmdAddSendEmail_, on, false);
  ApplyDependentState(cmdRemoveSendEmail_, on, false);
  SetDirty();
}

void frmWizard::chkUseFileOutput_Click() {
  const bool on = chkUseFileOutput_->isChecked();
  ApplyDependentState(txtFileOutputPath_, on, true);
  ApplyDependentState(cmdBrowseFileOutput_, on && actions_.BrowseFileOutput, false);
  ApplyDependentState(txtFileOutputName_, on, false);
  ApplyDependentState(chkIncludeComputerName_, on, false);
  ApplyDependentState(chkIncludeFinalStatus_, on, false);
  SetDirty();
}

void frmWizard::chkUseNotifyUser_Click() {
  ApplyDependentState(txtSucessMessage_, chkUseNotifyUser_->isChecked(), true);
  SetDirty();
}

void frmWizard::chkNotifyMessageOnFailure_Click() {
  ApplyDependentState(txtFailureMessage_, chkNotifyMessageOnFailure_->isChecked(), true);
  SetDirty();
}

void frmWizard::chkIncludeMDAC_Click() {
  for (QRadioButton* option : optMDACVersion_) {
    ApplyDependentState(option, chkIncludeMDAC_->isChecked(), false);
  }
  SetDirty();
}

// ---------------------------------------------------------------------------
// The recipient list.

namespace {
// The line the user chose, not the one focus made current.
int SelectedRow(const QListWidget* list) {
  const QListWidgetItem* item = list->currentItem();
  return item && item->isSelected() ? list->currentRow() : -1;
}
}  // namespace

void frmWizard::cmdAddSendEmail_Click() {
  const QString address = txtSendEmailTo_->text();
  if (auto problem = CheckRecipient(S(address))) {
    Prompt().Tell(problem->Message, problem->Title, problem->Icon);
    return;
  }
  lstToEmailAddresses_->addItem(address);
  SetDirty();
}

void frmWizard::cmdRemoveSendEmail_Click() {
  const int row = SelectedRow(lstToEmailAddresses_);
  if (row < 0) return;
  if (dialogs_.Message(this, "Are you sure that you want to delete the selected Email To Address?",
                       "Delete?", MessageIcon::Question,
                       MessageButtons::YesNo) == MessageAnswer::Yes) {
    delete lstToEmailAddresses_->takeItem(row);
    lstToEmailAddresses_->setCurrentRow(-1);
    SetDirty();
  }
}

// ---------------------------------------------------------------------------
// Field checks on leaving a field, and the check before a save.

bool frmWizard::txtSMTPEmailAddress_Validate() {
  const auto problem = CheckFromAddress(S(txtSMTPEmailAddress_->text()));
  if (problem) Prompt().Tell(problem->Message, problem->Title, problem->Icon);
  return !problem;
}

bool frmWizard::txtSMTPServerPort_Validate() {
  const auto problem = CheckPort(S(txtSMTPServerPort_->text()));
  if (problem) Prompt().Tell(problem->Message, problem->Title, problem->Icon);
  return !problem;
}

bool frmWizard::CheckFolderField(QLineEdit* field, const QString& message) {
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
    dialogs_.Message(this, message, "Folder not found.", MessageIcon::Exclamation,
                     MessageButtons::OK);
  }
  QString text = field->text();
  if (text.endsWith(QLatin1Char('\\')) || (text.size() > 1 && text.endsWith(QLatin1Char('/'))))
    text.chop(1);
  if (text != field->text()) field->setText(text);
  if (next && next->isEnabled() && next->isVisible()) next->setFocus(Qt::OtherFocusReason);
  validating_ = false;
  return exists;
}

bool frmWizard::txtNetworkSharePath_Validate() {
  return CheckFolderField(txtNetworkSharePath_,
                          "The network share folder could not be found. You will not be able to "
                          "deploy this INI file until the folder is created.");
}

bool frmWizard::txtFileOutputPath_Validate() {
  return CheckFolderField(txtFileOutputPath_,
                          "The output file folder could not be found. This may cause Velloran to "
                          "work irregularly.");
}

bool frmWizard::ValidateField(QWidget* field) {
  if (field == txtSMTPEmailAddress_) return txtSMTPEmailAddress_Validate();
  if (field == txtSMTPServerPort_) return txtSMTPServerPort_Validate();
  return true;
}

bool frmWizard::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      (watched == lblWizardSupport_ || watched == lblWizardMDACLink_) &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    HyperlinkClick(static_cast<QLabel*>(watched));
    return true;
  }
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

  if (watched == txtSMTPEmailAddress_ || watched == txtSMTPServerPort_) {
    auto* field = static_cast<QLineEdit*>(watched);
    validating_ = true;
    const bool ok = ValidateField(field);
    if (!ok) {
      if (reason == Qt::MouseFocusReason) swallower_->Arm();
      ShowPage(kPageSMTPMail);
      field->setFocus(Qt::OtherFocusReason);
    }
    validating_ = false;
  } else if (watched == txtNetworkSharePath_) {
    // The check never keeps the focus, so it runs after the click or key
    // that moved the focus has done its work.
    if (!txtNetworkSharePath_->text().isEmpty() && CurrentPage() == kPageDeployment) {
      QTimer::singleShot(0, this, [this] {
        if (isVisible()) txtNetworkSharePath_Validate();
      });
    }
  } else if (watched == txtFileOutputPath_) {
    if (!txtFileOutputPath_->text().isEmpty() && chkUseFileOutput_->isChecked()) {
      QTimer::singleShot(0, this, [this] {
        if (isVisible()) txtFileOutputPath_Validate();
      });
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace velloran
