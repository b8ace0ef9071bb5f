#include "engine/modPrinters.h"

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
  bool marked = false;
  if (run.Svc.Settings) {
    auto value = run.Svc.Settings->ReadValue(Hive::CurrentUser, SuccessMarkerKey(run.INIFilePath),
                                             kMarkerValue);
    marked = value && value->has_value() && **value == "True";
  }
  WriteToDebugLog(run, ">> Getting Registry key: " + run.INIFilePath);
  WriteToDebugLog(run, std::string(">> Registry Key Value: ") + TrueFalse(marked));
  return marked;
}

void SetSuccessMarker(Run& run) {
  if (!run.Svc.Settings) return;
  run.Svc.Settings->WriteValue(Hive::CurrentUser, SuccessMarkerKey(run.INIFilePath), kMarkerValue,
                               run.AbortStatus ? "False" : "True");
}

// The inventory lands with the printer migration.
void GetClientPrinters(Run& run) { run.ClientPrinters.assign(1, NetworkPrinter{}); }

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
