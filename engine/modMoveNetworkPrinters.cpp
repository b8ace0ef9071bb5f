#include "engine/modMoveNetworkPrinters.h"

namespace velloran {

// The printer, server and mixed modes land with the printer migration.
void MoveManualPrinters(Run&) {}

}  // namespace velloran
