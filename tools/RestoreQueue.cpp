#include "tools/RestoreQueue.h"

#include <iostream>

#include "platform/cups/CupsNetwork.h"
#include "tools/OutputText.h"

namespace velloran {

namespace {

const char* kUsage =
    "Usage: velloran restore-queue FILE\n"
    "\n"
    "Puts back a CUPS queue that the engine saved before deleting it, when the\n"
    "run could not put it back itself (the engine's debug log names FILE; the\n"
    "files are kept in /var/lib/velloran/queues, or VELLORAN_QUEUE_STATE). The\n"
    "queue gets its driver, device, settings and place as the system default\n"
    "again, and the unfinished jobs waiting in its holding queue move back.\n"
    "A queue of the same name is never replaced: delete it first. Needs the\n"
    "right to administer queues (root or the lpadmin group).\n"
    "\n"
    "Exit status: 0 the queue is back, 1 it could not be put back, 2 bad\n"
    "arguments.\n";

}  // namespace

int RestoreQueue(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a == "--help" || a == "-h") return std::cout << kUsage, 0;
  if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
    std::cerr << "velloran restore-queue: expects one FILE\n\n" << kUsage;
    return 2;
  }
  auto done = RestoreSavedQueue(args[0]);
  if (!done) {
    std::cerr << "velloran restore-queue: " << done.error().Description << "\n";
    return 1;
  }
  std::cout << output::TerminalText(*done);
  return 0;
}

}  // namespace velloran
