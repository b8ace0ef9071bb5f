#include "toolkit/core/Pages.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <span>

#include "toolkit/core/HelpContexts.h"

namespace velloran {
namespace {

constexpr int kActiveDirectorySequence[] = {kPageGeneral,      kPageActiveDirectory,
                                            kPageNotification, kPageSMTPMail,
                                            kPageFileOutput,   kPageClientPopup,
                                            kPageEventLog,     kPageDeploymentOverview,
                                            kPageDeployment,   kPageMDAC,
                                            kPageSupport};
constexpr int kManualSequence[] = {kPageGeneral,     kPageManualConfiguration,
                                   kPageServers,     kPagePrinters,
                                   kPageMixed,       kPageNotification,
                                   kPageSMTPMail,    kPageFileOutput,
                                   kPageClientPopup, kPageEventLog,
                                   kPageDeployment,  kPageSupport};

std::span<const int> Sequence(bool activeDirectory) {
  if (activeDirectory) return kActiveDirectorySequence;
  return kManualSequence;
}

struct PageInfo {
  int Page;
  std::string_view Heading;
  int HelpContext;
};

// Page 15 differs by mode; its row holds the Active Directory values.
constexpr PageInfo kPages[] = {
    {kPageGeneral, "General", help::kGeneral},
    {kPageActiveDirectory, "Active Directory", help::kActiveDirectory},
    {kPageServers, "Manual Configuration - Servers", help::kServers},
    {kPageNotification, "Notification", help::kNotification},
    {kPageSMTPMail, "Notification - SMTP Mail", help::kSMTPMail},
    {kPageFileOutput, "Notification - File Output", help::kFileOutput},
    {kPageClientPopup, "Notification - Client Pop-Up", help::kClientPopup},
    {kPageEventLog, "Notification - Application Event Log", help::kEventLog},
    {kPageManualConfiguration, "Manual Configuration", help::kManualConfiguration},
    {kPagePrinters, "Manual Configuration - Printers", help::kPrinters},
    {kPageMixed, "Manual Configuration - Mixed", help::kMixed},
    {kPageSupport, "Support", help::kSupport},
    {kPageDeployment, "Deployment - General", help::kDeploymentGeneral},
    {kPageMDAC, "Deployment - MDAC", help::kMDAC},
    {kPageDeploymentOverview, "Deployment", help::kDeploymentOverview},
};

const PageInfo* InfoOf(int page) {
  for (const PageInfo& info : kPages) {
    if (info.Page == page) return &info;
  }
  return nullptr;
}

struct ToolInfo {
  std::string_view Id;
  int Page;  ///< -1 for a command
};

constexpr std::array<ToolInfo, kToolCount> kTools = {{
    {"ID_BTN_NEW", -1},
    {"ID_BTN_OPEN", -1},
    {"ID_BTN_SAVE", -1},
    {"ID_BTN_SAVE_AS", -1},
    {"ID_BTN_EXIT", -1},
    {"ID_BTN_GENERAL", kPageGeneral},
    {"ID_BTN_AD", kPageActiveDirectory},
    {"ID_BTN_SERVER", kPageServers},
    {"ID_BTN_PRINTER", kPagePrinters},
    {"ID_BTN_MIXED", kPageMixed},
    {"ID_BTN_EMAIL", kPageSMTPMail},
    {"ID_BTN_FILE", kPageFileOutput},
    {"ID_BTN_CLIENT", kPageClientPopup},
    {"ID_BTN_APP_EL", kPageEventLog},
    {"ID_BTN_DEPLOYMENT", kPageDeployment},
    {"ID_BTN_DEPLOY_GENERAL", kPageDeployment},
    {"ID_BTN_MDAC", kPageMDAC},
    {"ID_BTN_SUPPORT", kPageSupport},
    {"ID_BTN_CONTENTS", -1},
    {"ID_BTN_ABOUT", -1},
}};

}  // namespace

bool HasPage(int page) {
  return page >= 0 && page < kPageCount && page != 7 && page != 9 && page != 13;
}

std::vector<TreeNode> OptionTree(bool ad) {
  std::vector<TreeNode> tree;
  tree.push_back({"General", "Key1", "", 1, false, kPageGeneral});
  if (ad) {
    tree.push_back({"Active Directory", "Key2", "", 1, false, kPageActiveDirectory});
  } else {
    tree.push_back({"Manual Configuration", "Key3", "", 2, true, kPageManualConfiguration});
    tree.push_back({"Servers", "Key31", "Key3", 1, false, kPageServers});
    tree.push_back({"Printers", "Key32", "Key3", 1, false, kPagePrinters});
    tree.push_back({"Mixed", "Key33", "Key3", 1, false, kPageMixed});
  }
  tree.push_back({"Notification", "Key4", "", 2, true, kPageNotification});
  tree.push_back({"SMTP Mail", "Key41", "Key4", 1, false, kPageSMTPMail});
  tree.push_back({"File Output", "Key42", "Key4", 1, false, kPageFileOutput});
  tree.push_back({"Client User Pop-Up", "Key43", "Key4", 1, false, kPageClientPopup});
  tree.push_back({"Application Event Log", "Key44", "Key4", 1, false, kPageEventLog});
  if (ad) {
    tree.push_back({"Deployment", "Key6", "", 1, true, kPageDeploymentOverview});
    tree.push_back({"General", "Key61", "Key6", 1, false, kPageDeployment});
    tree.push_back({"MDAC", "Key62", "Key6", 1, false, kPageMDAC});
  } else {
    tree.push_back({"Deployment", "Key6", "", 1, false, kPageDeployment});
  }
  tree.push_back({"Support", "Key7", "", 1, false, kPageSupport});
  return tree;
}

std::optional<TreeNode> NodeOfPage(int page, bool ad) {
  for (const TreeNode& node : OptionTree(ad)) {
    if (node.Page == page) return node;
  }
  return std::nullopt;
}

std::optional<int> NextPage(int page, bool ad) {
  const auto sequence = Sequence(ad);
  const auto at = std::find(sequence.begin(), sequence.end(), page);
  if (at == sequence.end() || std::next(at) == sequence.end()) return std::nullopt;
  return *std::next(at);
}

std::optional<int> PreviousPage(int page, bool ad) {
  const auto sequence = Sequence(ad);
  const auto at = std::find(sequence.begin(), sequence.end(), page);
  if (at == sequence.end() || at == sequence.begin()) return std::nullopt;
  return *std::prev(at);
}

bool BackDisabled(int page) { return page == kPageGeneral; }
bool NextDisabled(int page) { return page == kPageSupport; }

std::string_view OverviewText(int page) {
  switch (page) {
    case kPageNotification:
      return "Velloran offers several methods for notification. To receive email notifications, "
             "use the SMTP Mail screen; to save the outcome in a text file, use the File Output "
             "screen. The outcome of the migration can also be stored in the Application Log on "
             "the client's PC using the Application Event Log screen. None of these methods will "
             "tell the user of the machine of the changes made; to inform the user, use the Client "
             "User Pop-Up screen.";
    case kPageManualConfiguration:
      return "Rather than using a network's Active Directory, the Velloran application offers a "
             "variety of manual configuration options. To move all printers on one print server "
             "to a different print server use the Server option. To move a specific printer to "
             "another specific printer while leaving the printer server the same, use the Printer "
             "Option. To move a specific printer from a specific print server to another specific "
             "printer and print server, use the Mixed option.";
    case kPageDeploymentOverview:
      return "The Deployment options allow you to deploy your Velloran INI file and any other "
             "necessary files to a specified location, optionally also creating a batch file or "
             "web page.";
    default:
      return "";
  }
}

std::string_view PageHeading(int page, bool ad) {
  if (page == kPageDeployment && !ad) return "Deployment";
  const PageInfo* info = InfoOf(page);
  return info ? info->Heading : std::string_view();
}

int HelpContextOfPage(int page, bool ad) {
  if (page == kPageDeployment && !ad) return help::kDeploymentManual;
  const PageInfo* info = InfoOf(page);
  return info ? info->HelpContext : 0;
}

std::string_view ToolId(Tool tool) { return kTools[static_cast<size_t>(tool)].Id; }

bool ToolOffered(Tool tool, bool ad) {
  switch (tool) {
    case Tool::ActiveDirectory:
    case Tool::DeploymentGeneral:
    case Tool::MDAC:
      return ad;
    case Tool::Servers:
    case Tool::Printers:
    case Tool::Mixed:
      return !ad;
    default:
      return true;
  }
}

std::optional<int> PageOfTool(Tool tool, bool ad) {
  if (tool == Tool::Deployment && ad) return kPageDeploymentOverview;
  const int page = kTools[static_cast<size_t>(tool)].Page;
  if (page < 0) return std::nullopt;
  return page;
}

namespace help {
namespace {

struct HelpPage {
  int Context;
  std::string_view File;
};

constexpr HelpPage kHelpPages[] = {
    {kGeneral, "general.html"},
    {kActiveDirectory, "active-directory.html"},
    {kServers, "servers.html"},
    {kNotification, "notification.html"},
    {kSMTPMail, "smtp-mail.html"},
    {kFileOutput, "file-output.html"},
    {kClientPopup, "client-popup.html"},
    {kEventLog, "event-log.html"},
    {kManualConfiguration, "manual-configuration.html"},
    {kPrinters, "printers.html"},
    {kMixed, "mixed.html"},
    {kSupport, "support.html"},
    {kDeploymentGeneral, "deployment.html"},
    {kDeploymentManual, "deployment.html"},
    {kMDAC, "mdac.html"},
    {kDeploymentOverview, "deployment-overview.html"},
    {kNewINIStartup, "new-ini-startup.html"},
    {kNewINI, "new-ini.html"},
};

constexpr auto kContexts = [] {
  std::array<int, std::size(kHelpPages)> contexts{};
  for (size_t i = 0; i < contexts.size(); ++i) contexts[i] = kHelpPages[i].Context;
  return contexts;
}();

}  // namespace

std::string_view PageForContext(int context) {
  for (const HelpPage& page : kHelpPages) {
    if (page.Context == context) return page.File;
  }
  return {};
}

std::span<const int> AllContexts() { return kContexts; }

std::string PageMissingMessage(std::string_view path) {
  return "The help page " + std::string(path) +
         " could not be found. The help pages are installed in the folder \"help\" beside the "
         "Velloran Deployment Toolkit program.";
}

std::string NoBrowserMessage(std::string_view path) {
  return "No web browser could be started to show the help page. Please open " + std::string(path) +
         " in a web browser.";
}

}  // namespace help
std::optional<Tool> ToolOfId(std::string_view id) {
  for (int i = 0; i < kToolCount; ++i) {
    if (ToolId(static_cast<Tool>(i)) == id) return static_cast<Tool>(i);
  }
  return std::nullopt;
}

}  // namespace velloran
