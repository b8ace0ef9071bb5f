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
  /// The user's own default ("Default" line of lpoptions), if the user chose one.
  virtual std::optional<std::string> UserDefault() = 0;
  virtual Status SetUserDefault(const std::string& name) = 0;
};

}  // namespace velloran::cups
