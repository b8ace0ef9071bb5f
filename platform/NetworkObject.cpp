#include "platform/NetworkObject.h"

namespace velloran {

std::string ComputerNameFrom(NetworkObjectFactory& network) {
  auto object = network.Create("WScript.Network");
  if (!object) return "Computer UNKNOWN";
  auto name = (*object)->ComputerName();
  return name ? *name : std::string();
}

}  // namespace velloran
