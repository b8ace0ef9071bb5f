#include "engine/modPrinters.h"

#include <optional>

#include "engine/modDebug.h"
#include "engine/modMoveADPrinters.h"
#include "engine/modMoveNetworkPrinters.h"
#include "engine/modNotification.h"

namespace velloran {

namespace {
constexpr std::string_view kMarkerValue = "SUCCESS";
}  // namespace

std::string SuccessMarkerKey(const std::string& iniFilePath) {
  return "Software\\Velloran\\" + iniFilePath;
}

bool IsMarkedSuccessful(Run& run) {
  // A missing key or value, a value other than "True" and a store that cannot
  // be read all count as "not yet migrated": running again is the safe side.
  auto value = run.Svc.Settings->ReadValue(Hive::CurrentUser, SuccessMarkerKey(run.INIFilePath),
                                           kMarkerValue);
  const bool marked = value && value->has_value() && **value == "True";
  WriteToDebugLog(run, ">> Getting Registry key: " + run.INIFilePath);
  WriteToDebugLog(run, std::string(">> Registry Key Value: ") + TrueFalse(marked));
  return marked;
}

void SetSuccessMarker(Run& run) {
  static_cast<void>(run.Svc.Settings->WriteValue(Hive::CurrentUser,
                                                 SuccessMarkerKey(run.INIFilePath), kMarkerValue,
                                                 run.AbortStatus ? "False" : "True"));
}

Result<std::unique_ptr<NetworkObject>> CreateNetworkObject(Run& run) {
  return run.Svc.Network->Create("WScript.Network");
}

void GetClientPrinters(Run& run) {
  WriteToDebugLog(run, ">> Getting client's list of printers <<");

  // Creation, enumeration and the reset all happen before the one test for
  // a failure, so a failed enumeration still leaves the list at entry 0.
  std::optional<PlatformError> failure;
  std::vector<std::string> items;
  auto network = CreateNetworkObject(run);
  if (!network) {
    failure = network.error();
  } else if (auto listed = (*network)->EnumPrinterConnections(); !listed) {
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

  run.OutcomeText += "\r\n* ----- My Networked Printers ----- *";
  WriteToDebugLog(run, ">> * ----- My Networked Printers ----- * <<");

  // Items come in pairs, port first; only the names are looked at. An odd
  // count leaves a port without a name, which is skipped.
  for (size_t i = 0; i + 1 < items.size(); i += 2) {
    const std::string& name = items[i + 1];
    if (name.rfind("\\\\", 0) != 0) {
      run.OutcomeText += "\r\nNon-Networked Printer: " + name + " (DO NOTHING)";
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
    run.OutcomeText += "\r\n" + p.PrinterName + " (" + p.ServerName + ")";
    WriteToDebugLog(run, ">> Found networked printer: " + p.PrinterName + " (" + p.ServerName + ")");
    run.ClientPrinters.push_back(std::move(p));
  }
}

void RunMigration(Run& run) {
  if (IsMarkedSuccessful(run) && !run.Settings.AlwaysRun) return;

  run.AbortStatus = false;
  WriteToDebugLog(run, std::string(">> Running Velloran, abort status: ") + TrueFalse(run.AbortStatus));
  WriteBanner(run, 28, "     NETWORK PRINTERS    ", 27);
  GetClientPrinters(run);
  WriteToDebugLog(run, std::string(">> Finished getting network printers, abort status: ") +
                           TrueFalse(run.AbortStatus));

  if (!run.AbortStatus && run.Settings.UseActiveDirectory) {
    WriteBanner(run, 28, "     MOVING USING AD    ", 27);
    MoveADPrinters(run);
  }
  WriteToDebugLog(run, std::string(">> Finished moving via AD, abort status: ") +
                           TrueFalse(run.AbortStatus));

  if (!run.AbortStatus && run.Settings.UseManualDefinitions) MoveManualPrinters(run);
  WriteToDebugLog(run, std::string(">> Finished moving manual, abort status: ") +
                           TrueFalse(run.AbortStatus));

  SendNotifications(run);
  WriteToDebugLog(run, std::string(">> Finished notification, abort status: ") +
                           TrueFalse(run.AbortStatus));

  SetSuccessMarker(run);
}

}  // namespace velloran
