#pragma once
// Reporting a run: the dispatcher, the output file and the pop-up. Mail and
// the event log have modules of their own.
#include <string>
#include <string_view>

#include "engine/Run.h"

namespace velloran {
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
