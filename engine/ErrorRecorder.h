#pragma once
// The run's report and how a failure makes the run fail.

#include <string_view>

#include "engine/Run.h"

namespace velloran {

/// Adds one piece to the outcome text; every piece starts on a line of its own.
void AppendOutcome(Run& run, std::string_view text);

/// Records a failure in the outcome text and sets the abort status: the only
/// way a failure makes the run fail.
void AppendErrorToOutcome(Run& run, std::string_view message, const PlatformError& error);

}  // namespace velloran
