#pragma once
// Telling a file that can be read from one that only looks like it could.

#include <string>

#include "platform/Error.h"

namespace velloran {

/// Succeeds when `path` is a regular file this process may open for reading.
/// A folder, a FIFO or a device fails (EISDIR, EINVAL) without the call
/// waiting on it; a missing or forbidden file fails with its errno number.
Status CheckReadableRegularFile(const std::string& path);

}  // namespace velloran
