#include "platform/NetworkObject.h"

namespace velloran {

Result<std::vector<Result<std::string>>> NetworkObject::EnumPrinterConnectionItems() {
  auto items = EnumPrinterConnections();
  if (!items) return items.error();
  std::vector<Result<std::string>> out;
  out.reserve(items->size());
  for (std::string& item : *items) out.emplace_back(std::move(item));
  return out;
}

std::string ComputerNameFrom(NetworkObjectFactory& network) {
  auto object = network.Create("WScript.Network");
  if (!object) return "Computer UNKNOWN";
  auto name = (*object)->ComputerName();
  return name ? *name : std::string();
}

}  // namespace velloran
