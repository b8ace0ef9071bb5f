#pragma once
// Where the machine's queues live: the scheduler, or a rehearsal's copy.

#include <optional>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/cups/CupsQueue.h"

namespace velloran::cups {

/// The machine's queues and defaults: the scheduler itself, or a copy of it
/// for a rehearsal.
class QueueStore {
 public:
  virtual ~QueueStore() = default;
  virtual Result<std::vector<Queue>> List() = 0;
  /// Completes `q` with what creating it again needs.
  virtual Status Describe(Queue& q) = 0;
  virtual Status Delete(const std::string& name) = 0;
  /// Creates `q` from its PPD, or driverless when `driverless` is set; then
  /// gives it the settings of its attributes.
  virtual Status Create(const Queue& q, bool driverless) = 0;
  /// The system default queue's name; empty when there is none.
  virtual Result<std::string> SystemDefault() = 0;
  virtual Status SetSystemDefault(const std::string& name) = 0;
  /// The user's own default ("Default" line of lpoptions), if the user chose
  /// one; a file that cannot be read safely is an error.
  virtual Result<std::optional<std::string>> UserDefault() = 0;
  virtual Status SetUserDefault(const std::string& name) = 0;

  /// The jobs of a queue that have not finished (held, pending, printing).
  virtual Result<std::vector<int>> UnfinishedJobs(const std::string& name) = 0;
  /// A stopped queue that prints nowhere, described by `info`: it keeps the
  /// jobs of a queue while that queue is replaced.
  virtual Status CreateHolding(const std::string& name, const std::string& info) = 0;
  /// Moves a job to another queue; its state (held or pending) stays.
  virtual Status MoveJob(int id, const std::string& to) = 0;
  /// Whether a queue deleted here is gone for real, so that it is saved on
  /// disk first (a rehearsal deletes nothing).
  virtual bool DeletesForReal() const = 0;
};

}  // namespace velloran::cups
