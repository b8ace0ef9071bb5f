// The wizard window's menus, toolbar, tree and pages, built in code.

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

#include "toolkit/core/Branding.h"
#include "toolkit/core/Form.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/frmWizard.h"
#include "toolkit/qt/imgWizard.h"
#include "toolkit/qt/pages/ActiveDirectoryPage.h"
#include "toolkit/qt/pages/ClientPopupPage.h"
#include "toolkit/qt/pages/DeploymentPage.h"
#include "toolkit/qt/pages/EventLogPage.h"
#include "toolkit/qt/pages/FileOutputPage.h"
#include "toolkit/qt/pages/GeneralPage.h"
#include "toolkit/qt/pages/MDACPage.h"
#include "toolkit/qt/pages/OverviewPage.h"
#include "toolkit/qt/pages/PairEditorPage.h"
#include "toolkit/qt/pages/SMTPPage.h"
#include "toolkit/qt/pages/SupportPage.h"

namespace velloran {

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

  // How the commands look here: the desktop's icons and its standard keys.
  struct Look {
    Tool Id;
    const char* ThemeIcon;
    const char* DrawnIcon;
    QKeySequence Shortcut;
  };
  const Look looks[] = {
      {Tool::New, "document-new", "new", QKeySequence::New},
      {Tool::Open, "document-open", "open", QKeySequence::Open},
      {Tool::Save, "document-save", "save", QKeySequence::Save},
      {Tool::SaveAs, "document-save-as", "save", QKeySequence::SaveAs},
      {Tool::Exit, "application-exit", nullptr, QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {Tool::Contents, "help-contents", "help", {}},
      {Tool::About, "help-about", nullptr, {}},
  };
  for (const FormMenu& declared : FormMenus()) {
    QMenu* m = menu(declared.Id.data(),
                    QString::fromUtf8(declared.Caption.data(), qsizetype(declared.Caption.size())));
    for (const MenuEntry& entry : declared.Entries) {
      const QString caption =
          QString::fromUtf8(entry.Caption.data(), qsizetype(entry.Caption.size()));
      QAction* action = nullptr;
      if (const std::optional<Tool> id = ToolOfId(entry.Command)) {
        const Look* look = nullptr;
        for (const Look& l : looks) {
          if (l.Id == *id) look = &l;
        }
        action = look ? tool(*id, caption, look->ThemeIcon, look->DrawnIcon, look->Shortcut)
                      : tool(*id, caption);
      } else {
        action = new QAction(caption, this);
        action->setObjectName(
            QString::fromUtf8(entry.Command.data(), qsizetype(entry.Command.size())));
        actCheckTargets_ = action;
        connect(action, &QAction::triggered, this, [this] {
          if (actions_.CheckTargets) actions_.CheckTargets(*this);
        });
      }
      m->addAction(action);
      if (entry.SeparatorAfter) m->addSeparator();
    }
    if (declared.Id == "ID_MNU_HELP") {
      // F1 is help on what is in front of the user: the page shown, as its
      // Help button gives it. The contents stay one click away in the menu.
      auto* pageHelp = new QAction(QStringLiteral("Help on this page"), this);
      pageHelp->setObjectName("actPageHelp");
      pageHelp->setShortcut(QKeySequence::HelpContents);
      pageHelp->setShortcutContext(Qt::WindowShortcut);
      connect(pageHelp, &QAction::triggered, this, [this] { cmdHelp_Click(CurrentPage()); });
      addAction(pageHelp);
    }
  }

  ssaVelloran_->addAction(tools_[static_cast<size_t>(Tool::New)]);
  ssaVelloran_->addSeparator();
  ssaVelloran_->addAction(tools_[static_cast<size_t>(Tool::Open)]);
  ssaVelloran_->addAction(tools_[static_cast<size_t>(Tool::Save)]);
  ssaVelloran_->addSeparator();
  ssaVelloran_->addAction(tools_[static_cast<size_t>(Tool::Contents)]);
}

template <typename Page>
Page* frmWizard::AddPage(Page* page) {
  const int number = page->Page();
  pages_[number] = page;
  // Pages come in the order of their numbers; a number without a page keeps
  // an empty, disabled tab.
  while (sstWizard_->count() < number) {
    auto* unused = new QWidget;
    unused->setObjectName(QStringLiteral("sstWizardPage(%1)").arg(sstWizard_->count()));
    sstWizard_->setTabEnabled(sstWizard_->addTab(unused, QString::number(sstWizard_->count())),
                              false);
  }
  sstWizard_->addTab(page, QString::number(number));
  connect(page->HelpButton(), &QPushButton::clicked, this,
          [this, number] { cmdHelp_Click(number); });
  connect(page->BackButton(), &QPushButton::clicked, this,
          [this, number] { cmdBack_Click(number); });
  connect(page->NextButton(), &QPushButton::clicked, this,
          [this, number] { cmdNext_Click(number); });
  page->BackButton()->setEnabled(!BackDisabled(number));
  page->NextButton()->setEnabled(!NextDisabled(number));
  return page;
}

void frmWizard::BuildPages() {
  sstWizard_ = new QTabWidget;
  sstWizard_->setObjectName("sstWizard");
  sstWizard_->setDocumentMode(true);
  // The tab strip only numbers the pages; the tree, Back/Next and the
  // toolbar choose them.
  sstWizard_->tabBar()->hide();

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

  auto dirty = [this] { SetDirty(); };
  auto pairPage = [this, dirty](PairKind kind) {
    auto* page = AddPage(new PairEditorPage(kind, Prompt(), dirty));
    cmdCheckTargets_[static_cast<size_t>(kind)] = page->CheckTargetsButton();
    connect(page->CheckTargetsButton(), &QPushButton::clicked, this, [this] {
      if (actions_.CheckTargets) actions_.CheckTargets(*this);
    });
  };
  auto link = [this](const char* address) {
    return [this, address] { dialogs_.OpenUrl(QUrl(address)); };
  };
  general_ = AddPage(new GeneralPage(dirty));
  activeDirectory_ = AddPage(new ActiveDirectoryPage(dirty));
  pairPage(PairKind::Servers);
  AddPage(new OverviewPage(kPageNotification, "Notification", 3));
  AddPage(new SMTPPage(Prompt(), dirty));
  fileOutput_ = AddPage(new FileOutputPage(dirty));
  AddPage(new ClientPopupPage(dirty));
  AddPage(new EventLogPage(dirty));
  AddPage(new OverviewPage(kPageManualConfiguration, "Manual Configuration", 7));
  pairPage(PairKind::Printers);
  pairPage(PairKind::Mixed);
  AddPage(new SupportPage(dirty, link(kMakerWebAddress)));
  deployment_ = AddPage(new DeploymentPage(dirty));
  mdac_ = AddPage(new MDACPage(dirty, link(kMDACInformationAddress)));
  AddPage(new OverviewPage(kPageDeploymentOverview, "Deployment", 5));

  // The tab strip is hidden; as the container's focus proxy it would swallow
  // every Tab from the tree.
  sstWizard_->setFocusPolicy(Qt::NoFocus);
  sstWizard_->tabBar()->setFocusPolicy(Qt::NoFocus);
  for (int page = 0; page < kPageCount; ++page) {
    if (pages_[page]) PutButtonsAfterFields(page);
  }
}

void frmWizard::PutButtonsAfterFields(int page) {
  // The buttons are made with the page, before its fields: Tab would reach
  // Help, Back and Next first. A page is read top to bottom, so they go last.
  OptionPage* container = pages_[page];
  QWidget* help = container->HelpButton();
  QWidget* back = container->BackButton();
  QWidget* next = container->NextButton();
  QWidget* lastField = nullptr;
  for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
    if (w == help || w == back || w == next) continue;
    if ((w->focusPolicy() & Qt::TabFocus) && container->isAncestorOf(w)) lastField = w;
  }
  if (!lastField) return;
  setTabOrder(lastField, help);
  setTabOrder(help, back);
  setTabOrder(back, next);
}

}  // namespace velloran
