#pragma once
// The check of a migration's targets: every server asked once, in
// parallel, each with a deadline of its own; cancellable and reporting its
// progress, so that a window can run it off its own thread.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "check/ShareLister.h"
#include "check/Targets.h"
#include "common/INISettings.h"

namespace velloran::check {

struct CheckOptions {
  /// Servers to check the printers pairs on (each client keeps its own).
  std::vector<std::string> PrinterServers;
  /// How long one server may take to answer, from the moment it is asked.
  std::chrono::milliseconds Timeout{3000};
  /// Servers asked at the same time.
  size_t Parallel = 16;
  /// Called on the caller's thread after each answer: servers answered (or
  /// given up), servers in all.
  std::function<void(size_t done, size_t total)> Progress;
  /// Set by another thread to stop; the check then returns at once.
  const std::atomic<bool>* Cancel = nullptr;
};

struct CheckResult {
  std::vector<Target> Targets;
  size_t Servers = 0;
  bool Cancelled = false;
  /// Queries still running when the check returned (past their deadline,
  /// or cancelled): their threads finish on their own and their answers are
  /// dropped.
  size_t Abandoned = 0;

  /// Whether every target was found.
  bool AllFound() const;
};

CheckResult RunCheck(const INISettings& settings, std::shared_ptr<ShareLister> lister,
                     const CheckOptions& options);

}  // namespace velloran::check
