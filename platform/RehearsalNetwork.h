#pragma once
// A rehearsal on the user's own printer connections: the live network object
// is read once (its connections, the default printer, the computer name), and
// every change after that is made to that reading in memory. Nothing a run
// asks of it reaches the system: no connection is added or removed, the
// default stays where it is and no driver is installed.

#include <memory>

#include "platform/NetworkObject.h"

namespace velloran {

/// Wraps `live`, which is asked only to read. The driver questions (which
/// driver a queue needs, whether this client has it, the rules) go to the
/// live object's answers; an install is noted in memory instead.
std::unique_ptr<NetworkObjectFactory> MakeRehearsalNetwork(
    std::unique_ptr<NetworkObjectFactory> live);

}  // namespace velloran
