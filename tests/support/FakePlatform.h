#pragma once
// Every fake wired into an engine run's services.

#include <memory>
#include <string>

#include "engine/Run.h"
#include "tests/support/Fakes.h"

namespace velloran::test {

/// Every fake of a unit test, wired into Services; the profile is the real
/// one and the directory is unavailable unless a test sets its own.
struct FakePlatform {
  MemorySettingsStore Settings;
  FakeNetwork Network;
  RecordingEventLog Events;
  RecordingMessageBox Messages;
  FixedClock Time;
  Services services();
  /// A run of the directory mode on "LDAP://" + DOMAIN through DIRECTORY,
  /// with the defaults of a new file and the debug log on.
  std::unique_ptr<Run> DirectoryRun(DirectoryService& directory, const std::string& domain);
};

}  // namespace velloran::test
