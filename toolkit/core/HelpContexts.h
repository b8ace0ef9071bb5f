#pragma once
// The help pages: one HTML page per context number.

#include <span>
#include <string_view>

namespace velloran::help {

/// Context numbers of the pages and dialogs.
inline constexpr int kGeneral = 1013;
inline constexpr int kActiveDirectory = 1004;
inline constexpr int kServers = 1042;
inline constexpr int kNotification = 1038;
inline constexpr int kSMTPMail = 1008;
inline constexpr int kFileOutput = 1012;
inline constexpr int kClientPopup = 1040;
inline constexpr int kEventLog = 1010;
inline constexpr int kManualConfiguration = 1027;
inline constexpr int kPrinters = 1039;
inline constexpr int kMixed = 1035;
inline constexpr int kSupport = 1045;
inline constexpr int kDeploymentGeneral = 1019;  ///< page 15, Active Directory document
inline constexpr int kDeploymentManual = 1080;   ///< page 15, manual document
inline constexpr int kMDAC = 1028;
inline constexpr int kDeploymentOverview = 1006;
inline constexpr int kNewINIStartup = 1081;  ///< New-INI dialog offering existing files
inline constexpr int kNewINI = 1036;         ///< New-INI dialog from File > New

/// File name of the page for `context`; "" for an unknown number.
std::string_view PageForContext(int context);
/// The page that lists all the others.
inline constexpr std::string_view kContentsPage = "index.html";
/// Every context number that has a page.
std::span<const int> AllContexts();

}  // namespace velloran::help
