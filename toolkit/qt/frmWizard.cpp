#include "toolkit/qt/frmWizard.h"

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
#include <map>

#include "toolkit/core/Branding.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/Help.h"
#include "toolkit/qt/frmNewINI.h"
#include "toolkit/qt/imgWizard.h"
#include "toolkit/qt/pages/DeploymentPage.h"
#include "toolkit/qt/pages/FileOutputPage.h"
#include "toolkit/qt/pages/GeneralPage.h"
#include "toolkit/qt/pages/MDACPage.h"

namespace velloran {
namespace {

constexpr int kPageRole = Qt::UserRole;
constexpr int kKeyRole = Qt::UserRole + 1;

QString ToQ(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

// The window as the file commands see it.
class frmWizard::WizardView : public FileView {
 public:
  explicit WizardView(frmWizard& w) : w_(w) {}

  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon icon,
                    MessageButtons buttons) override {
    return w_.dialogs_.Message(&w_, ToQ(text), ToQ(title), icon, buttons);
  }
  std::string ChooseFileToOpen(std::string_view title, std::string_view folder) override {
    return FileSystemName(
        w_.dialogs_.ChooseOpenFile(&w_, {ToQ(title), ToQ(folder), {}, kINIFilter, kINISuffix}));
  }
  std::string ChooseFileToSave(std::string_view title, std::string_view folder,
                               std::string_view initialName) override {
    return FileSystemName(w_.dialogs_.ChooseSaveFile(
        &w_, {ToQ(title), ToQ(folder), ToQ(initialName), kINIFilter, kINISuffix}));
  }
  std::optional<NewDocumentChoice> ChooseNewDocument(bool offerExisting) override {
    frmNewINI newINI(w_.dialogs_, &w_);
    newINI.SelectActiveDirectory(true);
    newINI.OfferExisting(offerExisting);
    w_.dialogs_.RunModal(newINI);
    if (newINI.g_bolCancelPressed) return std::nullopt;
    NewDocumentChoice choice;
    choice.ActiveDirectory = newINI.ActiveDirectorySelected();
    if (offerExisting && newINI.ShownPage() == frmNewINI::kPageExisting)
      choice.ExistingPath = FileSystemName(newINI.ExistingFilePath());
    return choice;
  }
  void ShowPage(int page, std::string_view control) override { w_.ShowPageAt(page, control); }
  void SetCaption(std::string_view caption) override { w_.setWindowTitle(ToQ(caption)); }
  PageFields ReadFields() override { return w_.ReadFields(); }
  void ShowFields(const PageFields& fields) override { w_.ShowFields(fields); }
  void ShowMode(bool) override { w_.InitializeTreeView(); }

 private:
  static std::string FileSystemName(const QString& path) {
    return QFileInfo(path).fileName().isEmpty() ? std::string()
                                                : QFile::encodeName(path).toStdString();
  }
  inline static const QString kINIFilter = QStringLiteral("Velloran (*.ini)");
  inline static const QString kINISuffix = QStringLiteral("ini");
  frmWizard& w_;
};

frmWizard::frmWizard(ProfileFunctions& profile, DialogService& dialogs, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      store_(profile),
      view_(std::make_unique<WizardView>(*this)),
      commands_(document_, *view_, store_) {
  setObjectName("frmWizard");
  setWindowIcon(VelloranIcon());
  BuildMenusAndToolbar();
  BuildPages();
  WireFieldChecks();

  connect(tvwWizardOptions_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) {
            if (!syncingTree_ && current) tvwWizardOptions_NodeClick(current);
          });
  connect(tvwWizardOptions_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { tvwWizardOptions_NodeClick(item); });
  for (QPushButton* deploy : {deployment_->DeployButton(), mdac_->DeployButton()}) {
    connect(deploy, &QPushButton::clicked, this, [this] {
      if (actions_.DeployNow) actions_.DeployNow(*this);
    });
  }
  connect(fileOutput_->BrowseButton(), &QPushButton::clicked, this, [this] {
    if (actions_.BrowseFileOutput) actions_.BrowseFileOutput(*this);
  });
  connect(deployment_->BrowseButton(), &QPushButton::clicked, this, [this] {
    if (actions_.BrowseDeployment) actions_.BrowseDeployment(*this);
  });
  ApplySystemActions();

  resize(860, 600);
  UpdateCaption();
}

frmWizard::~frmWizard() = default;

Prompter& frmWizard::Prompt() { return *view_; }

void frmWizard::SetSystemActions(SystemActions actions) {
  actions_ = std::move(actions);
  ApplySystemActions();
}

void frmWizard::ApplySystemActions() {
  // A control whose action is not set is shown unavailable rather than
  // doing nothing when clicked.
  for (QPushButton* deploy : {deployment_->DeployButton(), mdac_->DeployButton()})
    deploy->setEnabled(bool(actions_.DeployNow));
  deployment_->BrowseButton()->setEnabled(bool(actions_.BrowseDeployment));
  ApplyDependentFields();
  ToolAction(Tool::About)->setEnabled(bool(actions_.ShowAbout));
  for (QPushButton* check : cmdCheckTargets_) check->setEnabled(bool(actions_.CheckTargets));
  actCheckTargets_->setEnabled(bool(actions_.CheckTargets));
}

bool frmWizard::Form_Load() {
  if (actions_.FillDomainList) actions_.FillDomainList(*this);
  show();
  if (!commands_.Start()) {
    close();
    return false;
  }
  return true;
}

void frmWizard::UpdateCaption() { setWindowTitle(ToQ(document_.Caption())); }

void frmWizard::InitializeTreeView() {
  const bool ad = ActiveDirectoryMode();
  syncingTree_ = true;
  tvwWizardOptions_->clear();
  std::map<std::string_view, QTreeWidgetItem*> byKey;
  for (const TreeNode& node : OptionTree(ad)) {
    auto* item = node.ParentKey.empty()
                     ? new QTreeWidgetItem(tvwWizardOptions_, QStringList{ToQ(node.Text)})
                     : new QTreeWidgetItem(byKey.at(node.ParentKey), QStringList{ToQ(node.Text)});
    item->setData(0, kPageRole, node.Page);
    item->setData(0, kKeyRole, ToQ(node.Key));
    item->setIcon(0, imgWizardPicture(node.Image));
    byKey[node.Key] = item;
  }
  // Expanded once every child is in.
  for (const TreeNode& node : OptionTree(ad)) byKey.at(node.Key)->setExpanded(node.Expanded);
  tvwWizardOptions_->setCurrentItem(tvwWizardOptions_->topLevelItem(0));
  syncingTree_ = false;

  for (int t = 0; t < kToolCount; ++t) {
    if (t != static_cast<int>(Tool::About)) tools_[t]->setEnabled(ToolOffered(Tool(t), ad));
  }
  deployment_->ShowMode(ad);
  general_->ShowMode(ad);

  ShowPage(kPageGeneral);
}

int frmWizard::CurrentPage() const { return sstWizard_->currentIndex(); }

QTreeWidgetItem* frmWizard::NodeForPage(int page) const {
  const auto node = NodeOfPage(page, ActiveDirectoryMode());
  if (!node) return nullptr;
  for (QTreeWidgetItemIterator it(tvwWizardOptions_); *it; ++it) {
    if ((*it)->data(0, kKeyRole).toString() == ToQ(node->Key)) return *it;
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

void frmWizard::ShowPageAt(int page, std::string_view control) {
  ShowPage(page);
  if (QWidget* field = ControlNamed(control)) field->setFocus(Qt::OtherFocusReason);
}

void frmWizard::tvwWizardOptions_NodeClick(QTreeWidgetItem* node) {
  const int page = node->data(0, kPageRole).toInt();
  if (HasPage(page)) sstWizard_->setCurrentIndex(page);
}

void frmWizard::cmdNext_Click(int page) {
  if (auto next = NextPage(page, ActiveDirectoryMode())) ShowPage(*next);
}

void frmWizard::cmdBack_Click(int page) {
  if (auto previous = PreviousPage(page, ActiveDirectoryMode())) ShowPage(*previous);
}

int frmWizard::HelpContextOfPage(int page) const {
  return velloran::HelpContextOfPage(page, ActiveDirectoryMode());
}

void frmWizard::cmdHelp_Click(int page) { help::ShowHelp(this, dialogs_, HelpContextOfPage(page)); }

void frmWizard::ssaVelloran_ToolClick(Tool tool) {
  if (!ToolAction(tool)->isEnabled()) return;
  if (auto page = PageOfTool(tool, ActiveDirectoryMode())) {
    ShowPage(*page);
    return;
  }
  switch (tool) {
    case Tool::New:
      commands_.New();
      break;
    case Tool::Open:
      commands_.Open();
      break;
    case Tool::Save:
      commands_.Save();
      break;
    case Tool::SaveAs:
      commands_.SaveAs();
      break;
    case Tool::Exit:
      close();
      break;
    case Tool::Contents:
      help::ShowHelpContents(this, dialogs_);
      break;
    case Tool::About:
      if (actions_.ShowAbout) actions_.ShowAbout(*this);
      break;
    default:
      break;
  }
}

void frmWizard::closeEvent(QCloseEvent* event) {
  if (commands_.Exit()) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace velloran
