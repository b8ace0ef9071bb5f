#pragma once
#include "engine/Run.h"

namespace velloran {
/// Moves each connection to the server that publishes its share in the directory.
void MoveADPrinters(Run& run);
}  // namespace velloran
