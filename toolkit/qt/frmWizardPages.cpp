// The wizard window's menus, toolbar, tree and pages, built in code.

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "toolkit/core/Branding.h"
#include "toolkit/qt/PairPage.h"
#include "toolkit/qt/WidgetFactory.h"
#include "toolkit/qt/frmWizard.h"
#include "toolkit/qt/imgWizard.h"

namespace velloran {
namespace {

using namespace widgets;

QFrame* Separator(QWidget* parent, int index) {
  auto* line = new QFrame(parent);
  line->setObjectName(Indexed("fraSeperator", index));
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

// Fields that a check box switches are set in under it.
QVBoxLayout* Indented(QVBoxLayout* body) {
  auto* inner = new QVBoxLayout;
  inner->setContentsMargins(22, 2, 0, 0);
  inner->setSpacing(8);
  body->addLayout(inner);
  return inner;
}

}  // namespace

void frmWizard::BuildMenusAndToolbar() {
  ssaVelloran_ = new QToolBar(this);
  ssaVelloran_->setObjectName("ssaVelloran");
  ssaVelloran_->setWindowTitle("Toolbar");
  ssaVelloran_->setMovable(false);
  ssaVelloran_->setFloatable(false);
  ssaVelloran_->setIconSize(QSize(22, 22));
  ssaVelloran_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  ssaVelloran_->toggleViewAction()->setEnabled(false);
  addToolBar(Qt::TopToolBarArea, ssaVelloran_);

  auto tool = [this](Tool id, const QString& caption, const char* themeIcon = nullptr,
                     const char* drawnIcon = nullptr, QKeySequence shortcut = {}) {
    auto* action = new QAction(caption, ssaVelloran_);
    action->setObjectName(QString::fromUtf8(ToolId(id).data(), qsizetype(ToolId(id).size())));
    tools_[static_cast<size_t>(id)] = action;
    if (themeIcon) {
      // The desktop's icon theme first, so the toolkit looks at home there.
      action->setIcon(QIcon::fromTheme(themeIcon, drawnIcon ? ToolbarPicture(drawnIcon) : QIcon()));
    }
    QString tip = caption;
    tip.remove('&');
    tip.remove(QStringLiteral(" ..."));
    action->setToolTip(tip);
    action->setStatusTip(tip);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, id] { ssaVelloran_ToolClick(id); });
    return action;
  };
  auto menu = [this](const char* id, const QString& caption) {
    QMenu* m = menuBar()->addMenu(caption);
    m->setObjectName(id);
    return m;
  };
  menuBar()->setObjectName("ssaVelloranMenuBar");

  QMenu* file = menu("ID_MNU_FILE", "&File");
  QAction* newAction = tool(Tool::New, "&New", "document-new", "new", QKeySequence::New);
  QAction* openAction = tool(Tool::Open, "&Open ...", "document-open", "open", QKeySequence::Open);
  QAction* saveAction = tool(Tool::Save, "&Save", "document-save", "save", QKeySequence::Save);
  QAction* saveAsAction =
      tool(Tool::SaveAs, "Save &As ...", "document-save-as", "save", QKeySequence::SaveAs);
  QAction* exitAction =
      tool(Tool::Exit, "E&xit", "application-exit", nullptr, QKeySequence(Qt::CTRL | Qt::Key_Q));
  file->addAction(newAction);
  file->addSeparator();
  file->addAction(openAction);
  file->addSeparator();
  file->addAction(saveAction);
  file->addAction(saveAsAction);
  file->addSeparator();
  file->addAction(exitAction);

  QMenu* view = menu("ID_MNU_VIEW", "&View");
  view->addAction(tool(Tool::General, "&General"));
  view->addSeparator();
  view->addAction(tool(Tool::ActiveDirectory, "&Active Directory"));
  view->addSeparator();
  view->addAction(tool(Tool::Servers, "Server &To Server"));
  view->addAction(tool(Tool::Printers, "Pr&inter To Printer"));
  view->addAction(tool(Tool::Mixed, "&Mixed Server And Printer"));
  view->addSeparator();
  view->addAction(tool(Tool::Email, "&Email Output"));
  view->addAction(tool(Tool::FileOutput, "&File Output"));
  view->addAction(tool(Tool::ClientPopup, "Client Pop-&up"));
  view->addAction(tool(Tool::EventLog, "Application Event &Log"));
  view->addSeparator();
  view->addAction(tool(Tool::Deployment, "&Deployment"));
  view->addAction(tool(Tool::DeploymentGeneral, "Deployment Ge&neral"));
  view->addAction(tool(Tool::MDAC, "MDA&C"));
  view->addSeparator();
  view->addAction(tool(Tool::Support, "Su&pport"));

  QMenu* tools = menu("ID_MNU_TOOLS", "Too&ls");
  actCheckTargets_ = tools->addAction(QStringLiteral("&Check Targets ..."));
  actCheckTargets_->setObjectName("actCheckTargets");
  connect(actCheckTargets_, &QAction::triggered, this, [this] {
    if (actions_.CheckTargets) actions_.CheckTargets(*this);
  });

  QMenu* helpMenu = menu("ID_MNU_HELP", "&Help");
  QAction* contentsAction = tool(Tool::Contents, "&Contents ...", "help-contents", "help");
  helpMenu->addAction(contentsAction);
  // F1 is help on what is in front of the user: the page shown, as its Help
  // button gives it. The contents stay one click away in the menu.
  auto* pageHelp = new QAction(QStringLiteral("Help on this page"), this);
  pageHelp->setObjectName("actPageHelp");
  pageHelp->setShortcut(QKeySequence::HelpContents);
  pageHelp->setShortcutContext(Qt::WindowShortcut);
  connect(pageHelp, &QAction::triggered, this, [this] { cmdHelp_Click(CurrentPage()); });
  addAction(pageHelp);
  helpMenu->addAction(tool(Tool::About, "&About Velloran Deployment Toolkit ...", "help-about"));

  ssaVelloran_->addAction(newAction);
  ssaVelloran_->addSeparator();
  ssaVelloran_->addAction(openAction);
  ssaVelloran_->addAction(saveAction);
  ssaVelloran_->addSeparator();
  ssaVelloran_->addAction(contentsAction);
}

QWidget* frmWizard::AddPage(int page, const QString& heading, QVBoxLayout*& body) {
  QWidget* container = sstWizard_->widget(page);
  auto* outer = new QVBoxLayout(container);
  outer->setContentsMargins(18, 14, 18, 12);
  outer->setSpacing(8);

  lblGeneral_[page] = new QLabel(heading, container);
  lblGeneral_[page]->setObjectName(Indexed("lblGeneral", page));
  QFont headingFont = lblGeneral_[page]->font();
  headingFont.setBold(true);
  headingFont.setPointSizeF(headingFont.pointSizeF() * 1.35);
  lblGeneral_[page]->setFont(headingFont);
  outer->addWidget(lblGeneral_[page]);
  outer->addWidget(Separator(container, page * 2));

  body = new QVBoxLayout;
  body->setContentsMargins(0, 6, 0, 0);
  body->setSpacing(10);
  outer->addLayout(body);
  outer->addStretch(1);
  outer->addWidget(Separator(container, page * 2 + 1));

  // Alt+H opens the Help menu; the page's help is F1, as the button's tip says.
  cmdHelp_[page] = Button(Indexed("cmdHelp", page), "Help", container);
  cmdHelp_[page]->setToolTip("Help on this page (F1)");
  cmdBack_[page] = Button(Indexed("cmdBack", page), "&Back", container);
  cmdNext_[page] = Button(Indexed("cmdNext", page), "&Next", container);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdHelp_[page]);
  buttons->addStretch(1);
  buttons->addWidget(cmdBack_[page]);
  buttons->addWidget(cmdNext_[page]);
  outer->addLayout(buttons);
  connect(cmdHelp_[page], &QPushButton::clicked, this, [this, page] { cmdHelp_Click(page); });
  connect(cmdBack_[page], &QPushButton::clicked, this, [this, page] { cmdBack_Click(page); });
  connect(cmdNext_[page], &QPushButton::clicked, this, [this, page] { cmdNext_Click(page); });
  return container;
}

QLabel* frmWizard::Caption(const QString& text, QWidget* buddy, const QString& name) {
  auto* label = new QLabel(text, buddy ? buddy->parentWidget() : nullptr);
  label->setObjectName(name.isEmpty() ? Indexed("lblWizard", nextLabelIndex_++) : name);
  if (buddy) label->setBuddy(buddy);
  return label;
}

QLabel* frmWizard::Text(const QString& text, const QString& name) {
  auto* label = new QLabel(text);
  label->setObjectName(name.isEmpty() ? Indexed("lblWizard", nextLabelIndex_++) : name);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setTextFormat(Qt::PlainText);
  return label;
}

void frmWizard::BuildPages() {
  sstWizard_ = new QTabWidget;
  sstWizard_->setObjectName("sstWizard");
  sstWizard_->setDocumentMode(true);
  // The tab strip only numbers the pages; the tree, Back/Next and the
  // toolbar choose them.
  sstWizard_->tabBar()->hide();
  for (int page = 0; page < kPageCount; ++page) {
    auto* container = new QWidget;
    container->setObjectName(Indexed("sstWizardPage", page));
    sstWizard_->addTab(container, QString::number(page));
  }
  for (int unused : {7, 9, 13}) sstWizard_->setTabEnabled(unused, false);

  tvwWizardOptions_ = new QTreeWidget;
  tvwWizardOptions_->setObjectName("tvwWizardOptions");
  tvwWizardOptions_->setHeaderHidden(true);
  tvwWizardOptions_->setColumnCount(1);
  tvwWizardOptions_->setIconSize(QSize(16, 16));
  tvwWizardOptions_->setRootIsDecorated(true);
  tvwWizardOptions_->setUniformRowHeights(true);
  tvwWizardOptions_->setMinimumWidth(190);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setObjectName("splWizard");
  splitter->addWidget(tvwWizardOptions_);
  splitter->addWidget(sstWizard_);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setChildrenCollapsible(false);
  splitter->setSizes({210, 590});
  setCentralWidget(splitter);

  BuildGeneralPage();
  BuildActiveDirectoryPage();
  BuildPairPage(PairKind::Servers);
  BuildOverviewPage(kPageNotification, "Notification", 3);
  BuildSMTPPage();
  BuildFileOutputPage();
  BuildClientPopupPage();
  BuildEventLogPage();
  BuildOverviewPage(kPageManualConfiguration, "Manual Configuration", 7);
  BuildPairPage(PairKind::Printers);
  BuildPairPage(PairKind::Mixed);
  BuildSupportPage();
  BuildDeploymentPage();
  BuildMDACPage();
  BuildOverviewPage(kPageDeploymentOverview, "Deployment", 5);

  // Nothing goes back from the first page or on from the last one.
  cmdBack_[kPageGeneral]->setEnabled(false);
  cmdNext_[kPageSupport]->setEnabled(false);

  // The tab strip is hidden; as the container's focus proxy it would swallow
  // every Tab from the tree.
  sstWizard_->setFocusPolicy(Qt::NoFocus);
  sstWizard_->tabBar()->setFocusPolicy(Qt::NoFocus);
  for (int page = 0; page < kPageCount; ++page) PutButtonsAfterFields(page);
}

void frmWizard::PutButtonsAfterFields(int page) {
  // The buttons are made with the page, before its fields: Tab would reach
  // Help, Back and Next first. A page is read top to bottom, so they go last.
  QWidget* container = sstWizard_->widget(page);
  QWidget* lastField = nullptr;
  for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
    if (w == cmdHelp_[page] || w == cmdBack_[page] || w == cmdNext_[page]) continue;
    if ((w->focusPolicy() & Qt::TabFocus) && container->isAncestorOf(w)) lastField = w;
  }
  if (!lastField) return;
  setTabOrder(lastField, cmdHelp_[page]);
  setTabOrder(cmdHelp_[page], cmdBack_[page]);
  setTabOrder(cmdBack_[page], cmdNext_[page]);
}

void frmWizard::BuildOverviewPage(int page, const QString& heading, int labelIndex) {
  QVBoxLayout* body = nullptr;
  AddPage(page, heading, body);
  body->addWidget(
      Text(QString::fromUtf8(OverviewText(page)), Indexed("lblNotification", labelIndex)));
}

void frmWizard::BuildGeneralPage() {
  QVBoxLayout* body = nullptr;
  QWidget* page = AddPage(kPageGeneral, "General", body);
  cboConfigurationFileType_ = new QComboBox(page);
  cboConfigurationFileType_->setObjectName("cboConfigurationFileType");
  cboConfigurationFileType_->addItems({"Active Directory", "Manual Configuration"});
  // The type is chosen when the document is made; here it is only shown.
  cboConfigurationFileType_->setEnabled(false);
  cboConfigurationFileType_->setMinimumWidth(220);
  auto* typeLabel = new QLabel("Configuration File Type: (Read Only)", page);
  typeLabel->setObjectName(Indexed("lblGeneral", kPageCount));
  auto* form = Form();
  form->addRow(typeLabel, cboConfigurationFileType_);
  body->addLayout(form);
  body->addSpacing(8);

  chkAlwaysRun_ = CheckBox("chkAlwaysRun", "Always &Run", page);
  body->addWidget(chkAlwaysRun_);
  QLabel* alwaysRunText = Text(
      "Once Velloran has executed sucessfully for a specific INI file on a client machine it "
      "will not run again. By setting this option Velloran will always run even if a success "
      "on a previous execution was acheived.",
      Indexed("lblGeneral", kPageCount + 1));
  alwaysRunText->setContentsMargins(22, 0, 0, 0);
  body->addWidget(alwaysRunText);
}

void frmWizard::BuildActiveDirectoryPage() {
  QVBoxLayout* body = nullptr;
  QWidget* page = AddPage(kPageActiveDirectory, "Active Directory", body);
  cboDomainName_ = new QComboBox(page);
  cboDomainName_->setObjectName("cboDomainName");
  cboDomainName_->setEditable(true);
  cboDomainName_->setInsertPolicy(QComboBox::NoInsert);
  // A domain typed in another letter case than a listed one stays as typed:
  // a case-blind completer would swap in the list entry on Enter.
  cboDomainName_->completer()->setCaseSensitivity(Qt::CaseSensitive);
  cboDomainName_->setMinimumWidth(280);
  body->addWidget(Caption("Please select or enter your &Active Directory domain name:",
                          cboDomainName_, Indexed("lblActiveDirectory", 0)));
  auto* row = new QHBoxLayout;
  row->addWidget(cboDomainName_);
  row->addStretch(1);
  body->addLayout(row);
}

void frmWizard::BuildPairPage(PairKind kind) {
  QVBoxLayout* body = nullptr;
  const int page = ShapeOf(kind).Page;
  QWidget* container = AddPage(page, QString::fromUtf8(PageHeading(page, true).data()), body);
  pairPages_[static_cast<size_t>(kind)] =
      std::make_unique<PairPage>(kind, container, body, Prompt(), [this] { SetDirty(); });
  auto* check =
      Button(Indexed("cmdCheckTargets", static_cast<int>(kind)), "Chec&k Targets ...", container);
  check->setToolTip("Asks the new print servers whether the queues of every pair exist");
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(check);
  body->addLayout(row);
  connect(check, &QPushButton::clicked, this, [this] {
    if (actions_.CheckTargets) actions_.CheckTargets(*this);
  });
  cmdCheckTargets_[static_cast<size_t>(kind)] = check;
}

void frmWizard::BuildSMTPPage() {
  QVBoxLayout* body = nullptr;
  QWidget* page = AddPage(kPageSMTPMail, "Notification - SMTP Mail", body);
  chkUseSMTP_ = CheckBox("chkUseSMTP", "&Notify via email", page);
  body->addWidget(chkUseSMTP_);
  auto* form = Form();
  form->setContentsMargins(22, 0, 0, 0);
  txtSMTPServerName_ = LineEdit("txtSMTPServerName", page);
  form->addRow(Caption("&SMTP Server Name or IP:", txtSMTPServerName_, {}), txtSMTPServerName_);
  txtSMTPServerPort_ = LineEdit("txtSMTPServerPort", page);
  txtSMTPServerPort_->setMaximumWidth(90);
  form->addRow(Caption("SMTP Server &Port:", txtSMTPServerPort_, {}), txtSMTPServerPort_);
  txtSMTPEmailAddress_ = LineEdit("txtSMTPEmailAddress", page);
  form->addRow(Caption("Fro&m Email Address:", txtSMTPEmailAddress_, {}), txtSMTPEmailAddress_);

  txtSendEmailTo_ = LineEdit("txtSendEmailTo", page);
  cmdAddSendEmail_ = Button("cmdAddSendEmail", "&Add", page);
  auto* addRow = new QHBoxLayout;
  addRow->addWidget(txtSendEmailTo_, 1);
  addRow->addWidget(cmdAddSendEmail_);
  form->addRow(Caption("Send Email &To:", txtSendEmailTo_, {}), addRow);
  lstToEmailAddresses_ = List("lstToEmailAddresses", page);
  lstToEmailAddresses_->setMinimumHeight(80);
  lstToEmailAddresses_->setMaximumHeight(120);
  cmdRemoveSendEmail_ = Button("cmdRemoveSendEmail", "&Remove", page);
  auto* listRow = new QHBoxLayout;
  listRow->addWidget(lstToEmailAddresses_, 1);
  auto* removeColumn = new QVBoxLayout;
  removeColumn->addWidget(cmdRemoveSendEmail_);
  removeColumn->addStretch(1);
  listRow->addLayout(removeColumn);
  // The Add button is as wide as Remove, so the two line up.
  cmdAddSendEmail_->setMinimumWidth(cmdRemoveSendEmail_->sizeHint().width());
  form->addRow(new QLabel(page), listRow);
  txtEmailSubject_ = LineEdit("txtEmailSubject", page);
  form->addRow(Caption("&Email Subject:", txtEmailSubject_, {}), txtEmailSubject_);
  body->addLayout(form);
}

void frmWizard::BuildFileOutputPage() {
  QVBoxLayout* body = nullptr;
  QWidget* page = AddPage(kPageFileOutput, "Notification - File Output", body);
  chkUseFileOutput_ = CheckBox("chkUseFileOutput", "&Notify via file output", page);
  body->addWidget(chkUseFileOutput_);
  auto* form = Form();
  form->setContentsMargins(22, 0, 0, 0);
  txtFileOutputPath_ = LineEdit("txtFileOutputPath", page);
  cmdBrowseFileOutput_ = Button("cmdBrowseFileOutput", "...", page);
  cmdBrowseFileOutput_->setToolTip("Browse for the output folder");
  cmdBrowseFileOutput_->setMaximumWidth(36);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(txtFileOutputPath_, 1);
  pathRow->addWidget(cmdBrowseFileOutput_);
  form->addRow(Caption("File &Output Path:", txtFileOutputPath_, {}), pathRow);
  txtFileOutputName_ = LineEdit("txtFileOutputName", page);
  form->addRow(Caption("File Output &Name:", txtFileOutputName_, {}), txtFileOutputName_);
  body->addLayout(form);
  QVBoxLayout* options = Indented(body);
  chkIncludeComputerName_ =
      CheckBox("chkIncludeComputerName", "Include &client computer name in filename", page);
  chkIncludeFinalStatus_ =
      CheckBox("chkIncludeFinalStatus", "Include final &status in filename", page);
  options->addWidget(chkIncludeComputerName_);
  options->addWidget(chkIncludeFinalStatus_);
}

void frmWizard::BuildClientPopupPage() {
  QVBoxLayout* body = nullptr;
  QWidget* page = AddPage(kPageClientPopup, "Notification - Client Pop-Up", body);
  auto message = [page](const char* name) {
    auto* edit = new QPlainTextEdit(page);
    edit->setObjectName(name);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setTabChangesFocus(true);
    edit->setMinimumHeight(90);
    edit->setMaximumHeight(140);
    return edit;
  };
  chkUseNotifyUser_ = CheckBox("chkUseNotifyUser", "Notify user on &success with message:", page);
  txtSucessMessage_ = message("txtSucessMessage");
  body->addWidget(chkUseNotifyUser_);
  Indented(body)->addWidget(txtSucessMessage_);
  body->addSpacing(6);
  chkNotifyMessageOnFailure_ =
      CheckBox("chkNotifyMessageOnFailure", "Notify user on f&ailure with message:", page);
  txtFailureMessage_ = message("txtFailureMessage");
  body->addWidget(chkNotifyMessageOnFailure_);
  Indented(body)->addWidget(txtFailureMessage_);
}

void frmWizard::BuildEventLogPage() {
  QVBoxLayout* body = nullptr;
  QWidget* page = AddPage(kPageEventLog, "Notification - Application Event Log", body);
  chkWriteToEventLog_ =
      CheckBox("chkWriteToEventLog",
               "&Write sucess and failure messages to the Windows application event log", page);
  body->addWidget(chkWriteToEventLog_);
}

void frmWizard::BuildSupportPage() {
  QVBoxLayout* body = nullptr;
  QWidget* page = AddPage(kPageSupport, "Support", body);
  lblWizardSupport_ =
      Text(QStringLiteral("To submit a support requests please visit ") + kMakerWebAddress +
               ". Please provide a description of the issue you are having and if you can "
               "provide us with the debug file we will be able to resolve the issue faster.",
           Indexed("lblWizard", 5));
  body->addWidget(lblWizardSupport_);
  body->addSpacing(6);
  body->addWidget(
      Text("In the event that your deployment of Velloran does not work, Velloran offers the "
           "option turn on debugging for the Velloran Engine. The debug log will be written to "
           "the deployment folder with a default extention of \".debug\".",
           Indexed("lblWizard", 6)));
  chkDebugOn_ = CheckBox("chkDebugOn", "&Turn on debugging", page);
  body->addWidget(chkDebugOn_);
}

void frmWizard::BuildDeploymentPage() {
  QVBoxLayout* body = nullptr;
  QWidget* page = AddPage(kPageDeployment, "Deployment - General", body);
  lblWizardNote_ = Text(
      "** NOTE ** This INI file deployment is currently using an Active Directory "
      "configuration. Please review the information on the Deployment - MDAC step before "
      "deploying your solution.",
      Indexed("lblWizard", 1));
  QFont noteFont = lblWizardNote_->font();
  noteFont.setBold(true);
  lblWizardNote_->setFont(noteFont);
  body->addWidget(lblWizardNote_);

  auto* form = Form();
  txtNetworkSharePath_ = LineEdit("txtNetworkSharePath", page);
  cmdBrowseDeployment_ = Button("cmdBrowseDeployment", "...", page);
  cmdBrowseDeployment_->setToolTip("Browse for a network computer or share");
  cmdBrowseDeployment_->setMaximumWidth(36);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(txtNetworkSharePath_, 1);
  pathRow->addWidget(cmdBrowseDeployment_);
  form->addRow(Caption("&Network Share Path:", txtNetworkSharePath_, {}), pathRow);
  body->addLayout(form);
  chkBatchFile_ = CheckBox("chkBatchFile", "Create &batch file", page);
  chkCreateHTML_ = CheckBox("chkCreateHTML", "&Create web launch page", page);
  body->addWidget(chkBatchFile_);
  body->addWidget(chkCreateHTML_);

  cmdDeployNow_[0] = Button(Indexed("cmdDeployNow", 0), "&Deploy Now", page);
  auto* deployRow = new QHBoxLayout;
  deployRow->addStretch(1);
  deployRow->addWidget(cmdDeployNow_[0]);
  body->addSpacing(10);
  body->addLayout(deployRow);
}

void frmWizard::BuildMDACPage() {
  QVBoxLayout* body = nullptr;
  QWidget* page = AddPage(kPageMDAC, "Deployment - MDAC", body);
  body->addWidget(
      Text("Microsoft Data Access Components (MDAC) is used by Velloran when migrating using the "
           "Active Directory method.  The client computer requires MDAC version 2.5 or newer to "
           "query Active Directory.  Please select the version you would like Velloran to "
           "distribute prior to Migrating printers on the client computer.",
           Indexed("lblWizard", 2)));
  chkIncludeMDAC_ = CheckBox("chkIncludeMDAC", "Include &MDAC in batch file and/or web page", page);
  body->addWidget(chkIncludeMDAC_);
  QVBoxLayout* options = Indented(body);
  const char* captions[] = {
      "MDAC vr 2.&5 SP3 - default version when using Windows 2000",
      "MDAC vr 2.&7 SP1- default version when using Windows XP",
      "MDAC vr 2.&8 - default version when using Windows 2003/Windows XP SP2"};
  mdacGroup_ = new QButtonGroup(this);
  for (int i = 0; i < 3; ++i) {
    optMDACVersion_[i] = new QRadioButton(captions[i], page);
    optMDACVersion_[i]->setObjectName(Indexed("optMDACVersion", i));
    mdacGroup_->addButton(optMDACVersion_[i], i);
    options->addWidget(optMDACVersion_[i]);
  }
  body->addWidget(Text(
      "You do not need this option if all of the client computers are running Windows 2000 or "
      "later. If in doubt, do not deploy MDAC; if errors are returned, try the latest version of "
      "MDAC (2.8).",
      Indexed("lblWizard", 4)));
  lblWizardMDACLink_ =
      Text(QStringLiteral("For further information, go to ") + kMDACInformationAddress,
           Indexed("lblWizard", 3));
  body->addWidget(lblWizardMDACLink_);

  cmdDeployNow_[1] = Button(Indexed("cmdDeployNow", 1), "&Deploy Now", page);
  auto* deployRow = new QHBoxLayout;
  deployRow->addStretch(1);
  deployRow->addWidget(cmdDeployNow_[1]);
  body->addSpacing(10);
  body->addLayout(deployRow);
}

}  // namespace velloran
