#pragma once
// The user's printer connections: the inventory and the network object
// every migration step goes through.
#include "engine/Run.h"

namespace velloran {
/// The user's connections into ClientPrinters and the outcome text.
void GetClientPrinters(Run& run);
/// A fresh "WScript.Network" object, or the failure to create one.
Result<std::unique_ptr<NetworkObject>> CreateNetworkObject(Run& run);
}  // namespace velloran
