#pragma once
// "Check targets": the pairs of the document shown in the window asked of
// the new print servers, and the same check before Deploy Now, over the
// small view each front-end provides. The front-end chooses the protocol
// (the lister) and the thread the check runs on.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "check/CheckRun.h"
#include "common/INISettings.h"
#include "toolkit/core/Prompter.h"

namespace velloran {

/// How the front-end has the servers asked.
struct TargetCheckSetup {
  /// Null when this program cannot ask servers; `Unavailable` says why.
  std::shared_ptr<check::ShareLister> Lister;
  std::string Unavailable;
  /// Servers to check the printers pairs on; without them those pairs are
  /// not checkable (each client keeps its own server).
  std::vector<std::string> PrinterServers;
  std::chrono::milliseconds Timeout{3000};
};

/// One line of the result list, in the words of `velloran check`.
struct TargetCheckRow {
  std::string Pair;    ///< "servers 1: OLD -> NEW"
  std::string Target;  ///< "\\NEW\QUEUE"
  std::string Status;  ///< "missing", "found (driver ...)"
  check::TargetStatus Code = check::TargetStatus::NotCheckable;
};

struct TargetCheckReport {
  bool Cancelled = false;
  /// In the order the list shows them: the targets not found, then those
  /// that could not be checked, then those found; within each, in the
  /// order of the pairs.
  std::vector<TargetCheckRow> Rows;
  /// "38 of 41 targets found, 3 missing."; for a cancelled check, how far
  /// it got.
  std::string Summary;
  size_t Total = 0;
  size_t Found = 0;
  /// Checked and not found: missing, not a printer, unreachable, denied.
  size_t NotFound = 0;
  /// Of those, the ones a server answered for: missing or not a printer.
  size_t Missing = 0;
};

/// The check's work, handed to the front-end to run off the window's
/// thread.
class TargetCheckJob {
 public:
  /// Blank slots are dropped from the pair lists, so that pairs are
  /// numbered as in the saved file, whatever shape the window's copy has.
  TargetCheckJob(const INISettings& settings, const TargetCheckSetup& setup);
  /// Servers the check asks: the progress bar's maximum.
  size_t Servers() const { return servers_; }
  /// Runs the check and blocks until it ends. `progress` (servers answered,
  /// servers in all) is called on the running thread; setting `cancel`
  /// ends the check within a moment, with its result marked cancelled.
  check::CheckResult Run(const std::function<void(size_t, size_t)>& progress,
                         const std::atomic<bool>& cancel) const;

 private:
  INISettings settings_;
  const TargetCheckSetup& setup_;
  size_t servers_ = 0;
};

/// What the check needs of the window.
class TargetCheckView : public virtual Prompter {
 public:
  /// Runs `job` off the window's thread behind a progress window with a
  /// Cancel button, and returns its result once it has ended.
  virtual check::CheckResult RunTargetCheck(const TargetCheckJob& job) = 0;
  /// The result list.
  virtual void ShowTargetCheck(const TargetCheckReport& report) = 0;
};

/// Whether the document migrates by manual pairs and names at least one.
bool HasManualPairs(const INISettings& settings);

/// A check's result as the result list shows it.
TargetCheckReport ReportOf(const check::CheckResult& result);

/// The "Check targets" command on the pairs of `settings` (the record the
/// window holds, unsaved edits included): runs the check and shows the
/// list, or says why there is nothing to check.
void CheckTargets(const INISettings& settings, const TargetCheckSetup& setup,
                  TargetCheckView& view);

/// Before Deploy Now: checks the manual pairs and asks whether to deploy
/// when a target was not found, when the check was cancelled, or when it
/// could check nothing. True when the deployment may go on; a document
/// without manual pairs has nothing to check and goes on.
bool ConfirmTargetsBeforeDeploy(const INISettings& settings, const TargetCheckSetup& setup,
                                TargetCheckView& view);

}  // namespace velloran
