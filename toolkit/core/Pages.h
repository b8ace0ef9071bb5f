#pragma once
// The wizard's pages and the ways to reach them: the option tree, Back and
// Next, the headings, the help context of each page and the toolbar's tools.
// Every front-end draws these tables; none repeats them.

#include <optional>
#include <string_view>
#include <vector>

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

/// Whether `page` is one of the numbers above.
bool HasPage(int page);

/// One node of `tvwWizardOptions`, in the order the tree lists them.
struct TreeNode {
  std::string_view Text;
  std::string_view Key;
  std::string_view ParentKey;  ///< "" for a top-level node
  int Image = 1;               ///< index into imgWizard
  bool Expanded = false;
  int Page = kPageGeneral;  ///< the page a click shows
};

/// The tree of a document of the given mode.
std::vector<TreeNode> OptionTree(bool activeDirectory);
/// The node whose click shows `page`; none when the mode has no such node.
std::optional<TreeNode> NodeOfPage(int page, bool activeDirectory);

/// Where Next and Back lead from `page`; none on the last and first page
/// (whose buttons are disabled) or for a page the mode does not visit.
std::optional<int> NextPage(int page, bool activeDirectory);
std::optional<int> PreviousPage(int page, bool activeDirectory);
bool BackDisabled(int page);
bool NextDisabled(int page);

/// The explanation an overview page (Notification, Manual Configuration,
/// Deployment) shows instead of fields; "" for every other page.
std::string_view OverviewText(int page);
/// The bold heading above the page's fields.
std::string_view PageHeading(int page, bool activeDirectory);
/// The help context of `page` in the given mode; 0 for no page.
int HelpContextOfPage(int page, bool activeDirectory);

/// The menu and toolbar commands, each with its tool ID.
enum class Tool {
  New,
  Open,
  Save,
  SaveAs,
  Exit,
  General,
  ActiveDirectory,
  Servers,
  Printers,
  Mixed,
  Email,
  FileOutput,
  ClientPopup,
  EventLog,
  Deployment,
  DeploymentGeneral,
  MDAC,
  Support,
  Contents,
  About,
};
inline constexpr int kToolCount = static_cast<int>(Tool::About) + 1;

/// "ID_BTN_NEW" and so on.
std::string_view ToolId(Tool tool);
/// The tool of an ID; none for a command that is no tool.
std::optional<Tool> ToolOfId(std::string_view id);
/// Whether a document of the given mode offers `tool` (the others are shown
/// disabled).
bool ToolOffered(Tool tool, bool activeDirectory);
/// The page a View tool shows; none for the commands.
std::optional<int> PageOfTool(Tool tool, bool activeDirectory);

}  // namespace velloran
