#pragma once
// Appending whole blocks to a file that other clients append to as well.

#include <chrono>
#include <string>
#include <string_view>

#include "platform/Error.h"

namespace velloran {

/// Appends `block` to the file at `path` (creating it) in one write, holding
/// an exclusive lock of the file meanwhile so that blocks of clients writing
/// at the same time, also over a network share, never interleave. The lock is
/// retried for `lockWait`; if it cannot be had the block is still appended and
/// the failure to lock is returned. Returns the last failure of open, lock,
/// write and close; each step is attempted even when one before it failed.
Status AppendBlockToFile(const std::string& path, std::string_view block,
                         std::chrono::milliseconds lockWait = std::chrono::seconds(5));

}  // namespace velloran
