#pragma once
// One run at a time on this machine's queues. Two runs that move the same
// queues at once pick the same holding-queue names and delete each other's
// work; logons come together and any user may start a run through sudo.

#include <chrono>
#include <memory>
#include <string>

#include "platform/Error.h"

namespace velloran::cups {

/// An exclusive lock on "run.lock" in the queue state folder, held until the
/// object goes or the process ends (the system lets go of a dead process's
/// lock). The folder is its owner's alone, so nobody else can hold it.
class RunLock {
 public:
  /// Waits at most `wait` for a run that holds the lock, then fails saying
  /// so (error 170, ERROR_BUSY).
  static Result<std::unique_ptr<RunLock>> Take(std::chrono::milliseconds wait);
  ~RunLock();
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

 private:
  explicit RunLock(int fd) : fd_(fd) {}
  int fd_;
};

/// How long a run waits for another to finish: a run moves a few queues in
/// seconds, each driverless queue's description may take half a minute.
inline constexpr std::chrono::seconds kRunLockWait{120};

inline constexpr int32_t kBusy = 170;  // ERROR_BUSY

}  // namespace velloran::cups
