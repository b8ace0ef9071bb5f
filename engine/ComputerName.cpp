#include "engine/ComputerName.h"

namespace velloran {

std::string GetClientComputerName(Run& run) { return ComputerNameFrom(*run.Svc.Network); }

}  // namespace velloran
