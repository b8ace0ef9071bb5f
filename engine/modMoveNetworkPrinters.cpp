#include "engine/modMoveNetworkPrinters.h"

#include "engine/DriverCheck.h"
#include "engine/ErrorRecorder.h"
#include "engine/modDebug.h"
#include "engine/modNotification.h"
#include "engine/modPrinters.h"
#include "platform/CodePage.h"

namespace velloran {

void ReportAlreadyMigrated(Run& run, const NetworkPrinter& c) {
  AppendOutcome(run, "Printer already migrated: " + c.PrinterName + " (" + c.ServerName + ")");
  WriteToDebugLog(run, ">> Printer already migrated: " + c.PrinterName + " (" + c.ServerName + ")");
}

namespace {

// The skeleton the three modes share. Every pair is examined for every
// client printer, and the list keeps describing the connections as they were
// before the run: a mode never sees what another mode (or it) changed.
template <typename Pair, typename Matches, typename WriteMatch, typename NewPath>
void MoveByPairs(Run& run, const std::vector<Pair>& pairs, const char* outcomeHeader,
                 const char* debugHeader, Matches matches, WriteMatch writeMatch, NewPath newPath) {
  AppendOutcome(run, outcomeHeader);
  WriteToDebugLog(run, debugHeader);

  // Not tested here: without an object every removal below fails and is
  // reported as such.
  auto network = CreateNetworkObject(run);

  for (size_t c = 1; c < run.ClientPrinters.size(); ++c) {
    const NetworkPrinter& client = run.ClientPrinters[c];
    bool found = false;
    for (const Pair& pair : pairs) {
      if (!matches(client, pair)) continue;
      writeMatch(client, pair);
      found = true;
      ReconnectPrinter(run, network, client, ConnectionPath(client.ServerName, client.ShareName),
                       newPath(client, pair));
    }
    if (!found) ReportAlreadyMigrated(run, client);
  }
}

// Makes `path` the default printer again after a move or a roll-back. A
// failure here is no failed migration: the printer itself is in place, so
// only the debug log tells of it.
void KeepDefaultPrinter(Run& run, NetworkObject& network, const std::string& path) {
  if (Status set = network.SetDefaultPrinter(path); !set.ok()) {
    WriteErrorToDebugLog(run, "ERROR: Setting default printer: " + path, set.error());
    return;
  }
  WriteToDebugLog(run, ">> Default printer kept: " + path);
}

// Windows reports a driver it may not install for the user in these ways:
// 740 ERROR_ELEVATION_REQUIRED where installing would need an administrator's
// consent that a logon script cannot give, 3019
// ERROR_PRINTER_DRIVER_DOWNLOAD_NEEDED where Point and Print keeps the driver
// on the server, 3014 ERROR_PRINTER_DRIVER_BLOCKED where policy blocks the
// driver itself. The network object raises them as HRESULTs (0x8007xxxx),
// the spooler's own calls as plain numbers.
bool DriverNotInstallable(int32_t number) {
  constexpr int32_t kWin32Facility = static_cast<int32_t>(0x80070000u);
  for (int32_t code : {740, 3014, 3019})
    if (number == code || number == (kWin32Facility | code)) return true;
  return false;
}

// A driver's name comes from the print server: a line break in it would
// add lines of its own to the report, which the fleet summary reads.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  return text;
}

// Asks the backend about the target's driver. True when the move is held
// back: the old connection stays, nothing is added, and the run counts as
// not done, so that a later logon tries again once the driver is there.
bool HeldBackByDriver(Run& run, NetworkObject& network, const std::string& oldPath,
                      const std::string& newPath) {
  PrinterDrivers* drivers = network.Drivers();
  if (!drivers) return false;
  DriverVerdict verdict = CheckTargetDriver(*drivers, oldPath, newPath);
  if (verdict.NotAsked) {
    // Not a failure of the run: the add goes ahead as it did before drivers were checked.
    WriteToDebugLog(run, ">> Driver not checked, adding as before: " + newPath + " (error " +
                             std::to_string(verdict.NotAsked->Number) + ": " +
                             verdict.NotAsked->Description + ")");
    return false;
  }
  if (!verdict.Hold) return false;
  DriverHold hold{{OneLine(verdict.Hold->Driver.Name), verdict.Hold->Driver.Version},
                  OneLine(verdict.Hold->Cause)};
  run.AbortStatus = true;
  AppendOutcome(run, "Printer held back by its driver: " + newPath);
  AppendOutcome(run, "> Driver: " + hold.Driver.Name);
  AppendOutcome(run, "> Cause: " + hold.Cause);
  WriteToDebugLog(run, ">> Held back by its driver: " + newPath);
  WriteToDebugLog(run, ">> Driver: " + hold.Driver.Name);
  WriteToDebugLog(run, ">> Cause: " + hold.Cause);
  run.DriverHolds.push_back({oldPath, newPath, hold.Driver, hold.Cause});
  return true;
}

}  // namespace

std::string_view DriverCause(const PlatformError& error) {
  if (!DriverNotInstallable(error.Number)) return {};
  return "the new printer's driver is not installed on this computer, and only an "
         "administrator may install it from the print server. Install the driver beforehand "
         "(a computer startup script), or approve the server in the Point and Print policy.";
}

std::string ConnectionPath(const std::string& server, const std::string& share) {
  return "\\\\" + server + "\\" + share;
}

void ReconnectPrinter(Run& run, Result<std::unique_ptr<NetworkObject>>& network,
                      const NetworkPrinter& client, const std::string& oldPath,
                      const std::string& newPath) {
  if (network && HeldBackByDriver(run, **network, oldPath, newPath)) return;
  // Asked before the removal, which takes the default status with it.
  bool wasDefault = false;
  if (network) {
    auto current = (*network)->GetDefaultPrinter();
    wasDefault = current.ok() && SameText(*current, oldPath);
  }
  Status removed =
      network ? (*network)->RemovePrinterConnection(oldPath, true, true) : Status(network.error());
  if (!removed.ok()) {
    WriteErrorToDebugLog(run, "ERROR: Removing client networked printer: " + oldPath,
                         removed.error());
    AppendErrorToOutcome(run, "Error in deleting network printer: " + oldPath, removed.error());
    return;
  }
  WriteToDebugLog(run, ">> Removed printer: " + oldPath);

  if (Status added = (*network)->AddWindowsPrinterConnection(newPath); !added.ok()) {
    WriteErrorToDebugLog(run, "ERROR: Adding printer: " + newPath, added.error());
    AppendErrorToOutcome(run, "Error in adding/migrating network printer: " + newPath,
                         added.error());
    if (std::string_view cause = DriverCause(added.error()); !cause.empty()) {
      AppendOutcome(run, "> Cause: " + std::string(cause));
      WriteToDebugLog(run, ">> Cause: " + std::string(cause));
    }
    // Every failed roll-back is logged, whatever the sign of its number: the
    // network object reports negative ones, and a user left without either
    // printer must leave a trace.
    if (Status restored = (*network)->AddWindowsPrinterConnection(oldPath); !restored.ok())
      WriteErrorToDebugLog(run, "ERROR: Adding old printer back: " + oldPath, restored.error());
    else if (wasDefault)
      KeepDefaultPrinter(run, **network, oldPath);
    return;
  }
  WriteToDebugLog(run, ">> Added printer: " + newPath);
  if (wasDefault) KeepDefaultPrinter(run, **network, newPath);
  AppendOutcome(run, "Printer migrated: " + client.PrinterName + " (" + client.ServerName + ")");
}

void MovePrinterToPrinter(Run& run) {
  const auto& pairs = run.Settings.PrinterPairs;
  if (pairs.empty() || pairs[0].FromName.empty()) return;
  MoveByPairs(
      run, pairs, "* ----- Migrating Networked Printers Between Printers ----- *",
      ">> * ----- Migrating Networked Printers Between Printers ----- * <<",
      [](const NetworkPrinter& c, const NamePair& e) {
        return SameText(e.FromName, c.PrinterName);
      },
      [&run](const NetworkPrinter& c, const NamePair& e) {
        WriteToDebugLog(run, ">> Found a printer match <<");
        WriteToDebugLog(run, ">> Client printer: " + c.PrinterName);
        WriteToDebugLog(run, ">> INI Printer: " + e.FromName);
      },
      [](const NetworkPrinter& c, const NamePair& e) {
        return ConnectionPath(c.ServerName, e.ToName);
      });
}

void MoveServerToServer(Run& run) {
  const auto& pairs = run.Settings.ServerPairs;
  if (pairs.empty() || pairs[0].FromName.empty()) return;
  MoveByPairs(
      run, pairs, "* ----- Migrating Networked Printers Between Servers ----- *",
      ">> * ----- Migrating Networked Printers Between Servers ----- * <<",
      [](const NetworkPrinter& c, const NamePair& e) { return SameText(e.FromName, c.ServerName); },
      [&run](const NetworkPrinter& c, const NamePair& e) {
        WriteToDebugLog(run, ">> Found a server match <<");
        WriteToDebugLog(run, ">> Client server: " + c.ServerName);
        WriteToDebugLog(run, ">> INI server: " + e.FromName);
      },
      [](const NetworkPrinter& c, const NamePair& e) {
        return ConnectionPath(e.ToName, c.ShareName);
      });
}

void MoveMixedToMixed(Run& run) {
  const auto& pairs = run.Settings.MixedPairs;
  if (pairs.empty() || pairs[0].FromPrinter.empty()) return;
  MoveByPairs(
      run, pairs,
      "* ----- Migrating Networked Servers and Printers Between Servers and Printers----- *",
      ">> * ----- Migrating Networked Servers and Printers Between Servers and Printers----- * <<",
      [](const NetworkPrinter& c, const MixedPair& e) {
        return SameText(e.FromServer, c.ServerName) && SameText(e.FromPrinter, c.PrinterName);
      },
      [&run](const NetworkPrinter& c, const MixedPair& e) {
        WriteToDebugLog(run, ">> Found a Printer and Server match <<");
        WriteToDebugLog(run, ">> Client printer: " + c.PrinterName);
        WriteToDebugLog(run, ">> Client Server: " + c.ServerName);
        WriteToDebugLog(run, ">> INI printer: " + e.FromPrinter);
        WriteToDebugLog(run, ">> INI Server: " + e.FromServer);
      },
      [](const NetworkPrinter&, const MixedPair& e) {
        return ConnectionPath(e.ToServer, e.ToPrinter);
      });
}

void MoveManualPrinters(Run& run) {
  // The modes run independently: an error recorded by one does not stop
  // the next.
  if (!run.Settings.PrinterPairs.empty()) {
    WriteBanner(run, 22, "     MOVING USING PRINTER TO PRINTER    ", 22);
    MovePrinterToPrinter(run);
  }
  if (!run.Settings.ServerPairs.empty()) {
    WriteBanner(run, 20, "     MOVING USING SERVER TO SERVER    ", 20);
    MoveServerToServer(run);
  }
  if (!run.Settings.MixedPairs.empty()) {
    WriteBanner(run, 21, "     MOVING USING MIXED TO MIXED    ", 20);
    MoveMixedToMixed(run);
  }
}

}  // namespace velloran
