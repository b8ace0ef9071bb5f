#pragma once
// A removed queue kept on disk until its replacement, or the queue itself
// again, is in place: if the process dies or a roll-back fails, the
// administrator puts it back from this file (velloran restore-queue FILE).

#include <string>

#include "platform/Error.h"
#include "platform/cups/CupsQueue.h"

namespace velloran::cups {

/// VELLORAN_QUEUE_STATE, else /var/lib/velloran/queues for root, else
/// $XDG_STATE_HOME/velloran/queues.
std::string SavedQueueFolder();

/// Makes the folder if need be; fails unless it is a folder of this user's
/// alone (mode 0700), which it becomes when it is this user's.
Status EnsureQueueStateFolder(const std::string& folder);

/// Writes `q` (name, device, driver, every attribute the scheduler reported,
/// its place as the system default, where its jobs wait) into a new file of
/// the folder, readable by the folder's owner only; returns the file's path.
Result<std::string> SaveQueue(const Queue& q);

/// Reads a file SaveQueue wrote. Only regular files of a bounded size are
/// read, and nothing in them is run: the text is the queue's settings.
Result<Queue> LoadSavedQueue(const std::string& path);

}  // namespace velloran::cups
