#include "engine/ComputerName.h"

namespace velloran {

std::string GetClientComputerName(Run& run) {
  auto object = run.Svc.Network->Create("WScript.Network");
  if (!object) return "Computer UNKNOWN";
  auto name = (*object)->ComputerName();
  return name ? *name : std::string();
}

}  // namespace velloran
