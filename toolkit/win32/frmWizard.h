#pragma once
// The toolkit's main window on Windows: menu bar and toolbar, the option
// tree, the pages with their Back/Next/Help buttons. The pages, the tree,
// the tools and where each leads come from the core's tables; this window
// draws them and hands every action to the core's wizard presenter.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/Wizard.h"
#include "toolkit/win32/DialogService.h"
#include "toolkit/win32/Ui.h"
#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

inline constexpr int kTreeWidth = 210;

/// What the window reaches outside itself: the presenter's services, and
/// the dialogs and the check's progress window of this front-end. Tests
/// replace each part.
struct WizardServices : velloran::WizardServices {
  DialogService* Dialogs = nullptr;
  /// Called whenever the check's progress window changes (tests press its
  /// Cancel).
  std::function<void(HWND)> CheckProgressWatcher;
};
/// The system's: its dialogs, profile functions, clock, user and domains.
WizardServices SystemServices();

class ActiveDirectoryPage;

/// The window is the presenter's view: it draws what the presenter shows
/// and hands it every command of its controls.
class frmWizard : private PageHost {
 public:
  explicit frmWizard(WizardServices services);
  ~frmWizard() override;
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

  /// Shows `page`, as the program does (the page shown is not asked).
  void ShowPage(int page);
  /// The page shown.
  int CurrentPage() const { return page_; }
  bool ActiveDirectoryMode() const { return wizard_->ActiveDirectory(); }
  /// The document being edited.
  const Document& CurrentDocument() const { return wizard_->GetDocument(); }

 private:
  /// Puts the focus into a field the presenter names, once the message
  /// that asked for it (a focus change, a click) has been handled.
  static constexpr UINT kFocusMessage = WM_APP + 1;
  /// Hands the presenter a folder field the focus has left.
  static constexpr UINT kFolderLeftMessage = WM_APP + 2;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnCommand(int id, int code, HWND control);
  LRESULT OnNotify(NMHDR* header);
  void OnDpiChanged(unsigned dpi, const RECT* suggested);

  // What the pages ask of the window.
  HWND Window() const override { return hwnd_; }
  Prompter& Questions() override;
  void Edited(bool switches) override;
  bool CanCheckTargets() const override { return wizard_->CanCheckTargets(); }
  void CheckTargetsNow() override { wizard_->CheckTargets(); }
  void DeployNow() override { wizard_->DeployNow(); }
  void Browse(std::string_view control) override { wizard_->Browse(control); }

  void BuildMenus();
  void BuildToolbar();
  void BuildTree();
  void BuildPages();
  void Layout();
  void ApplyFonts();
  /// The tree, the tools and the mode's texts for the document's mode.
  void ShowMode(bool activeDirectory);
  /// Shows the controls of `page` and selects the tree node of the page.
  void DrawPage(int page);
  void SelectTreeNodeOfPage(int page);
  void UpdateTools();
  bool IsLinkLabel(HWND control) const;
  void OpenLink(HWND label);
  /// WM_NEXTDLGCTL: to `target` itself, or to the next (previous) tab stop.
  void MoveFocus(WPARAM target, bool isWindow);

  // The presenter's view (frmWizardFields.cpp, frmWizardFile.cpp).
  class View;
  PageFields ReadFields() const;
  void ShowFields(const PageFields& fields);
  void ApplyDependentFields();
  void OnFieldLeft(int id);
  void FocusLater(std::string_view control);
  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon icon,
                    MessageButtons buttons);

  WizardServices services_;
  DialogService& dialogs_;
  std::unique_ptr<View> view_;
  std::unique_ptr<Wizard> wizard_;
  bool filling_ = false;
  /// A field's check is under way: the focus it asks for waits.
  bool leaving_ = false;
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
  int page_ = -1;
  /// The mode the tree and the tools are drawn for.
  bool activeDirectory_ = false;
  bool syncingTree_ = false;
  /// The tree is changing its selection itself: the page shown follows it
  /// without selecting again.
  bool treeChanging_ = false;
};

}  // namespace velloran::win32
