#include "toolkit/qt/frmWizard.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <map>
#include <thread>

#include "toolkit/core/Branding.h"
#include "toolkit/core/Form.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/Help.h"
#include "toolkit/qt/frmCheckProgress.h"
#include "toolkit/qt/frmCheckTargets.h"
#include "toolkit/qt/frmNewINI.h"
#include "toolkit/qt/frmProgress.h"
#include "toolkit/qt/imgWizard.h"
#include "toolkit/qt/modBrowseForFolder.h"
#include "toolkit/qt/modBrowseForNetworkFolder.h"
#include "toolkit/qt/modCheckTargets.h"
#include "toolkit/qt/modDeployment.h"
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

// The window as the presenter sees it: its dialogs, its pages and the
// progress windows of the check and of the deployment.
class frmWizard::View : public velloran::WizardView {
 public:
  explicit View(frmWizard& w) : w_(w) {}
  ~View() override { Finished(); }

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

  void OfferDomainNames(const std::vector<std::string>& names) override {
    QStringList list;
    for (const std::string& name : names) list << QString::fromStdString(name);
    w_.AddDomainNames(list);
  }
  std::string ChooseFolder(std::string_view control) override {
    const QString folder = control == "txtNetworkSharePath"
                               ? BrowseForNetworkFolder(&w_, w_.dialogs_)
                               : BrowseForFolder(&w_, w_.dialogs_);
    return folder.toStdString();
  }
  // The folder may be on a slow share: the window waits, visibly, and takes
  // no input meanwhile; the focus comes back to where it had moved.
  void ShowBusy(bool busy) override {
    w_.busy_ = busy;
    if (busy) {
      focus_ = QApplication::focusWidget();
      QApplication::setOverrideCursor(Qt::WaitCursor);
      w_.setEnabled(false);
      QApplication::processEvents();
      return;
    }
    QApplication::processEvents();
    QApplication::restoreOverrideCursor();
    w_.setEnabled(true);
    if (focus_ && focus_->isEnabled() && focus_->isVisible())
      focus_->setFocus(Qt::OtherFocusReason);
  }
  void Close() override { w_.close(); }

  // The check blocks its thread for as long as the slowest server takes;
  // the window keeps drawing and answers Cancel meanwhile. Progress and the
  // end reach the window's thread as queued calls on `relay`, which lives
  // only as long as this call, so none can arrive after it.
  check::CheckResult RunTargetCheck(const TargetCheckJob& job) override {
    frmCheckProgress progress(&w_);
    progress.setWindowModality(Qt::WindowModal);
    std::atomic<bool> cancel{false};
    QEventLoop loop;
    QObject relay;
    QObject::connect(&progress, &frmCheckProgress::Cancelled, &relay, [&] { cancel = true; });
    progress.ShowProgress(0, job.Servers());
    progress.show();
    const auto watch = [this, &progress] {
      if (w_.checkWatcher_) w_.checkWatcher_(progress);
    };
    watch();

    check::CheckResult result;
    std::thread worker([&] {
      result = job.Run(
          [&](size_t done, size_t total) {
            QMetaObject::invokeMethod(
                &relay,
                [&progress, &watch, done, total] {
                  progress.ShowProgress(done, total);
                  watch();
                },
                Qt::QueuedConnection);
          },
          cancel);
      QMetaObject::invokeMethod(
          &relay, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    progress.close();
    w_.activateWindow();
    return result;
  }
  void ShowTargetCheck(const TargetCheckReport& report) override {
    frmCheckTargets list(report, &w_);
    w_.dialogs_.RunModal(list);
  }

  // The progress window of Deploy Now; the wizard takes no input while the
  // files are written.
  void Progress(int value, int maximum, std::string_view label) override {
    if (!progress_) {
      w_.setCursor(Qt::WaitCursor);
      w_.setEnabled(false);
      QApplication::processEvents();
      // Made after the wizard was disabled, so that it and the error boxes
      // stay enabled.
      progress_ = std::make_unique<frmProgress>(&w_);
      progress_->show();
    }
    progress_->prbProgress().setMaximum(maximum);
    progress_->prbProgress().setValue(value);
    progress_->lblProgress().setText(ToQ(label));
    QApplication::processEvents();
    if (w_.deployWatcher_) w_.deployWatcher_(*progress_);
  }
  void Finished() override {
    if (!progress_) return;
    progress_->close();
    progress_.reset();
    w_.unsetCursor();
    w_.setEnabled(true);
    QApplication::processEvents();
  }

 private:
  static std::string FileSystemName(const QString& path) {
    return QFileInfo(path).fileName().isEmpty() ? std::string()
                                                : QFile::encodeName(path).toStdString();
  }
  inline static const QString kINIFilter = QStringLiteral("Velloran (*.ini)");
  inline static const QString kINISuffix = QStringLiteral("ini");
  frmWizard& w_;
  QPointer<QWidget> focus_;
  std::unique_ptr<frmProgress> progress_;
};

namespace {

WizardServices WindowServices(ProfileFunctions& profile, DialogService& dialogs, QWidget* window) {
  WizardServices services;
  services.Profile = &profile;
  // Folders as this machine reaches them, the mounts read at each look.
  services.Deployment.FolderExists = [&dialogs](const std::string& folder) {
    return FolderExists(QString::fromStdString(folder), dialogs.MountTable());
  };
  services.OpenHelp = [&dialogs, window](int context) {
    if (context == 0) {
      help::ShowHelpContents(window, dialogs);
    } else {
      help::ShowHelp(window, dialogs, context);
    }
  };
  return services;
}

}  // namespace

frmWizard::frmWizard(ProfileFunctions& profile, DialogService& dialogs, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      view_(std::make_unique<View>(*this)),
      presenter_(std::make_unique<Wizard>(*view_, WindowServices(profile, dialogs, this))) {
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
  for (const FormControl& c : FormControls()) {
    if (c.Bind != Binding::Preference) continue;
    auto* box = findChild<QCheckBox*>(ToQ(c.Name));
    const std::string name(c.Name);
    connect(box, &QCheckBox::toggled, this, [this, name](bool on) {
      if (!loading_) presenter_->SetPreference(name, on);
    });
  }
  ApplySystemActions();

  resize(860, 600);
  UpdateCaption();
}

frmWizard::~frmWizard() = default;

Prompter& frmWizard::Prompt() { return *view_; }

void frmWizard::SetSystemActions(SystemActions actions) {
  actions_ = std::move(actions);
  presenter_->Services().ShowAbout = nullptr;
  if (actions_.ShowAbout) presenter_->Services().ShowAbout = [this] { actions_.ShowAbout(*this); };
  ApplySystemActions();
}

void frmWizard::CheckTargets(const TargetCheckServices& services) {
  presenter_->Services().TargetCheck = services.Setup;
  checkWatcher_ = services.ProgressWatcher;
  presenter_->CheckTargets();
}

DeploymentOutcome frmWizard::DeployNow(const DeploymentServices& services,
                                       DeploymentEnvironment environment) {
  WizardServices& s = presenter_->Services();
  // The deployment's own view of the folders, for this deployment only.
  const DeploymentEnvironment window = std::exchange(s.Deployment, std::move(environment));
  s.TargetCheck = services.TargetCheck.Setup;
  checkWatcher_ = services.TargetCheck.ProgressWatcher;
  deployWatcher_ = services.ProgressWatcher;
  DeploymentOutcome outcome = presenter_->DeployNow();
  s.Deployment = window;
  activateWindow();
  return outcome;
}

void frmWizard::KeepChoicesIn(const std::string& file) {
  const bool wasLoading = loading_;
  loading_ = true;
  presenter_->UsePreferences(file);
  loading_ = wasLoading;
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
  if (!presenter_->Start()) {
    close();
    return false;
  }
  return true;
}

void frmWizard::UpdateCaption() { setWindowTitle(ToQ(presenter_->Caption())); }

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

  for (int t = 0; t < kToolCount; ++t) tools_[t]->setEnabled(presenter_->ToolEnabled(Tool(t)));
  deployment_->ShowMode(ad);
  general_->ShowMode(ad);

  DrawPage(kPageGeneral);
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

void frmWizard::ShowPage(int page) { presenter_->ShowPage(page); }

void frmWizard::DrawPage(int page) {
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
  DrawPage(page);
  if (QWidget* field = ControlNamed(control)) field->setFocus(Qt::OtherFocusReason);
}

void frmWizard::tvwWizardOptions_NodeClick(QTreeWidgetItem* node) {
  // Refused, the presenter has put the tree back on the page shown.
  presenter_->GoTo(node->data(0, kPageRole).toInt());
}

// The buttons of the page shown, which is the presenter's.
void frmWizard::cmdNext_Click(int) { presenter_->Next(); }

void frmWizard::cmdBack_Click(int) { presenter_->Back(); }

int frmWizard::HelpContextOfPage(int page) const {
  return velloran::HelpContextOfPage(page, ActiveDirectoryMode());
}

void frmWizard::cmdHelp_Click(int) { presenter_->HelpOnPage(); }

void frmWizard::ssaVelloran_ToolClick(Tool tool) {
  if (ToolAction(tool)->isEnabled()) presenter_->ToolClick(tool);
}

void frmWizard::closeEvent(QCloseEvent* event) {
  if (presenter_->MayClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace velloran
