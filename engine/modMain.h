#pragma once
// The engine's run from start to end: the entry, the run driver with its
// abort status, and the run-once marker that lets later logons skip a run.

#include <string>

#include "engine/Run.h"

namespace velloran {
/// One run from BEGIN DEBUG to the saved debug file.
void Main(Run& run);
/// The run driver: gate, inventory, migration modes, notifications, marker.
void RunMigration(Run& run);
/// The stored run-once marker of this user and INI path.
bool IsMarkedSuccessful(Run& run);
/// Stores "True" when the run succeeded, "False" otherwise.
void SetSuccessMarker(Run& run);
/// Key path of the marker below the user hive.
std::string SuccessMarkerKey(const std::string& iniFilePath);
}  // namespace velloran
