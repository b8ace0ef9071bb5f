#pragma once
// The name of the computer the engine runs on, as the network object gives it.

#include <string>

#include "engine/Run.h"

namespace velloran {

/// The computer's name from a fresh network object; "Computer UNKNOWN" when
/// the object cannot be created, "" when the name cannot be read.
std::string GetClientComputerName(Run& run);

}  // namespace velloran
