#pragma once
// The toolkit's main window on Windows: menu bar and toolbar, the option
// tree, the pages with their Back/Next/Help buttons. The pages, the tree,
// the tools and where each leads come from the core's tables; this window
// draws them and hands every action to the core.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/Profile.h"
#include "toolkit/core/Deployment.h"
#include "toolkit/core/Document.h"
#include "toolkit/core/FileCommands.h"
#include "toolkit/core/PairEditor.h"
#include "toolkit/core/Preferences.h"
#include "toolkit/core/TargetCheck.h"
#include "toolkit/win32/DialogService.h"
#include "toolkit/win32/Ui.h"
#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

inline constexpr int kTreeWidth = 210;

/// What the window reaches outside itself; tests replace each part.
struct WizardServices {
  DialogService* Dialogs = nullptr;
  ProfileFunctions* Profile = nullptr;
  DeploymentEnvironment Deployment;
  /// The domains offered in cboDomainName's list.
  std::function<std::vector<std::string>()> DomainNames;
  /// How Check Targets and Deploy Now ask the print servers; unset, neither
  /// checks.
  std::function<TargetCheckSetup()> TargetCheck;
  /// Called whenever the check's progress window changes (tests press its
  /// Cancel).
  std::function<void(HWND)> CheckProgressWatcher;
  /// The file of the user's toolkit choices that no INI file holds; "" keeps
  /// them for the window's life only.
  std::string PreferencesFile;
};
/// The system's: its dialogs, profile functions, clock, user and domains.
WizardServices SystemServices();

class ActiveDirectoryPage;

class frmWizard : private PageHost {
 public:
  explicit frmWizard(WizardServices services);
  ~frmWizard();
  frmWizard(const frmWizard&) = delete;
  frmWizard& operator=(const frmWizard&) = delete;

  /// Creates the window and its controls, hidden. False when Windows refused.
  bool Create(HINSTANCE instance);
  HWND Handle() const { return hwnd_; }
  /// A control by its ID (ControlIds.h).
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  /// A control the form declares, by its name.
  HWND Control(std::string_view name) const;
  /// The start-up dialog: a new document of the chosen kind, or an existing
  /// file. False when it was cancelled; the window is closed then.
  bool Start();
  /// Accelerators, then Tab and mnemonics; true when `msg` was used.
  bool TranslateKeyboard(MSG& msg);

  /// Rebuilds the tree, the tools and the mode's texts, and shows page 0.
  void InitializeTreeView();
  /// Shows `page` and selects the tree node whose click would show it.
  void ShowPage(int page);
  int CurrentPage() const { return page_; }
  bool ActiveDirectoryMode() const { return activeDirectory_; }
  void SetActiveDirectoryMode(bool on) { activeDirectory_ = on; }
  /// "Velloran - Deployment Toolkit [" + name + "]".
  void SetCaption(std::string_view documentName);

  /// Opens the help page of a context number in the browser.
  void ShowHelp(int context);

  /// The document being edited.
  const Document& CurrentDocument() const { return document_; }

 private:
  /// Puts the focus back into a field whose check failed, once the message
  /// box that reported it has gone.
  static constexpr UINT kRefocusMessage = WM_APP + 1;
  /// Looks for the folder a field names, after the focus has left it.
  static constexpr UINT kFolderCheckMessage = WM_APP + 2;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnCommand(int id, int code, HWND control);
  LRESULT OnNotify(NMHDR* header);
  /// Whether the page shown may be left: false (and the user told, and put
  /// back in the field) while one of its fields breaks its rule.
  bool MayLeavePage();
  /// The user's move to `page` (tree, Back, Next, a View tool).
  void NavigateTo(int page);
  void OnTool(int tool);
  void OnDpiChanged(unsigned dpi, const RECT* suggested);

  // The pages' window.
  HWND Window() const override { return hwnd_; }
  DialogService& Dialogs() override { return dialogs_; }
  Prompter& Questions() override;
  void Edited(bool switches) override;
  bool Filling() const override { return filling_; }
  bool CanCheckTargets() const override { return bool(services_.TargetCheck); }
  void DeployNow() override;

  void BuildMenus();
  void BuildToolbar();
  void BuildTree();
  void BuildPages();
  Page* PageOfControl(int id) const;
  void Layout();
  void ApplyFonts();
  void SelectTreeNodeOfPage(int page);
  void UpdateTools();
  bool IsLinkLabel(HWND control) const;
  /// WM_NEXTDLGCTL: to `target` itself, or to the next (previous) tab stop.
  void MoveFocus(WPARAM target, bool isWindow);

  // Binding to the core (frmWizardFields.cpp, frmWizardFile.cpp).
  class View;
  /// The window's message box, for the core's questions.
  class WindowPrompter;
  class DeployProgress;
  PageFields ReadFields() const;
  void ShowFields(const PageFields& fields);
  void ShowPageAndFocus(int page, std::string_view control);
  void ApplyDependentFields();
  void OnPreference(int id);
  void CheckFieldOnLeaving(int id);
  void CheckFolderField(int id);
  // Check Targets (frmWizardCheck.cpp).
  class CheckView;
  void CheckTargetsNow() override;
  bool ConfirmTargets(const INISettings& settings);
  void FillDomainList();
  MessageAnswer Ask(const std::string& text, const std::string& title, MessageIcon icon,
                    MessageButtons buttons);

  WizardServices services_;
  DialogService& dialogs_;
  Document document_;
  INIFileStore store_;
  std::unique_ptr<View> view_;
  std::unique_ptr<FileCommands> commands_;
  Preferences preferences_;
  bool filling_ = false;
  bool checking_ = false;
  HWND hwnd_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND tree_ = nullptr;
  HMENU menu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HIMAGELIST imgWizard_ = nullptr;
  unsigned dpi_ = 96;
  Fonts fonts_;
  std::vector<std::unique_ptr<Page>> pages_;
  ActiveDirectoryPage* domainPage_ = nullptr;
  std::unique_ptr<WindowPrompter> prompter_;
  int page_ = -1;
  bool activeDirectory_ = false;
  bool syncingTree_ = false;
  /// The leave-field check has just told the user; the page change the
  /// same click asks for is refused without telling them twice.
  bool toldProblem_ = false;
};

}  // namespace velloran::win32
