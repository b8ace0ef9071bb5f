#pragma once
// Runs the built engine as a process in a folder of its own, the way a logon
// script would, with its own hives, message box and event log.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
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
///
/// VELLORAN_E2E_ENGINE names another engine to copy instead of the built one
/// (VelloranEngine.exe), and VELLORAN_E2E_RUNNER the program that starts it
/// ("wine"); the same scenarios then run against the Windows engine, whose
/// settings store is the registry.
class EngineFolder {
 public:
  explicit EngineFolder(const std::string& builtEngine);

  std::filesystem::path Folder() const { return root_.path() / "deploy"; }
  std::filesystem::path Engine() const { return Folder() / engineName_; }
  /// True when the engine under test is the Windows one.
  bool Windows() const { return windows_; }
  /// A path as the engine sees and writes it ("Z:\tmp\..." under Wine).
  std::string EnginePath(const std::filesystem::path& p) const;
  /// A string value of the engine's settings store: the hive files, or the
  /// registry (HKEY_CURRENT_USER / HKEY_LOCAL_MACHINE) for the Windows engine.
  std::optional<std::string> UserValue(const std::string& key, const std::string& name) const;
  std::optional<std::string> MachineValue(const std::string& key, const std::string& name) const;
  /// Deletes a value of the user's settings, which the Windows engines of
  /// all tests share.
  void DeleteUserValue(const std::string& key, const std::string& name) const;
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
  /// Runs another copy of the engine (e.g. one on another disk) the same way.
  ProcessResult RunCopy(const std::filesystem::path& copy,
                        const std::vector<std::string>& args = {}) const;
  /// The decoded text of "<computer>.debug" in the engine's folder.
  std::string DebugText(const std::string& computer = "PC01") const;

 private:
  std::optional<std::string> RegistryValue(const std::string& root, const std::string& key,
                                           const std::string& name) const;

  TempDir root_;
  std::string engineName_;
  bool windows_ = false;
};

/// How a test server is started. `Program` is a full path and is also its
/// argv[0]: an interpreter finds its own installation from argv[0], and
/// with a bare name it would take the first one on PATH.
struct ServerCommand {
  std::string Program{};
  std::vector<std::string> Args{};
  /// Where the server's standard output and error go.
  std::string Log{};
  bool AppendToLog = false;
  /// Variables added to the test's own environment.
  std::map<std::string, std::string> Env{};
  /// What the server reads as standard input; -1 leaves it as it is.
  int Stdin = -1;
};

/// Starts a server in the background and returns its PID, to be waited for
/// with WaitForServer and stopped with StopProcess.
pid_t StartServer(const ServerCommand& command);

/// Waits for a server started by a test until `ready` says it serves:
/// true then; false when the process ended (`pid` becomes -1) or `timeout`
/// passed first (the caller stops it).
bool WaitForServer(pid_t& pid, std::chrono::milliseconds timeout, std::chrono::milliseconds every,
                   const std::function<bool()>& ready);

/// Stops a server started by a test: SIGTERM, then SIGKILL after `grace`;
/// sets `pid` to -1. Nothing happens when `pid` is not positive.
void StopProcess(pid_t& pid, std::chrono::milliseconds grace = std::chrono::seconds(5));

}  // namespace velloran::test
