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
}  // namespace velloran
