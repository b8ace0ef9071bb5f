#include "toolkit/frmWizard.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <algorithm>
#include <iterator>

#include "common/modINIDocument.h"
#include "toolkit/Branding.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Help.h"
#include "toolkit/frmNewINI.h"
#include "toolkit/imgWizard.h"

namespace velloran {
namespace {

constexpr int kActiveDirectorySequence[] = {kPageGeneral,      kPageActiveDirectory,
                                            kPageNotification, kPageSMTPMail,
                                            kPageFileOutput,   kPageClientPopup,
                                            kPageEventLog,     kPageDeploymentOverview,
                                            kPageDeployment,   kPageMDAC,
                                            kPageSupport};
constexpr int kManualSequence[] = {kPageGeneral,     kPageManualConfiguration,
                                   kPageServers,     kPagePrinters,
                                   kPageMixed,       kPageNotification,
                                   kPageSMTPMail,    kPageFileOutput,
                                   kPageClientPopup, kPageEventLog,
                                   kPageDeployment,  kPageSupport};

constexpr int kKeyRole = Qt::UserRole;

bool HasPage(int page) {
  return page >= 0 && page < kPageCount && page != 7 && page != 9 && page != 13;
}

}  // namespace

frmWizard::frmWizard(ProfileFunctions& profile, QWidget* parent)
    : QMainWindow(parent), profile_(profile) {
  setObjectName("frmWizard");
  setWindowIcon(VelloranIcon());
  BuildMenusAndToolbar();
  BuildPages();
  WireChangeEvents();

  connect(tvwWizardOptions_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) {
            if (!syncingTree_ && current) tvwWizardOptions_NodeClick(current);
          });
  connect(tvwWizardOptions_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { tvwWizardOptions_NodeClick(item); });

  // The two links look like links and take the help pointer; every other
  // label and the page container keep the default one.
  for (QLabel* link : {lblWizardSupport_, lblWizardMDACLink_}) {
    link->setCursor(Qt::WhatsThisCursor);
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
    link->setPalette(palette);
    link->setToolTip(link == lblWizardSupport_ ? kMakerWebAddress : kMDACInformationAddress);
    link->installEventFilter(this);
  }
  for (QLineEdit* checked :
       {txtSMTPEmailAddress_, txtSMTPServerPort_, txtNetworkSharePath_, txtFileOutputPath_}) {
    checked->installEventFilter(this);
  }
  for (int i = 0; i < 2; ++i) {
    connect(cmdDeployNow_[i], &QPushButton::clicked, this, [this] {
      if (actions_.DeployNow) actions_.DeployNow(*this);
    });
  }
  connect(cmdBrowseFileOutput_, &QPushButton::clicked, this, [this] {
    if (actions_.BrowseFileOutput) actions_.BrowseFileOutput(*this);
  });
  connect(cmdBrowseDeployment_, &QPushButton::clicked, this, [this] {
    if (actions_.BrowseDeployment) actions_.BrowseDeployment(*this);
  });
  ApplySystemActions();

  resize(860, 600);
  ResetINISettings(settings_);
  UpdateCaption();
}

frmWizard::~frmWizard() = default;

void frmWizard::SetSystemActions(SystemActions actions) {
  actions_ = std::move(actions);
  ApplySystemActions();
}

void frmWizard::ApplySystemActions() {
  // A control whose action is not set is shown unavailable rather than
  // doing nothing when clicked.
  for (QPushButton* deploy : cmdDeployNow_) deploy->setEnabled(bool(actions_.DeployNow));
  cmdBrowseDeployment_->setEnabled(bool(actions_.BrowseDeployment));
  cmdBrowseFileOutput_->setEnabled(chkUseFileOutput_->isChecked() && actions_.BrowseFileOutput);
  Tool("ID_BTN_ABOUT")->setEnabled(bool(actions_.ShowAbout));
}

QAction* frmWizard::Tool(const char* id) const {
  return ssaVelloran_->findChild<QAction*>(QLatin1String(id), Qt::FindDirectChildrenOnly);
}

void frmWizard::StartNewDocument() {
  ResetINISettings(settings_);
  documentPath_.clear();
  documentName_ = QStringLiteral("UNTITLED");
  CopyRecordToControls();
  unsavedChanges_ = false;
}

void frmWizard::RunDependentFieldHandlers() {
  chkUseSMTP_Click();
  chkUseFileOutput_Click();
  chkUseNotifyUser_Click();
  chkNotifyMessageOnFailure_Click();
  chkIncludeMDAC_Click();
}

bool frmWizard::Form_Load() {
  StartNewDocument();
  CopyRecordToControls();
  InitializeTreeView();
  RunDependentFieldHandlers();
  ShowPage(kPageGeneral);
  servers_.newEntry = printers_.newEntry = mixed_.newEntry = true;
  UpdateCaption();
  if (actions_.FillDomainList) actions_.FillDomainList(*this);
  unsavedChanges_ = false;
  show();

  frmNewINI newINI(this);
  newINI.SelectActiveDirectory(true);
  newINI.OfferExisting(true);
  Dialogs::Modal(newINI);
  if (newINI.g_bolCancelPressed) {
    close();
    return false;
  }

  StartNewDocument();
  if (newINI.ShownPage() == frmNewINI::kPageExisting) {
    documentPath_ = newINI.ExistingFilePath();
    documentName_ = newINI.ExistingFileName();
    unsavedChanges_ = false;
    INIDocument document(profile_, QFile::encodeName(documentPath_).toStdString());
    document.ReadINISettings(settings_);
    CopyRecordToControls();
    InitializeTreeView();
    UpdateCaption();
  } else if (newINI.ActiveDirectorySelected()) {
    settings_.UseActiveDirectory = true;
  } else {
    settings_.UseManualDefinitions = true;
  }
  CopyRecordToControls();
  InitializeTreeView();
  unsavedChanges_ = false;
  return true;
}

void frmWizard::UpdateCaption() {
  setWindowTitle(QStringLiteral("%1 [%2]").arg(QLatin1String(kProgramTitle), documentName_));
}

QTreeWidgetItem* frmWizard::AddNode(const QString& text, const QString& key,
                                    const QString& parentKey, int image) {
  QTreeWidgetItem* item = nullptr;
  if (parentKey.isEmpty()) {
    item = new QTreeWidgetItem(tvwWizardOptions_, QStringList{text});
  } else {
    QTreeWidgetItem* parent = nullptr;
    for (QTreeWidgetItemIterator it(tvwWizardOptions_); *it; ++it) {
      if ((*it)->data(0, kKeyRole).toString() == parentKey) parent = *it;
    }
    item = new QTreeWidgetItem(parent, QStringList{text});
  }
  item->setData(0, kKeyRole, key);
  item->setIcon(0, imgWizardPicture(image));
  return item;
}

void frmWizard::InitializeTreeView() {
  const bool ad = ActiveDirectoryMode();
  syncingTree_ = true;
  tvwWizardOptions_->clear();
  AddNode("General", "Key1", {}, 1);
  if (ad) AddNode("Active Directory", "Key2", {}, 1);
  if (!ad) {
    AddNode("Manual Configuration", "Key3", {}, 2)->setExpanded(true);
    AddNode("Servers", "Key31", "Key3", 1);
    AddNode("Printers", "Key32", "Key3", 1);
    AddNode("Mixed", "Key33", "Key3", 1);
  }
  AddNode("Notification", "Key4", {}, 2)->setExpanded(true);
  AddNode("SMTP Mail", "Key41", "Key4", 1);
  AddNode("File Output", "Key42", "Key4", 1);
  AddNode("Client User Pop-Up", "Key43", "Key4", 1);
  AddNode("Application Event Log", "Key44", "Key4", 1);
  QTreeWidgetItem* deployment = AddNode("Deployment", "Key6", {}, 1);
  if (ad) {
    AddNode("General", "Key61", "Key6", 1);
    AddNode("MDAC", "Key62", "Key6", 1);
    deployment->setExpanded(true);
  }
  AddNode("Support", "Key7", {}, 1);
  tvwWizardOptions_->setCurrentItem(tvwWizardOptions_->topLevelItem(0));
  syncingTree_ = false;

  Tool("ID_BTN_AD")->setEnabled(ad);
  for (const char* id : {"ID_BTN_SERVER", "ID_BTN_PRINTER", "ID_BTN_MIXED"}) {
    Tool(id)->setEnabled(!ad);
  }
  for (const char* id : {"ID_BTN_DEPLOY_GENERAL", "ID_BTN_MDAC"}) Tool(id)->setEnabled(ad);

  lblWizardNote_->setVisible(ad);
  lblGeneral_[kPageDeployment]->setText(ad ? "Deployment - General" : "Deployment");
  cboConfigurationFileType_->setCurrentIndex(ad ? 0 : 1);

  ShowPage(kPageGeneral);
}

int frmWizard::CurrentPage() const { return sstWizard_->currentIndex(); }

QTreeWidgetItem* frmWizard::NodeForPage(int page) const {
  const bool ad = ActiveDirectoryMode();
  QString key;
  switch (page) {
    case kPageGeneral:
      key = "Key1";
      break;
    case kPageActiveDirectory:
      key = "Key2";
      break;
    case kPageManualConfiguration:
      key = "Key3";
      break;
    case kPageServers:
      key = "Key31";
      break;
    case kPagePrinters:
      key = "Key32";
      break;
    case kPageMixed:
      key = "Key33";
      break;
    case kPageNotification:
      key = "Key4";
      break;
    case kPageSMTPMail:
      key = "Key41";
      break;
    case kPageFileOutput:
      key = "Key42";
      break;
    case kPageClientPopup:
      key = "Key43";
      break;
    case kPageEventLog:
      key = "Key44";
      break;
    case kPageDeploymentOverview:
      key = "Key6";
      break;
    case kPageDeployment:
      key = ad ? "Key61" : "Key6";
      break;
    case kPageMDAC:
      key = "Key62";
      break;
    case kPageSupport:
      key = "Key7";
      break;
    default:
      return nullptr;
  }
  for (QTreeWidgetItemIterator it(tvwWizardOptions_); *it; ++it) {
    if ((*it)->data(0, kKeyRole).toString() == key) return *it;
  }
  return nullptr;
}

void frmWizard::ShowPage(int page) {
  if (!HasPage(page)) return;
  sstWizard_->setCurrentIndex(page);
  if (QTreeWidgetItem* node = NodeForPage(page)) {
    syncingTree_ = true;
    tvwWizardOptions_->setCurrentItem(node);
    tvwWizardOptions_->scrollToItem(node);
    syncingTree_ = false;
  }
}

void frmWizard::tvwWizardOptions_NodeClick(QTreeWidgetItem* node) {
  const QString text = node->text(0);
  int page = -1;
  if (text == "General")
    page = node->parent() ? kPageDeployment : kPageGeneral;
  else if (text == "Active Directory")
    page = kPageActiveDirectory;
  else if (text == "Manual Configuration")
    page = kPageManualConfiguration;
  else if (text == "Servers")
    page = kPageServers;
  else if (text == "Printers")
    page = kPagePrinters;
  else if (text == "Mixed")
    page = kPageMixed;
  else if (text == "Notification")
    page = kPageNotification;
  else if (text == "SMTP Mail")
    page = kPageSMTPMail;
  else if (text == "File Output")
    page = kPageFileOutput;
  else if (text == "Client User Pop-Up")
    page = kPageClientPopup;
  else if (text == "Application Event Log")
    page = kPageEventLog;
  else if (text == "Deployment")
    page = ActiveDirectoryMode() ? kPageDeploymentOverview : kPageDeployment;
  else if (text == "MDAC")
    page = kPageMDAC;
  else if (text == "Support")
    page = kPageSupport;
  if (page >= 0) sstWizard_->setCurrentIndex(page);
}

void frmWizard::cmdNext_Click(int page) {
  const int* begin =
      ActiveDirectoryMode() ? std::begin(kActiveDirectorySequence) : std::begin(kManualSequence);
  const int* end =
      ActiveDirectoryMode() ? std::end(kActiveDirectorySequence) : std::end(kManualSequence);
  const int* at = std::find(begin, end, page);
  if (at != end && at + 1 != end) ShowPage(*(at + 1));
}

void frmWizard::cmdBack_Click(int page) {
  const int* begin =
      ActiveDirectoryMode() ? std::begin(kActiveDirectorySequence) : std::begin(kManualSequence);
  const int* end =
      ActiveDirectoryMode() ? std::end(kActiveDirectorySequence) : std::end(kManualSequence);
  const int* at = std::find(begin, end, page);
  if (at != end && at != begin) ShowPage(*(at - 1));
}

int frmWizard::HelpContextOfPage(int page) const {
  switch (page) {
    case kPageGeneral:
      return help::kGeneral;
    case kPageActiveDirectory:
      return help::kActiveDirectory;
    case kPageServers:
      return help::kServers;
    case kPageNotification:
      return help::kNotification;
    case kPageSMTPMail:
      return help::kSMTPMail;
    case kPageFileOutput:
      return help::kFileOutput;
    case kPageClientPopup:
      return help::kClientPopup;
    case kPageEventLog:
      return help::kEventLog;
    case kPageManualConfiguration:
      return help::kManualConfiguration;
    case kPagePrinters:
      return help::kPrinters;
    case kPageMixed:
      return help::kMixed;
    case kPageSupport:
      return help::kSupport;
    case kPageDeployment:
      return ActiveDirectoryMode() ? help::kDeploymentGeneral : help::kDeploymentManual;
    case kPageMDAC:
      return help::kMDAC;
    case kPageDeploymentOverview:
      return help::kDeploymentOverview;
    default:
      return 0;
  }
}

void frmWizard::cmdHelp_Click(int page) { help::ShowHelp(this, HelpContextOfPage(page)); }

void frmWizard::HyperlinkClick(QLabel* label) {
  Dialogs::OpenUrl(QUrl(label == lblWizardSupport_ ? kMakerWebAddress : kMDACInformationAddress));
}

void frmWizard::ssaVelloran_ToolClick(const QString& toolId) {
  const QByteArray id = toolId.toLatin1();
  if (QAction* action = Tool(id.constData()); action && !action->isEnabled()) return;

  if (toolId == "ID_BTN_NEW") {
    NewINI();
    UpdateCaption();
  } else if (toolId == "ID_BTN_OPEN") {
    OpenINI();
    UpdateCaption();
  } else if (toolId == "ID_BTN_SAVE") {
    if (ValidateSave()) SaveINI();
    UpdateCaption();
  } else if (toolId == "ID_BTN_SAVE_AS") {
    if (ValidateSave()) SaveINIAs();
    UpdateCaption();
  } else if (toolId == "ID_BTN_EXIT") {
    close();
  } else if (toolId == "ID_BTN_GENERAL") {
    ShowPage(kPageGeneral);
  } else if (toolId == "ID_BTN_AD") {
    ShowPage(kPageActiveDirectory);
  } else if (toolId == "ID_BTN_SERVER") {
    ShowPage(kPageServers);
  } else if (toolId == "ID_BTN_PRINTER") {
    ShowPage(kPagePrinters);
  } else if (toolId == "ID_BTN_MIXED") {
    ShowPage(kPageMixed);
  } else if (toolId == "ID_BTN_EMAIL") {
    ShowPage(kPageSMTPMail);
  } else if (toolId == "ID_BTN_FILE") {
    ShowPage(kPageFileOutput);
  } else if (toolId == "ID_BTN_CLIENT") {
    ShowPage(kPageClientPopup);
  } else if (toolId == "ID_BTN_APP_EL") {
    ShowPage(kPageEventLog);
  } else if (toolId == "ID_BTN_DEPLOYMENT") {
    ShowPage(ActiveDirectoryMode() ? kPageDeploymentOverview : kPageDeployment);
  } else if (toolId == "ID_BTN_DEPLOY_GENERAL") {
    ShowPage(kPageDeployment);
  } else if (toolId == "ID_BTN_MDAC") {
    ShowPage(kPageMDAC);
  } else if (toolId == "ID_BTN_SUPPORT") {
    ShowPage(kPageSupport);
  } else if (toolId == "ID_BTN_CONTENTS") {
    help::ShowHelpContents(this);
  } else if (toolId == "ID_BTN_ABOUT") {
    if (actions_.ShowAbout) actions_.ShowAbout(*this);
  }
}

void frmWizard::closeEvent(QCloseEvent* event) {
  if (!unsavedChanges_) {
    event->accept();
    return;
  }
  switch (Dialogs::Message(this, "You have unsaved work, do you want to save before exiting?",
                           "Save?", MessageIcon::Question, MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes:
      // A file that could not be written keeps the window open: the error
      // has been shown and closing now would drop the work.
      if (SaveINI() == SaveOutcome::Failed) {
        event->ignore();
      } else {
        event->accept();
      }
      return;
    case MessageAnswer::No:
      event->accept();
      return;
    default:
      event->ignore();
      return;
  }
}

}  // namespace velloran
