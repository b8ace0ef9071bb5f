#pragma once
// The deployment toolkit's main window: the option tree, the option pages
// with their Back/Next/Help buttons, the menu bar and toolbar, and the INI
// document being edited.

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <string>

#include "common/INISettings.h"
#include "platform/profile/Profile.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace velloran {

/// Page numbers of `sstWizard`; 7, 9 and 13 carry no page.
enum WizardPage : int {
  kPageGeneral = 0,
  kPageActiveDirectory = 1,
  kPageServers = 2,
  kPageNotification = 3,
  kPageSMTPMail = 4,
  kPageFileOutput = 5,
  kPageClientPopup = 6,
  kPageEventLog = 8,
  kPageManualConfiguration = 10,
  kPagePrinters = 11,
  kPageMixed = 12,
  kPageSupport = 14,
  kPageDeployment = 15,
  kPageMDAC = 16,
  kPageDeploymentOverview = 17,
};
inline constexpr int kPageCount = 18;

class frmWizard : public QMainWindow {
  Q_OBJECT

 public:
  /// Every read and write of the document goes through `profile`.
  explicit frmWizard(ProfileFunctions& profile, QWidget* parent = nullptr);
  ~frmWizard() override;

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
  const QString& DocumentPath() const { return documentPath_; }
  const QString& DocumentName() const { return documentName_; }
  bool UnsavedChanges() const { return unsavedChanges_; }
  const INISettings& Settings() const { return settings_; }
  INISettings& Settings() { return settings_; }
  bool ActiveDirectoryMode() const { return settings_.UseActiveDirectory; }

  // Pages.
  int CurrentPage() const;
  /// Shows `page` and selects the tree node whose click would show it.
  void ShowPage(int page);
  /// The help context of `page` in the document's mode; 0 for no page.
  int HelpContextOfPage(int page) const;

  // Between the settings record and the controls.
  void CopyRecordToControls();
  void CopyControlsToRecord();
  /// True when the document may be saved; otherwise the user was told why
  /// and the offending page is shown.
  bool ValidateSave();

  /// Outcome of writing the document.
  enum class SaveOutcome { Written, NothingToDo, Cancelled, Failed };

  // The file commands. Each leaves the caption to its caller.
  void NewINI();
  void OpenINI();
  SaveOutcome SaveINI();
  SaveOutcome SaveINIAs();

  /// The toolbar's and menu's handler, by tool ID.
  void ssaVelloran_ToolClick(const QString& toolId);

  /// The actions that reach outside the window: deploying, the folder
  /// pickers, the domain list, the About box. A control whose action is not
  /// set is shown unavailable.
  struct SystemActions {
    std::function<void(frmWizard&)> DeployNow;         ///< cmdDeployNow, both pages
    std::function<void(frmWizard&)> BrowseFileOutput;  ///< cmdBrowseFileOutput "..."
    std::function<void(frmWizard&)> BrowseDeployment;  ///< cmdBrowseDeployment "..."
    std::function<void(frmWizard&)> FillDomainList;    ///< cboDomainName's list at start-up
    std::function<void(frmWizard&)> ShowAbout;         ///< ID_BTN_ABOUT: frmAbout
  };
  void SetSystemActions(SystemActions actions);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class ClickSwallower;
  struct PairEditor;

  // Building (frmWizardPages.cpp).
  void BuildMenusAndToolbar();
  void BuildPages();
  QWidget* AddPage(int page, const QString& heading, class QVBoxLayout*& body);
  QLabel* Caption(const QString& text, QWidget* buddy, const QString& name);
  QLabel* Text(const QString& text, const QString& name);
  void BuildGeneralPage();
  void BuildActiveDirectoryPage();
  void BuildServersPage();
  void BuildPrintersPage();
  void BuildMixedPage();
  void BuildOverviewPage(int page, const QString& heading, int labelIndex, const QString& text);
  void BuildSMTPPage();
  void BuildFileOutputPage();
  void BuildClientPopupPage();
  void BuildEventLogPage();
  void BuildSupportPage();
  void BuildDeploymentPage();
  void BuildMDACPage();
  void WireChangeEvents();

  // Navigation (frmWizard.cpp).
  QTreeWidgetItem* AddNode(const QString& text, const QString& key, const QString& parentKey,
                           int image);
  QTreeWidgetItem* NodeForPage(int page) const;
  void tvwWizardOptions_NodeClick(QTreeWidgetItem* node);
  void cmdBack_Click(int page);
  void cmdNext_Click(int page);
  void cmdHelp_Click(int page);
  void HyperlinkClick(QLabel* label);
  QAction* Tool(const char* id) const;
  void ApplySystemActions();
  void StartNewDocument();
  void RunDependentFieldHandlers();

  // Fields (frmWizardFields.cpp).
  void SetDirty() { unsavedChanges_ = true; }
  void ApplyDependentState(QWidget* control, bool enabled, bool followsColour);
  void chkUseSMTP_Click();
  void chkUseFileOutput_Click();
  void chkUseNotifyUser_Click();
  void chkNotifyMessageOnFailure_Click();
  void chkIncludeMDAC_Click();
  void PairNew(PairEditor& editor);
  void PairListClick(PairEditor& editor);
  void PairSave(PairEditor& editor);
  void PairDelete(PairEditor& editor);
  void cmdAddSendEmail_Click();
  void cmdRemoveSendEmail_Click();
  /// Runs the check of a field the focus is leaving; false keeps the focus.
  bool ValidateField(QWidget* field);
  bool CheckFolderField(QLineEdit* field, const QString& message);
  bool txtSMTPEmailAddress_Validate();
  bool txtSMTPServerPort_Validate();
  bool txtNetworkSharePath_Validate();
  bool txtFileOutputPath_Validate();

  // Files (frmWizardFile.cpp).
  SaveOutcome WriteDocument();
  SaveOutcome WriteToPathOrSaveAs();
  bool AskToSaveBefore(const QString& question);
  QString DialogFolder() const;

  ProfileFunctions& profile_;
  INISettings settings_;
  QString documentPath_;
  QString documentName_ = QStringLiteral("UNTITLED");
  bool unsavedChanges_ = false;
  SystemActions actions_;

  int nextLabelIndex_ = 10;  ///< lblWizard(1) to (6) are the notes and links
  bool syncingTree_ = false;
  bool validating_ = false;
  bool fillingPairFields_ = false;
  ClickSwallower* swallower_ = nullptr;

  // Controls.
  QToolBar* ssaVelloran_ = nullptr;
  QTreeWidget* tvwWizardOptions_ = nullptr;
  QTabWidget* sstWizard_ = nullptr;
  std::array<QLabel*, kPageCount> lblGeneral_{};
  std::array<QPushButton*, kPageCount> cmdBack_{}, cmdNext_{}, cmdHelp_{};
  QLabel* lblWizardNote_ = nullptr;      // lblWizard(1)
  QLabel* lblWizardMDACLink_ = nullptr;  // lblWizard(3)
  QLabel* lblWizardSupport_ = nullptr;   // lblWizard(5)

  QComboBox* cboConfigurationFileType_ = nullptr;
  QCheckBox* chkAlwaysRun_ = nullptr;
  QComboBox* cboDomainName_ = nullptr;

  QLineEdit *txtFromServer_ = nullptr, *txtToServer_ = nullptr;
  QListWidget* lstServerPairs_ = nullptr;
  QLineEdit *txtFromPrinter_ = nullptr, *txtToPrinter_ = nullptr;
  QListWidget* lstPrinterPairs_ = nullptr;
  QLineEdit *txtMixedFromServer_ = nullptr, *txtMixedFromPrinter_ = nullptr,
            *txtMixedToServer_ = nullptr, *txtMixedToPrinter_ = nullptr;
  QListWidget* lstMixedPrintersAndServers_ = nullptr;

  QCheckBox* chkUseSMTP_ = nullptr;
  QLineEdit *txtSMTPServerName_ = nullptr, *txtSMTPServerPort_ = nullptr,
            *txtSMTPEmailAddress_ = nullptr, *txtSendEmailTo_ = nullptr,
            *txtEmailSubject_ = nullptr;
  QPushButton *cmdAddSendEmail_ = nullptr, *cmdRemoveSendEmail_ = nullptr;
  QListWidget* lstToEmailAddresses_ = nullptr;

  QCheckBox* chkUseFileOutput_ = nullptr;
  QLineEdit *txtFileOutputPath_ = nullptr, *txtFileOutputName_ = nullptr;
  QPushButton* cmdBrowseFileOutput_ = nullptr;
  QCheckBox *chkIncludeComputerName_ = nullptr, *chkIncludeFinalStatus_ = nullptr;

  QCheckBox *chkUseNotifyUser_ = nullptr, *chkNotifyMessageOnFailure_ = nullptr;
  QPlainTextEdit *txtSucessMessage_ = nullptr, *txtFailureMessage_ = nullptr;

  QCheckBox* chkWriteToEventLog_ = nullptr;
  QCheckBox* chkDebugOn_ = nullptr;

  QLineEdit* txtNetworkSharePath_ = nullptr;
  QPushButton* cmdBrowseDeployment_ = nullptr;
  QCheckBox *chkBatchFile_ = nullptr, *chkCreateHTML_ = nullptr;
  std::array<QPushButton*, 2> cmdDeployNow_{};
  QCheckBox* chkIncludeMDAC_ = nullptr;
  std::array<QRadioButton*, 3> optMDACVersion_{};
  QButtonGroup* mdacGroup_ = nullptr;

  struct PairEditor {
    std::vector<QLineEdit*>
        fields;  ///< from, to; or from server, from printer, to server, to printer
    QListWidget* list = nullptr;
    QPushButton *cmdNew = nullptr, *cmdSave = nullptr, *cmdDelete = nullptr;
    QString emptyFieldMessage, deleteQuestion;
    bool dirtyOnEveryDelete = false;  ///< the server editor marks even a refused delete
    bool newEntry = true;
  };
  PairEditor servers_, printers_, mixed_;
};

/// Display strings of the pair lists and their inverse.
QString PairDisplay(const QString& from, const QString& to);
QString MixedDisplay(const QString& fromServer, const QString& fromPrinter, const QString& toServer,
                     const QString& toPrinter);
/// from, to (2 parts) or from server, from printer, to server, to printer (4).
QStringList SplitPairDisplay(const QString& line, bool mixed);
/// "^CRLF" tokens to line breaks and back.
QString MessageFromRecord(const std::string& text);
std::string MessageToRecord(const QString& text);
/// The numeric test of the port field: blanks around a decimal number.
bool IsNumeric(const QString& text);

}  // namespace velloran
