#pragma once
// Opening files in folders that others may write to (a results share, the
// engine's folder, a user's home while running as root): a symbolic link at
// the name is never followed and anything but a regular file is refused, so
// a planted link or a device cannot redirect what the program writes.

#include <string>

#include "platform/Error.h"

namespace velloran {

/// Opens `path` with `flags` (O_NOFOLLOW, O_CLOEXEC and O_NONBLOCK added) and
/// checks that it is a regular file. A link fails with ELOOP, a folder with
/// EISDIR, a FIFO, socket or device with EINVAL; the descriptor is then
/// closed. O_NONBLOCK is cleared again once the file is known to be regular.
Result<int> OpenRegularFile(const std::string& path, int flags, unsigned mode = 0);

/// The refusal of a symbolic link, in the words the logs show.
PlatformError LinkRefused();

}  // namespace velloran
