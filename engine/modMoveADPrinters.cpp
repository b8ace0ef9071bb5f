#include "engine/modMoveADPrinters.h"

namespace velloran {

// The directory mode lands with the printer migration.
void MoveADPrinters(Run&) {}

}  // namespace velloran
