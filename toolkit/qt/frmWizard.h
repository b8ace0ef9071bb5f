#pragma once
// The deployment toolkit's main window: the option tree, the option pages
// with their Back/Next/Help buttons, the menu bar and toolbar, and the INI
// document being edited.

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
  const velloran::Document& GetDocument() const { return document_; }
  QString DocumentPath() const { return QString::fromStdString(document_.Path); }
  QString DocumentName() const { return QString::fromStdString(document_.Name); }
  bool UnsavedChanges() const { return document_.Unsaved; }
  const INISettings& Settings() const { return document_.Settings; }
  INISettings& Settings() { return document_.Settings; }
  bool ActiveDirectoryMode() const { return document_.ActiveDirectory(); }

  // Pages.
  int CurrentPage() const;
  /// Shows `page` and selects the tree node whose click would show it.
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
  void NewINI() { commands_.New(); }
  void OpenINI() { commands_.Open(); }
  SaveOutcome SaveINI() { return commands_.Save(); }
  SaveOutcome SaveINIAs() { return commands_.SaveAs(); }

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

  /// What the pickers and the domain list put into the pages. A cancelled
  /// picker's "" leaves the field as it was.
  void SetDeploymentFolder(const QString& folder);
  void SetOutputFolder(const QString& folder);
  void AddDomainNames(const QStringList& names);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class ClickSwallower;
  class WizardView;

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
  /// Shows `page` with the focus on the control named `control`.
  void ShowPageAt(int page, std::string_view control);

  // Fields (frmWizardFields.cpp).
  void SetDirty() {
    if (!loading_) document_.Unsaved = true;
  }
  /// Enables the controls the check boxes switch, as the core says.
  void ApplyDependentFields();
  /// The check of a field the focus is leaving; false keeps the focus.
  bool CheckFieldOnLeaving(QWidget* field);
  void CheckFolderField(QWidget* field);
  void WireFieldChecks();
  QWidget* ControlNamed(std::string_view name) const;
  /// The message boxes of this window.
  Prompter& Prompt();

  DialogService& dialogs_;
  Document document_;
  INIFileStore store_;
  std::unique_ptr<WizardView> view_;
  FileCommands commands_;
  SystemActions actions_;
  std::array<QAction*, kToolCount> tools_{};

  bool syncingTree_ = false;
  bool validating_ = false;
  bool loading_ = false;  ///< controls are being filled from the document
  ClickSwallower* swallower_ = nullptr;

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
