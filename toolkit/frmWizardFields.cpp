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

#include "toolkit/Branding.h"
#include "toolkit/Dialogs.h"
#include "toolkit/frmWizard.h"
#include "toolkit/modBrowseForFolder.h"

namespace velloran {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

const QString kPairArrow = QStringLiteral(" -> ");
const QString kMixedJoin = QStringLiteral(" >> ");

QString EmailFormatMessage() {
  return QStringLiteral("Incorrect email address. Please enter a valid email address (i.e. %1)")
      .arg(QLatin1String(kExampleEmailAddress));
}

}  // namespace

QString PairDisplay(const QString& from, const QString& to) { return from + kPairArrow + to; }

QString MixedDisplay(const QString& fromServer, const QString& fromPrinter, const QString& toServer,
                     const QString& toPrinter) {
  return fromServer + kMixedJoin + fromPrinter + kPairArrow + toServer + kMixedJoin + toPrinter;
}

QStringList SplitPairDisplay(const QString& line, bool mixed) {
  const qsizetype arrow = line.indexOf(kPairArrow);
  const QString left = arrow < 0 ? line : line.left(arrow);
  const QString right = arrow < 0 ? QString() : line.mid(arrow + kPairArrow.size());
  if (!mixed) return {left, right};
  auto halves = [](const QString& side) {
    const qsizetype join = side.indexOf(kMixedJoin);
    return join < 0 ? QStringList{side, QString()}
                    : QStringList{side.left(join), side.mid(join + kMixedJoin.size())};
  };
  return halves(left) + halves(right);
}

QString MessageFromRecord(const std::string& text) {
  return Q(text).replace(QStringLiteral("^CRLF"), QStringLiteral("\n"));
}

std::string MessageToRecord(const QString& text) {
  QString token = text;
  token.replace(QStringLiteral("\r\n"), QStringLiteral("^CRLF"));
  token.replace(QLatin1Char('\n'), QStringLiteral("^CRLF"));
  token.replace(QLatin1Char('\r'), QStringLiteral("^CRLF"));
  return S(token);
}

bool IsNumeric(const QString& text) {
  static const QRegularExpression number(
      QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
  return number.match(text).hasMatch();
}

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
       {txtEmailSubject_, txtFileOutputName_, txtFileOutputPath_, txtFromPrinter_, txtToPrinter_,
        txtMixedFromPrinter_, txtMixedFromServer_, txtMixedToPrinter_, txtMixedToServer_,
        txtNetworkSharePath_, txtSMTPEmailAddress_, txtSMTPServerName_, txtSMTPServerPort_}) {
    connect(edit, &QLineEdit::textChanged, this, dirty);
  }
  connect(txtSucessMessage_, &QPlainTextEdit::textChanged, this, dirty);
  connect(txtFailureMessage_, &QPlainTextEdit::textChanged, this, dirty);

  for (PairEditor* editor : {&servers_, &printers_, &mixed_}) {
    connect(editor->cmdNew, &QPushButton::clicked, this, [this, editor] { PairNew(*editor); });
    connect(editor->cmdSave, &QPushButton::clicked, this, [this, editor] { PairSave(*editor); });
    connect(editor->cmdDelete, &QPushButton::clicked, this,
            [this, editor] { PairDelete(*editor); });
    connect(editor->list, &QListWidget::currentRowChanged, this,
            [this, editor] { PairListClick(*editor); });
    connect(editor->list, &QListWidget::itemClicked, this,
            [this, editor] { PairListClick(*editor); });
  }
  connect(cmdAddSendEmail_, &QPushButton::clicked, this, &frmWizard::cmdAddSendEmail_Click);
  connect(cmdRemoveSendEmail_, &QPushButton::clicked, this, &frmWizard::cmdRemoveSendEmail_Click);
}

// ---------------------------------------------------------------------------
// The two copies.

void frmWizard::CopyRecordToControls() {
  const INISettings& s = settings_;
  chkAlwaysRun_->setChecked(s.AlwaysRun);
  cboDomainName_->setEditText(Q(s.DomainName));

  lstServerPairs_->clear();
  for (const NamePair& pair : s.ServerPairs) {
    if (!pair.FromName.empty())
      lstServerPairs_->addItem(PairDisplay(Q(pair.FromName), Q(pair.ToName)));
  }
  lstPrinterPairs_->clear();
  for (const NamePair& pair : s.PrinterPairs) {
    if (!pair.FromName.empty())
      lstPrinterPairs_->addItem(PairDisplay(Q(pair.FromName), Q(pair.ToName)));
  }
  lstMixedPrintersAndServers_->clear();
  for (const MixedPair& pair : s.MixedPairs) {
    if (!pair.FromServer.empty()) {
      lstMixedPrintersAndServers_->addItem(MixedDisplay(Q(pair.FromServer), Q(pair.FromPrinter),
                                                        Q(pair.ToServer), Q(pair.ToPrinter)));
    }
  }

  chkUseSMTP_->setChecked(s.UseSMTP);
  txtSMTPServerName_->setText(Q(s.SMTPServerNameOrIP));
  txtSMTPServerPort_->setText(Q(s.ServerPort));
  txtEmailSubject_->setText(Q(s.EmailSubject));
  lstToEmailAddresses_->clear();
  for (const std::string& address : s.EmailTo) {
    if (!address.empty()) lstToEmailAddresses_->addItem(Q(address));
  }
  txtSMTPEmailAddress_->setText(Q(s.EmailFrom));

  chkUseFileOutput_->setChecked(s.UseFileOutput);
  txtFileOutputPath_->setText(Q(s.FileOutputPath));
  txtFileOutputName_->setText(Q(s.FileOutputName));
  chkIncludeComputerName_->setChecked(s.IncludeComputerName);
  chkIncludeFinalStatus_->setChecked(s.IncludeOutcome);
  chkWriteToEventLog_->setChecked(s.WriteToEventLog);

  chkUseNotifyUser_->setChecked(s.UseClientPopup);
  chkUseNotifyUser_->setChecked(s.UseSuccessClientPopup);
  txtSucessMessage_->setPlainText(MessageFromRecord(s.SuccessMessage));
  chkNotifyMessageOnFailure_->setChecked(s.UseFailureClientPopup);
  txtFailureMessage_->setPlainText(MessageFromRecord(s.FailureMessage));

  txtNetworkSharePath_->setText(Q(s.DeploymentPath));
  chkCreateHTML_->setChecked(s.CreateWebLaunchPage);
  chkBatchFile_->setChecked(s.CreateBatchFile);
  chkIncludeMDAC_->setChecked(s.IncludeMDAC);
  if (s.MDACOption >= 0 && s.MDACOption < 3) {
    optMDACVersion_[s.MDACOption]->setChecked(true);
  } else {
    // A number no option stands for selects none; saving then stores 2.
    mdacGroup_->setExclusive(false);
    for (QRadioButton* option : optMDACVersion_) option->setChecked(false);
    mdacGroup_->setExclusive(true);
  }
  chkDebugOn_->setChecked(s.DebugOn);
}

void frmWizard::CopyControlsToRecord() {
  INISettings& s = settings_;
  s.AlwaysRun = chkAlwaysRun_->isChecked();
  s.DomainName = S(cboDomainName_->currentText());

  s.ServerPairs.assign(1, NamePair{});
  for (int row = 0; row < lstServerPairs_->count(); ++row) {
    const QStringList parts = SplitPairDisplay(lstServerPairs_->item(row)->text(), false);
    s.ServerPairs.push_back({S(parts[0]), S(parts[1])});
  }
  s.PrinterPairs.assign(1, NamePair{});
  for (int row = 0; row < lstPrinterPairs_->count(); ++row) {
    const QStringList parts = SplitPairDisplay(lstPrinterPairs_->item(row)->text(), false);
    s.PrinterPairs.push_back({S(parts[0]), S(parts[1])});
  }
  s.MixedPairs.assign(1, MixedPair{});
  for (int row = 0; row < lstMixedPrintersAndServers_->count(); ++row) {
    const QStringList p = SplitPairDisplay(lstMixedPrintersAndServers_->item(row)->text(), true);
    MixedPair pair;
    pair.FromServer = S(p[0]);
    pair.FromPrinter = S(p[1]);
    pair.ToServer = S(p[2]);
    pair.ToPrinter = S(p[3]);
    s.MixedPairs.push_back(pair);
  }

  s.UseSMTP = chkUseSMTP_->isChecked();
  s.SMTPServerNameOrIP = S(txtSMTPServerName_->text());
  s.ServerPort = S(txtSMTPServerPort_->text());
  s.EmailSubject = S(txtEmailSubject_->text());
  s.EmailTo.assign(1, std::string());
  for (int row = 0; row < lstToEmailAddresses_->count(); ++row) {
    s.EmailTo.push_back(S(lstToEmailAddresses_->item(row)->text()));
  }
  s.EmailFrom = S(txtSMTPEmailAddress_->text());

  s.UseFileOutput = chkUseFileOutput_->isChecked();
  s.FileOutputPath = S(txtFileOutputPath_->text());
  s.FileOutputName = S(txtFileOutputName_->text());
  s.IncludeComputerName = chkIncludeComputerName_->isChecked();
  s.IncludeOutcome = chkIncludeFinalStatus_->isChecked();
  s.WriteToEventLog = chkWriteToEventLog_->isChecked();

  // The pop-up channel is on when either message is wanted: taken from the
  // success box alone, a failure message chosen on its own would never show.
  s.UseClientPopup = chkUseNotifyUser_->isChecked() || chkNotifyMessageOnFailure_->isChecked();
  s.UseSuccessClientPopup = chkUseNotifyUser_->isChecked();
  s.SuccessMessage = MessageToRecord(txtSucessMessage_->toPlainText());
  s.UseFailureClientPopup = chkNotifyMessageOnFailure_->isChecked();
  s.FailureMessage = MessageToRecord(txtFailureMessage_->toPlainText());

  s.DeploymentPath = S(txtNetworkSharePath_->text());
  s.CreateWebLaunchPage = chkCreateHTML_->isChecked();
  s.CreateBatchFile = chkBatchFile_->isChecked();
  s.IncludeMDAC = chkIncludeMDAC_->isChecked();
  s.MDACOption = optMDACVersion_[0]->isChecked() ? 0 : optMDACVersion_[1]->isChecked() ? 1 : 2;
  s.DebugOn = chkDebugOn_->isChecked();
}

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
// Pair editors and the recipient list.

void frmWizard::PairNew(PairEditor& editor) {
  editor.newEntry = true;
  for (QLineEdit* field : editor.fields) field->clear();
}

namespace {
// The line the user chose. Focus entering a list makes its first line
// current without selecting it; that line was not chosen and must not be
// replaced or deleted.
int SelectedRow(const QListWidget* list) {
  const QListWidgetItem* item = list->currentItem();
  return item && item->isSelected() ? list->currentRow() : -1;
}
}  // namespace

void frmWizard::PairListClick(PairEditor& editor) {
  // Tabbing into a list without a current line makes the first line current
  // without choosing it; taking that for a click would overwrite a pair the
  // user is typing. A mouse click or an arrow key selects the line.
  if (fillingPairFields_ || SelectedRow(editor.list) < 0) return;
  const QStringList parts =
      SplitPairDisplay(editor.list->currentItem()->text(), editor.fields.size() == 4);
  for (size_t i = 0; i < editor.fields.size(); ++i) editor.fields[i]->setText(parts[qsizetype(i)]);
  editor.newEntry = false;
}

void frmWizard::PairSave(PairEditor& editor) {
  for (QLineEdit* field : editor.fields) {
    if (field->text().isEmpty()) {
      Dialogs::Message(this, editor.emptyFieldMessage, "Save Error", MessageIcon::Critical,
                       MessageButtons::OK);
      return;
    }
  }
  const auto& f = editor.fields;
  const QString display =
      f.size() == 2 ? PairDisplay(f[0]->text(), f[1]->text())
                    : MixedDisplay(f[0]->text(), f[1]->text(), f[2]->text(), f[3]->text());
  // With no line selected there is nothing to replace: the pair is added
  // rather than dropped.
  if (editor.newEntry || SelectedRow(editor.list) < 0) {
    editor.list->addItem(display);
    editor.list->setCurrentRow(editor.list->count() - 1);
    editor.newEntry = false;
  } else {
    editor.list->currentItem()->setText(display);
  }
  SetDirty();
}

void frmWizard::PairDelete(PairEditor& editor) {
  if (editor.newEntry) {
    for (QLineEdit* field : editor.fields) field->clear();
    return;
  }
  bool removed = false;
  const int row = SelectedRow(editor.list);
  if (editor.list->count() > 0 && row >= 0 &&
      Dialogs::Message(this, editor.deleteQuestion, "Delete?", MessageIcon::Question,
                       MessageButtons::YesNo) == MessageAnswer::Yes) {
    fillingPairFields_ = true;
    delete editor.list->takeItem(row);
    editor.list->setCurrentRow(-1);
    fillingPairFields_ = false;
    for (QLineEdit* field : editor.fields) field->clear();
    removed = true;
  }
  if (removed || editor.dirtyOnEveryDelete) SetDirty();
}

void frmWizard::cmdAddSendEmail_Click() {
  const QString address = txtSendEmailTo_->text();
  if (!address.contains(QLatin1Char('@'))) {
    Dialogs::Message(this, EmailFormatMessage(), "Invalid Email", MessageIcon::Information,
                     MessageButtons::OK);
    return;
  }
  lstToEmailAddresses_->addItem(address);
  SetDirty();
}

void frmWizard::cmdRemoveSendEmail_Click() {
  const int row = SelectedRow(lstToEmailAddresses_);
  if (row < 0) return;
  if (Dialogs::Message(this, "Are you sure that you want to delete the selected Email To Address?",
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
  const QString text = txtSMTPEmailAddress_->text();
  if (text.isEmpty() || text.contains(QLatin1Char('@'))) return true;
  Dialogs::Message(this, EmailFormatMessage(), "Invalid Email", MessageIcon::Information,
                   MessageButtons::OK);
  return false;
}

bool frmWizard::txtSMTPServerPort_Validate() {
  const QString text = txtSMTPServerPort_->text();
  if (text.isEmpty() || IsNumeric(text)) return true;
  Dialogs::Message(this, "Incorrect port number. Please enter a valid port number (i.e. 1025)",
                   "Invalid Port Number", MessageIcon::Information, MessageButtons::OK);
  return false;
}

bool frmWizard::CheckFolderField(QLineEdit* field, const QString& message) {
  // The folder may be on a slow share: the window waits, visibly, and takes
  // no input meanwhile.
  QWidget* next = QApplication::focusWidget();
  validating_ = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  setEnabled(false);
  QApplication::processEvents();
  const bool exists = FolderExists(field->text());
  QApplication::processEvents();
  QApplication::restoreOverrideCursor();
  setEnabled(true);
  if (!exists) {
    Dialogs::Message(this, message, "Folder not found.", MessageIcon::Exclamation,
                     MessageButtons::OK);
  }
  QString text = field->text();
  if (text.endsWith(QLatin1Char('\\'))) {
    text.chop(1);
  }
#ifndef Q_OS_WIN
  else if (text.size() > 1 && text.endsWith(QLatin1Char('/'))) {
    text.chop(1);
  }
#endif
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

bool frmWizard::ValidateSave() {
  if (ActiveDirectoryMode()) {
    if (!cboDomainName_->currentText().isEmpty()) return true;
    Dialogs::Message(this,
                     "The Active Directory domain name is a required field. Please enter an "
                     "Active Directory domain name, before saving.",
                     "Error Saving", MessageIcon::Critical, MessageButtons::OK);
    ShowPage(kPageActiveDirectory);
    cboDomainName_->setFocus(Qt::OtherFocusReason);
    return false;
  }
  if (lstServerPairs_->count() > 0 || lstPrinterPairs_->count() > 0 ||
      lstMixedPrintersAndServers_->count() > 0) {
    return true;
  }
  Dialogs::Message(this,
                   "At least one of the Manual Configurations must have data. Please enter at "
                   "least one set of Manual data before saving.",
                   "Error Saving", MessageIcon::Critical, MessageButtons::OK);
  ShowPage(kPageServers);
  txtFromServer_->setFocus(Qt::OtherFocusReason);
  return false;
}

}  // namespace velloran
