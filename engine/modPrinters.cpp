#include "engine/modPrinters.h"

#include <optional>

#include "engine/ErrorRecorder.h"
#include "engine/modDebug.h"

namespace velloran {

Result<std::unique_ptr<NetworkObject>> CreateNetworkObject(Run& run) {
  return run.Svc.Network->Create("WScript.Network");
}

void GetClientPrinters(Run& run) {
  WriteToDebugLog(run, ">> Getting client's list of printers <<");

  // Creation, enumeration and the reset all happen before the one test for
  // a failure, so a failed enumeration still leaves the list at entry 0.
  std::optional<PlatformError> failure;
  std::vector<Result<std::string>> items;
  auto network = CreateNetworkObject(run);
  if (!network) {
    failure = network.error();
  } else if (auto listed = (*network)->EnumPrinterConnectionItems(); !listed) {
    failure = listed.error();
  } else {
    items = std::move(*listed);
  }
  run.ClientPrinters.assign(1, NetworkPrinter{});
  if (failure) {
    WriteErrorToDebugLog(run, "ERROR: Getting client's list of printers <<", *failure);
    AppendErrorToOutcome(run, "Error gathering my networked printers.", *failure);
    return;
  }

  AppendOutcome(run, "* ----- My Networked Printers ----- *");
  WriteToDebugLog(run, ">> * ----- My Networked Printers ----- * <<");

  // Items come in pairs, port first; only the names are looked at. An odd
  // count leaves a port without a name, which is skipped.
  for (size_t i = 0; i + 1 < items.size(); i += 2) {
    // A connection whose name cannot be read was not examined: listing it as
    // a blank local printer would let the run pass for a success while the
    // connection may still point at an old server.
    if (!items[i + 1].ok()) {
      const std::string which = std::to_string(i / 2 + 1);
      WriteErrorToDebugLog(run, "ERROR: Reading the name of printer connection " + which + " <<",
                           items[i + 1].error());
      AppendErrorToOutcome(run, "Error reading the name of printer connection " + which + ".",
                           items[i + 1].error());
      continue;
    }
    const std::string& name = *items[i + 1];
    if (name.rfind("\\\\", 0) != 0) {
      AppendOutcome(run, "Non-Networked Printer: " + name + " (DO NOTHING)");
      WriteToDebugLog(run, ">> Found non-networked printer: " + name);
      continue;
    }
    NetworkPrinter p;
    size_t sep = name.find('\\', 2);
    if (sep == std::string::npos) {
      // "\\server" alone: no share part; the server part stays empty.
      p.PrinterName = name;
    } else {
      p.PrinterName = name.substr(sep + 1);
      p.ServerName = name.substr(2, sep - 2);
    }
    p.ShareName = p.PrinterName;
    AppendOutcome(run, p.PrinterName + " (" + p.ServerName + ")");
    WriteToDebugLog(run,
                    ">> Found networked printer: " + p.PrinterName + " (" + p.ServerName + ")");
    run.ClientPrinters.push_back(std::move(p));
  }
}

}  // namespace velloran
