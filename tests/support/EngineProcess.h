#pragma once
// Runs the built engine as a process in a folder of its own, the way a logon
// script would, with its own hives, message box and event log.

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/Fakes.h"

namespace velloran::test {

struct ProcessResult {
  int ExitCode = -1;
  std::string Stdout, Stderr;
};

/// Runs `program` with `args`, extra environment variables and without the
/// `unset` ones; waits for it.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env = {},
                         const std::string& workingDir = "",
                         const std::vector<std::string>& unset = {});

/// A deployment folder holding a copy of the engine binary, plus the files
/// the engine's backends use (connection profile, hives, event file).
class EngineFolder {
 public:
  explicit EngineFolder(const std::string& builtEngine);

  std::filesystem::path Folder() const { return root_.path() / "deploy"; }
  std::filesystem::path Engine() const { return Folder() / "VelloranEngine"; }
  std::filesystem::path Connections() const { return root_.path() / "connections.txt"; }
  std::filesystem::path UserHive() const { return root_.path() / "home/user.hive"; }
  std::filesystem::path MachineHive() const { return root_.path() / "machine.hive"; }
  std::filesystem::path EventFile() const { return root_.path() / "events.log"; }
  std::filesystem::path Root() const { return root_.path(); }

  /// The environment every run gets; tests may add to it.
  std::map<std::string, std::string> Env;
  /// Variables of the test's own environment that the runs do not get.
  std::vector<std::string> Unset;

  /// Runs the engine with the given argument words.
  ProcessResult Run(const std::vector<std::string>& args = {}) const;
  /// The decoded text of "<computer>.debug" in the engine's folder.
  std::string DebugText(const std::string& computer = "PC01") const;

 private:
  TempDir root_;
};

/// Stops a server started by a test: SIGTERM, then SIGKILL after five
/// seconds; sets `pid` to -1. Nothing happens when `pid` is not positive.
void StopProcess(pid_t& pid);

}  // namespace velloran::test
