#pragma once
// The deployment toolkit's main window: the option tree, the option pages
// with their Back/Next/Help buttons, the menu bar and toolbar. The window is
// a view of the core's wizard presenter, which holds the INI document being
// edited: it draws what the presenter says and hands it every command.

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "common/INISettings.h"
#include "platform/profile/Profile.h"
#include "toolkit/core/Document.h"
#include "toolkit/core/FileCommands.h"
#include "toolkit/core/Pages.h"
#include "toolkit/core/PairEditor.h"
#include "toolkit/core/Wizard.h"

class QAction;
class QPushButton;
class QTabWidget;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace velloran {

class ActiveDirectoryPage;
class DeploymentPage;
class DialogService;
class FileOutputPage;
class frmCheckProgress;
class frmProgress;
struct DeploymentServices;
struct TargetCheckServices;
class GeneralPage;
class MDACPage;
class OptionPage;

class frmWizard : public QMainWindow {
  Q_OBJECT

 public:
  /// Every read and write of the document goes through `profile`; every
  /// dialog of the window and of what it opens goes through `dialogs`. Both
  /// must outlive the window.
  frmWizard(ProfileFunctions& profile, DialogService& dialogs, QWidget* parent = nullptr);
  ~frmWizard() override;

  DialogService& Dialogs() const { return dialogs_; }
  /// The wizard's logic, which every command of the window reaches.
  Wizard& Presenter() { return *presenter_; }

  /// The start-up sequence: a new document, the window, then the New-INI
  /// dialog. Returns false when that dialog was cancelled; the window is
  /// closed then and the program ends.
  bool Form_Load();

  /// Rebuilds the tree, the tools and the texts for the document's mode and
  /// shows page 0.
  void InitializeTreeView();
  /// "Velloran - Deployment Toolkit [" + document name + "]".
  void UpdateCaption();

  // Document state.
  const velloran::Document& GetDocument() const { return presenter_->GetDocument(); }
  QString DocumentPath() const { return QString::fromStdString(GetDocument().Path); }
  QString DocumentName() const { return QString::fromStdString(GetDocument().Name); }
  bool UnsavedChanges() const { return GetDocument().Unsaved; }
  const INISettings& Settings() const { return GetDocument().Settings; }
  INISettings& Settings() { return presenter_->GetDocument().Settings; }
  bool ActiveDirectoryMode() const { return GetDocument().ActiveDirectory(); }

  // Pages.
  int CurrentPage() const;
  /// Shows `page` and selects the tree node whose click would show it (the
  /// program's move: no check of the page shown).
  void ShowPage(int page);
  /// The help context of `page` in the document's mode; 0 for no page.
  int HelpContextOfPage(int page) const;

  // Between the settings record and the controls.
  void CopyRecordToControls();
  void CopyControlsToRecord();
  /// Every control's value by control name, and back.
  PageFields ReadFields() const;
  void ShowFields(const PageFields& fields);

  using SaveOutcome = velloran::SaveOutcome;

  // The file commands.
  void NewINI() { presenter_->Files().New(); }
  void OpenINI() { presenter_->Files().Open(); }
  SaveOutcome SaveINI() { return presenter_->Files().Save(); }
  SaveOutcome SaveINIAs() { return presenter_->Files().SaveAs(); }

  /// The toolbar's and menu's handler.
  void ssaVelloran_ToolClick(Tool tool);
  /// The menu or toolbar action of `tool`.
  QAction* ToolAction(Tool tool) const { return tools_[static_cast<size_t>(tool)]; }

  /// The actions that reach outside the window: deploying, the folder
  /// pickers, the domain list, the About box. A control whose action is not
  /// set is shown unavailable.
  struct SystemActions {
    std::function<void(frmWizard&)> DeployNow;         ///< cmdDeployNow, both pages
    std::function<void(frmWizard&)> BrowseFileOutput;  ///< cmdBrowseFileOutput "..."
    std::function<void(frmWizard&)> BrowseDeployment;  ///< cmdBrowseDeployment "..."
    std::function<void(frmWizard&)> FillDomainList;    ///< cboDomainName's list at start-up
    std::function<void(frmWizard&)> ShowAbout;         ///< ID_BTN_ABOUT: frmAbout
    /// cmdCheckTargets on the three pair pages, Tools > Check Targets
    std::function<void(frmWizard&)> CheckTargets;
  };
  void SetSystemActions(SystemActions actions);

  /// Check Targets and Deploy Now through the presenter, over the system's
  /// services (SystemActions.h).
  void CheckTargets(const TargetCheckServices& services);
  DeploymentOutcome DeployNow(const DeploymentServices& services,
                              DeploymentEnvironment environment);
  /// The file of the user's own choices (no INI file holds them): the check
  /// boxes set from it now and written back there at each change.
  void KeepChoicesIn(const std::string& file);

  /// What a picker or the domain list puts into the pages. A cancelled
  /// picker's "" leaves the field as it was.
  void SetDeploymentFolder(const QString& folder);
  void SetOutputFolder(const QString& folder);
  void AddDomainNames(const QStringList& names);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class ClickSwallower;
  class MnemonicKeys;
  class View;

  // Building (frmWizardPages.cpp).
  void BuildMenusAndToolbar();
  void BuildPages();
  /// Puts `page` in its place and wires its Help, Back and Next.
  template <typename Page>
  Page* AddPage(Page* page);
  void PutButtonsAfterFields(int page);

  // Navigation (frmWizard.cpp).
  QTreeWidgetItem* NodeForPage(int page) const;
  void tvwWizardOptions_NodeClick(QTreeWidgetItem* node);
  void cmdBack_Click(int page);
  void cmdNext_Click(int page);
  void cmdHelp_Click(int page);
  void ApplySystemActions();
  /// Draws `page` and selects its tree node.
  void DrawPage(int page);
  /// Draws `page` with the focus on the control named `control`.
  void ShowPageAt(int page, std::string_view control);

  // Fields (frmWizardFields.cpp).
  void SetDirty() {
    if (!loading_) presenter_->Edited();
  }
  /// Enables the controls the check boxes switch, as the core says.
  void ApplyDependentFields();
  /// The presenter's check of a field the focus is leaving; false keeps
  /// the focus.
  bool CheckFieldOnLeaving(QWidget* field);
  void WireFieldChecks();
  QWidget* ControlNamed(std::string_view name) const;
  /// The message boxes of this window.
  Prompter& Prompt();

  DialogService& dialogs_;
  std::unique_ptr<View> view_;
  std::unique_ptr<Wizard> presenter_;
  SystemActions actions_;
  /// What tests watch of the check's and the deployment's progress windows.
  std::function<void(frmCheckProgress&)> checkWatcher_;
  std::function<void(const frmProgress&)> deployWatcher_;
  std::array<QAction*, kToolCount> tools_{};

  bool syncingTree_ = false;
  bool validating_ = false;
  bool busy_ = false;     ///< a folder is being looked for
  bool loading_ = false;  ///< controls are being filled from the document
  ClickSwallower* swallower_ = nullptr;
  MnemonicKeys* mnemonics_ = nullptr;

  // Controls.
  QToolBar* ssaVelloran_ = nullptr;
  QTreeWidget* tvwWizardOptions_ = nullptr;
  QTabWidget* sstWizard_ = nullptr;
  std::array<OptionPage*, kPageCount> pages_{};  ///< null where no page is
  GeneralPage* general_ = nullptr;
  ActiveDirectoryPage* activeDirectory_ = nullptr;
  FileOutputPage* fileOutput_ = nullptr;
  DeploymentPage* deployment_ = nullptr;
  MDACPage* mdac_ = nullptr;
  std::array<QPushButton*, 3> cmdCheckTargets_{};
  QAction* actCheckTargets_ = nullptr;
};

}  // namespace velloran
