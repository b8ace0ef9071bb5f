#pragma once
// The wizard window's logic, once for every front-end: the document and its
// file commands, the mode, the page shown and how the user moves between
// pages, the tools and menu commands, Check Targets, Deploy Now and the
// user's own choices. A front-end draws what the presenter tells its view
// and hands every command of its controls to the presenter.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/Profile.h"
#include "toolkit/core/Deployment.h"
#include "toolkit/core/Document.h"
#include "toolkit/core/FileCommands.h"
#include "toolkit/core/Pages.h"
#include "toolkit/core/Preferences.h"
#include "toolkit/core/TargetCheck.h"

namespace velloran {

/// What the wizard reaches outside its window. Each front-end fills it from
/// its system; tests replace each part. A part left unset makes its command
/// unavailable (shown disabled) rather than doing nothing.
struct WizardServices {
  /// Every read and write of the document; required, and must outlive the
  /// wizard.
  ProfileFunctions* Profile = nullptr;
  /// Deploy Now's clock, user, computer and folders. Its FolderExists also
  /// serves the folder fields' check. Its Confirm and CreateDriverScript are
  /// the wizard's own and are set at each deployment.
  DeploymentEnvironment Deployment;
  /// The domains offered in cboDomainName's list at start-up.
  std::function<std::vector<std::string>()> DomainNames;
  /// How Check Targets and the check before Deploy Now ask the print
  /// servers, made when a check starts.
  std::function<TargetCheckSetup()> TargetCheck;
  /// The file of the user's own choices that no INI file holds; "" keeps
  /// them for this run only.
  std::string PreferencesFile;
  /// Opens the help page of a context number (HelpContexts.h); 0 opens the
  /// contents.
  std::function<void(int context)> OpenHelp;
  /// The About box.
  std::function<void()> ShowAbout;
};

/// What the presenter asks of the window, beyond the file commands', the
/// check's and the deployment's views.
class WizardView : public FileView, public TargetCheckView, public DeploymentView {
 public:
  /// Fills cboDomainName's list; what is typed there stays as typed.
  virtual void OfferDomainNames(const std::vector<std::string>& names) = 0;
  /// The folder picker of a folder field ("txtFileOutputPath": a local
  /// folder, "txtNetworkSharePath": a network one); "" when cancelled.
  virtual std::string ChooseFolder(std::string_view control) = 0;
  /// While on, the window takes no input and shows the hourglass (a folder
  /// on a slow share is being looked for).
  virtual void ShowBusy(bool busy) = 0;
  /// Closes the window as its close box would: the window asks MayClose()
  /// first.
  virtual void Close() = 0;
};

class Wizard {
 public:
  /// `services.Profile` must be set. The view must outlive the wizard.
  Wizard(WizardView& view, WizardServices services);
  ~Wizard();
  Wizard(const Wizard&) = delete;
  Wizard& operator=(const Wizard&) = delete;

  // The start and the end.
  /// The start-up sequence: the domain list and the user's choices into the
  /// pages, an untitled document shown, then the New-INI dialog. False when
  /// that dialog was cancelled; the front-end closes the window then.
  bool Start();
  /// Whether the window may close; asks to save unsaved work first.
  bool MayClose() { return files_.Exit(); }

  // State.
  const Document& GetDocument() const { return document_; }
  Document& GetDocument() { return document_; }
  bool ActiveDirectory() const { return document_.ActiveDirectory(); }
  /// The page shown; kPageGeneral before the first is.
  int Page() const { return page_; }
  /// The caption of the window: the document's.
  std::string Caption() const { return document_.Caption(); }
  FileCommands& Files() { return files_; }
  WizardServices& Services() { return services_; }
  const WizardServices& Services() const { return services_; }

  // What the window offers.
  /// Whether `tool` is available: offered in the document's mode, and its
  /// service set where it needs one.
  bool ToolEnabled(Tool tool) const;
  bool CanCheckTargets() const { return bool(services_.TargetCheck); }
  bool CanDeploy() const;

  // Commands.
  /// A tool of the toolbar or menu: a View tool shows its page (under the
  /// leave-page rule), the others run their command. A tool that is not
  /// enabled does nothing.
  void ToolClick(Tool tool);
  /// A menu entry by its command ID (FormMenus): a tool's ID or
  /// "actCheckTargets". False for an ID that is no command.
  bool RunCommand(std::string_view id);
  void CheckTargets();
  /// Deploy Now on the saved document, the targets checked first when the
  /// program can check them.
  DeploymentOutcome DeployNow();
  /// The "..." of a folder field: the chosen folder into the field.
  void Browse(std::string_view control);
  /// The page's Help button and F1: the help of the page shown.
  void HelpOnPage();

  // Navigation.
  /// The user's move to `page` (a tree click, Back, Next, a View tool).
  /// Refused, the user kept on the page shown, while one of its fields
  /// breaks its rule. True when `page` is shown.
  bool GoTo(int page);
  bool Back();
  bool Next();
  /// Shows `page` without asking the page shown (the program's own move).
  void ShowPage(int page);

  // The fields.
  /// The check of `control` as the focus leaves it. False when the focus
  /// is to stay: the user has been told and the focus is back in the
  /// field. A folder field's check only warns and never keeps the focus.
  bool LeaveField(std::string_view control);
  /// The click or key that left a field has done all it does (a window
  /// that drops the click of a refused check: once it is dropped). A move
  /// asked for after this is a new attempt, checked and told anew.
  void InputDone() { left_.reset(); }
  /// The user changed a control of the document: unsaved changes. Changes
  /// the presenter itself makes while filling the pages do not count.
  void Edited();
  /// The user ticked or cleared a check box of their own choices; kept in
  /// the preferences file at once.
  void SetPreference(std::string_view control, bool on);
  bool Preference(std::string_view control) const { return preferences_.Flag(control); }
  /// Reads the user's choices from `file` and shows them in the pages.
  void UsePreferences(std::string file);

 private:
  /// The file commands' view: the window's, with the page and the
  /// filling of the pages followed on the way.
  class Relay;
  /// The last check made as the focus left a field: the move that the same
  /// click or key asks for does not repeat it, nor tell it twice.
  struct LeftField {
    std::string Control;
    std::string Text;
  };

  bool MayLeavePage();
  /// Looks for the folder of `control` when its check is due; warns when it
  /// is missing and drops a trailing separator.
  void CheckFolder(std::string_view control, const PageFields& fields);
  void ShowPreferences();

  WizardView& view_;
  WizardServices services_;
  Document document_;
  INIFileStore store_;
  std::unique_ptr<Relay> relay_;
  FileCommands files_;
  Preferences preferences_;
  int page_ = kPageGeneral;
  bool filling_ = false;
  std::optional<LeftField> left_;
};

}  // namespace velloran
