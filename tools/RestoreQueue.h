#pragma once
// velloran restore-queue: puts back a CUPS queue a run saved before deleting it.

#include <string>
#include <vector>

namespace velloran {

/// Exit code: 0 the queue is back, 1 it could not be put back, 2 bad
/// arguments.
int RestoreQueue(const std::vector<std::string>& args);

}  // namespace velloran
