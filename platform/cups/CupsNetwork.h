#pragma once
// The network object over CUPS: the machine's print queues that point at
// print servers are the connections.

#include <chrono>
#include <memory>

#include "platform/Error.h"
#include "platform/NetworkObject.h"

namespace velloran {

/// Talks IPP to the local scheduler (CUPS_SERVER and client.conf decide
/// which). With `rehearse`, the queues are read once and every change is
/// made to that copy only; servers are still asked whether a queue exists.
/// A driverless queue whose description the scheduler has not built within
/// `descriptionWait` is deleted again and its add fails.
/// Outside a rehearsal, one run at a time works on the machine's queues: the
/// first object made takes the lock of the queue state folder for the life
/// of the factory, waiting at most `lockWait` for another run to end
/// (Create fails with error 170 after that).
/// Links libcups into the program (library velloran_cups); fails in a build
/// without libcups.
Result<std::unique_ptr<NetworkObjectFactory>> MakeCupsNetwork(
    bool rehearse = false, std::chrono::milliseconds descriptionWait = std::chrono::seconds(30),
    std::chrono::milliseconds lockWait = std::chrono::seconds(120));

/// The same backend from the module velloran-cups.so (a companion file of
/// the program), loaded on the first call that needs the scheduler (the
/// computer's name does not): a run that works on no queue maps neither
/// libcups nor its TLS library. A module that cannot be loaded fails each
/// such call with error 429 and the reason.
/// Fails at once in a build without libcups.
Result<std::unique_ptr<NetworkObjectFactory>> MakeCupsNetworkOnDemand(
    bool rehearse = false, std::chrono::milliseconds descriptionWait = std::chrono::seconds(30));

/// Puts back a queue that a run saved before deleting it (the file named in
/// the run's failure): its driver, device, settings and place as the system
/// default, and the unfinished jobs waiting in its holding queue when that
/// queue is still the one the save made. Refuses when a queue of that name
/// exists; waits for a run that works on the queues, as a run does. Returns
/// what was done, a line each.
Result<std::string> RestoreSavedQueue(const std::string& file);

}  // namespace velloran
