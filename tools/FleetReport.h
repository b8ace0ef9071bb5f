#pragma once
// The fleet report behind `velloran summary`: what the engines left on a
// deployment share (output files, e-mail back-up files, debug files), read
// without changing anything and folded into one state per computer.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"

namespace velloran::fleet {

/// Where a run's account came from.
enum class Source { OutputFile, EmailBackup, DebugFile };

enum class Outcome {
  Unknown,          ///< seen, but the file does not tell (debug switched off)
  Succeeded,        ///< the run recorded no failure
  Failed,           ///< the run recorded at least one failure
  AlreadyMigrated,  ///< the run-once marker ended the run: an earlier one succeeded
  Incomplete,       ///< the debug file that tells the run was cut short
  HeldBack,         ///< nothing failed, but a driver kept a move from happening
};

const char* OutcomeName(Outcome outcome);

/// One recorded failure: the engine's heading with its number and description.
struct Failure {
  std::string Step;    ///< what failed, e.g. "adding the new connection"
  std::string Target;  ///< the connection path the heading names, if any
  int32_t Number = 0;
  std::string Description;
};

/// A move the engine did not make because the client lacks the target's
/// driver and may not install it: the old connection was kept.
struct HeldBack {
  std::string Target;  ///< the new connection path
  std::string Driver;
  std::string Cause;
};

/// A printer connection as the inventory lists it.
struct Connection {
  std::string Printer;
  std::string Server;
};

/// One engine run as one file tells it.
struct RunReport {
  Outcome Result = Outcome::Unknown;
  std::vector<Failure> Failures;
  std::vector<Connection> Inventory;  ///< network connections before the run
  std::vector<Connection> Migrated;   ///< "Printer migrated: " lines
  std::vector<Connection>
      Left;  ///< not migrated and not an error: "already migrated", "NOT FOUND IN AD"
  std::vector<HeldBack> Held;  ///< moves a missing driver kept back
  bool HasInventory = false;
};

/// The runs of an outcome text file (output file or e-mail back-up file):
/// one block per run, in the order they were appended. Fails, with the
/// reason, when the bytes are not such a file or the last run is cut off.
struct ParsedOutcomeFile {
  std::vector<RunReport> Runs;
  std::string Problem;            ///< empty when the file is sound
  bool LooksLikeOutcome = false;  ///< starts as an outcome text does
};
ParsedOutcomeFile ParseOutcomeText(std::string_view bytes);

/// The run a decoded debug file tells of.
RunReport ParseDebugText(std::string_view text);

/// What a file name says about its file.
struct NameInfo {
  enum Kind { Other, Debug, EmailBackup, Output } kind = Other;
  std::string Computer;                 ///< empty when the name holds none
  std::optional<Outcome> NamedOutcome;  ///< from "SUCCESS_" / "FAILED_"
};
NameInfo ClassifyName(std::string_view fileName);

/// A report's text as UTF-8: kept when it is valid UTF-8 already (a file a
/// tool converted), read in `codePage` (the clients' ANSI code page)
/// otherwise.
std::string ReportTextToUtf8(std::string_view text, const CodePage& codePage);
/// Whether the first bytes of a file are those of an outcome text, so that
/// other files need not be read whole.
bool StartsLikeOutcome(std::string_view head);

/// A failure cause across the fleet: one step, number and description.
struct Cause {
  std::string Step;
  int32_t Number = 0;
  std::string Description;
  /// Connection path (or "" when the step names none) -> computers.
  std::map<std::string, std::set<std::string>> Targets;
  int AnonymousRuns = 0;  ///< runs in files without a computer name
};

struct ComputerState {
  std::string Name;
  Outcome Result = Outcome::Unknown;
  int64_t LastRun = 0;  ///< seconds since the epoch of the file that told the latest run
  /// When the computer was first told migrated (0: not migrated, or no time).
  int64_t MigratedAt = 0;
  Source From = Source::OutputFile;
  std::vector<Failure> Failures;  ///< of the latest failed run, when failed
  std::vector<Connection> OnOldServers;
  std::vector<HeldBack> Held;  ///< of the latest run, when a driver held moves back
  bool MailFailed = false;     ///< an e-mail back-up file exists
};

/// Why a file of the share was left unread without being a problem of its own.
enum class SkipReason {
  NotRegularFile,    ///< a FIFO, socket, device, link to a folder or a dangling link
  LinkLeavingShare,  ///< a link to something outside the share
};

struct FileProblem {
  std::string Path;
  std::string Reason;
};

/// Everything read from a share, ready to print.
struct FleetSummary {
  std::string Share;
  int OutputFiles = 0, EmailBackups = 0, DebugFiles = 0, OtherFiles = 0;
  int NotRegularFiles = 0, LinksLeavingShare = 0;  ///< skipped unread
  std::vector<FileProblem> Problems;
  std::map<std::string, ComputerState> Computers;  ///< key: upper-case name
  std::vector<std::string> NotSeen;                ///< from the list of computers
  bool HaveComputerList = false;
  int ListedComputers = 0;
  int AnonymousRuns = 0, AnonymousFailedRuns = 0;
  std::vector<Cause> Causes;         ///< most computers first
  std::set<std::string> OldServers;  ///< upper case
  /// Driver name -> the computers whose latest run it held back.
  std::map<std::string, std::set<std::string>> DriversToInstall;
  int Count(Outcome outcome) const;
};

/// Folds runs into a summary; call Add for every file, then Finish.
class FleetBuilder {
 public:
  explicit FleetBuilder(std::string share);
  /// A run of `computer` ("" when the file names none) told at `when`.
  void Add(const std::string& computer, Source from, int64_t when, RunReport run);
  void AddProblem(std::string path, std::string reason);
  void CountFile(NameInfo::Kind kind);
  void CountSkipped(SkipReason why);
  /// Servers given by the administrator, in addition to those inferred
  /// (every server a printer was migrated away from).
  void AddOldServer(const std::string& server);
  void SetComputerList(const std::vector<std::string>& names);
  FleetSummary Finish();

 private:
  struct Told {
    Source From;
    int64_t When;
    size_t Order;
    RunReport Run;
  };
  FleetSummary summary_;
  std::map<std::string, std::vector<Told>> runs_;  ///< key: upper-case name
  std::map<std::string, std::string> displayNames_;
  std::vector<RunReport> anonymous_;
  std::vector<std::string> listed_;
  std::set<std::string> givenOldServers_;
  size_t order_ = 0;
};

/// Reads every file below `share` (subfolders included) into a summary.
/// `progress` is called with (files done, files total) as reading goes on.
struct ReadOptions {
  std::vector<std::string> Computers;
  bool HaveComputerList = false;
  std::vector<std::string> OldServers;
  void (*Progress)(size_t done, size_t total, void* context) = nullptr;
  void* ProgressContext = nullptr;
};
FleetSummary ReadShare(const std::string& share, const ReadOptions& options);

std::string RenderTable(const FleetSummary& summary);
std::string RenderCsv(const FleetSummary& summary);
std::string RenderJson(const FleetSummary& summary);
/// One self-contained HTML page: no file, script or font from elsewhere.
std::string RenderHtml(const FleetSummary& summary);

}  // namespace velloran::fleet
