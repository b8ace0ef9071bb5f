#pragma once
// The help pages: one HTML page per context number.

#include <span>
#include <string>
#include <string_view>

namespace velloran::help {

/// Context numbers of the pages and dialogs.
enum Context : int {
  kGeneral = 1013,
  kActiveDirectory = 1004,
  kServers = 1042,
  kNotification = 1038,
  kSMTPMail = 1008,
  kFileOutput = 1012,
  kClientPopup = 1040,
  kEventLog = 1010,
  kManualConfiguration = 1027,
  kPrinters = 1039,
  kMixed = 1035,
  kSupport = 1045,
  kDeploymentGeneral = 1019,  ///< page 15, Active Directory document
  kDeploymentManual = 1080,   ///< page 15, manual document
  kMDAC = 1028,
  kDeploymentOverview = 1006,
  kNewINIStartup = 1081,  ///< New-INI dialog offering existing files
  kNewINI = 1036,         ///< New-INI dialog from File > New
};

/// File name of the page for `context`; "" for an unknown number.
std::string_view PageForContext(int context);
/// The page that lists all the others.
inline constexpr std::string_view kContentsPage = "index.html";
/// Every context number that has a page.
std::span<const int> AllContexts();

/// What the user is told when the help page `path` is not there.
std::string PageMissingMessage(std::string_view path);
/// What the user is told when no browser could show the page `path`.
std::string NoBrowserMessage(std::string_view path);

}  // namespace velloran::help
