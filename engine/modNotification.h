#pragma once
#include <string>
#include <string_view>

#include "engine/Run.h"

namespace velloran {
/// Records a failure in the outcome text and sets the abort status.
void AppendErrorToOutcome(Run& run, std::string_view message, const PlatformError& error);
/// The computer's name from a fresh network object; "Computer UNKNOWN" when
/// the object cannot be created, "" when the name cannot be read.
std::string GetClientComputerName(Run& run);
/// Reports the outcome through every enabled channel, in the fixed order.
void SendNotifications(Run& run);

/// Appends the outcome text as one block to the output file.
void WriteNotificationFile(Run& run);
/// The output file: folder, then computer name, outcome and file name as the
/// switches ask.
std::string NotificationFilePath(Run& run);
/// Shows the success or the failure message, as the switches ask.
void ShowClientPopup(Run& run);
/// Every "^CRLF" (exactly so written) made a line break.
std::string ExpandLineBreaks(std::string_view message);
}  // namespace velloran
