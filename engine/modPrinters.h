#pragma once
#include "engine/Run.h"

namespace velloran {
/// The run driver: gate, inventory, migration modes, notifications, marker.
void RunMigration(Run& run);
/// The stored run-once marker of this user and INI path.
bool IsMarkedSuccessful(Run& run);
/// Stores "True" when the run succeeded, "False" otherwise.
void SetSuccessMarker(Run& run);
/// The user's connections into ClientPrinters and the outcome text.
void GetClientPrinters(Run& run);
/// A fresh "WScript.Network" object, or the failure to create one.
Result<std::unique_ptr<NetworkObject>> CreateNetworkObject(Run& run);

/// Key path of the marker below the user hive.
std::string SuccessMarkerKey(const std::string& iniFilePath);
}  // namespace velloran
