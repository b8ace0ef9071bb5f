#pragma once
#include <string>
#include "engine/Run.h"

namespace velloran {
/// The three manual modes: printer, server and mixed pairs.
void MoveManualPrinters(Run& run);
}  // namespace velloran
