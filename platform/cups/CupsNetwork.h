#pragma once
// The network object over CUPS: the machine's print queues that point at
// print servers are the connections.

#include <memory>

#include "platform/Error.h"
#include "platform/NetworkObject.h"

namespace velloran {

/// Talks IPP to the local scheduler (CUPS_SERVER and client.conf decide
/// which). With `rehearse`, the queues are read once and every change is
/// made to that copy only; servers are still asked whether a queue exists.
/// Fails in a build without libcups.
Result<std::unique_ptr<NetworkObjectFactory>> MakeCupsNetwork(bool rehearse = false);

}  // namespace velloran
