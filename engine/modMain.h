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

/// The engine's exit status, for the scheduled tasks and deployment tools
/// that start it: they see nothing of its reports.
enum EngineExit : int {
  kExitDone = 0,            ///< migrated, or nothing to do
  kExitNotAllMigrated = 1,  ///< the run's abort status is set
  kExitBadEnvironment = 2,  ///< a VELLORAN_* variable cannot work
  kExitNoINIFile = 3,       ///< no INI file was found or could be read
};
/// The status of a finished run. An INI file that could not be read comes
/// first: with every switch off such a run moves nothing, whatever else it
/// reports.
int ExitStatus(const Run& run);
}  // namespace velloran
