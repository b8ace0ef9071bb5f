#include "engine/modMain.h"

#include "engine/modDebug.h"
#include "engine/modEventLog.h"
#include "engine/modINIFile.h"
#include "engine/modMoveADPrinters.h"
#include "engine/modMoveNetworkPrinters.h"
#include "engine/modNotification.h"
#include "engine/modPrinters.h"

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
  if (run.INIFileUnreadable) {
    WriteToDebugLog(run, ">> INI file not read, registry key left as it was: " + run.INIFilePath);
    return;
  }
  Status stored = run.Svc.Settings->WriteValue(Hive::CurrentUser, SuccessMarkerKey(run.INIFilePath),
                                               kMarkerValue, run.AbortStatus ? "False" : "True");
  if (stored.ok()) return;
  // Without the marker the user is migrated and reported again at every
  // logon; the administrator must be able to find out why.
  WriteErrorToDebugLog(run, "ERROR: Setting Registry key: " + run.INIFilePath, stored.error());
  ReportApplicationEvent(run, "Velloran",
                         "Unable to store the run-once marker for INI file " + run.INIFilePath +
                             ": " + std::to_string(stored.error().Number) + ": " +
                             stored.error().Description,
                         kEventTypeWarning, kEventIdRunOnceMarker);
}

void RunMigration(Run& run) {
  if (IsMarkedSuccessful(run) && !run.Settings.AlwaysRun) return;

  run.AbortStatus = false;
  WriteToDebugLog(run,
                  std::string(">> Running Velloran, abort status: ") + TrueFalse(run.AbortStatus));
  WriteBanner(run, 28, "     NETWORK PRINTERS    ", 27);
  GetClientPrinters(run);
  WriteToDebugLog(run, std::string(">> Finished getting network printers, abort status: ") +
                           TrueFalse(run.AbortStatus));

  if (!run.AbortStatus && run.Settings.UseActiveDirectory) {
    WriteBanner(run, 28, "     MOVING USING AD    ", 27);
    MoveADPrinters(run);
  }
  WriteToDebugLog(
      run, std::string(">> Finished moving via AD, abort status: ") + TrueFalse(run.AbortStatus));

  if (!run.AbortStatus && run.Settings.UseManualDefinitions) MoveManualPrinters(run);
  WriteToDebugLog(
      run, std::string(">> Finished moving manual, abort status: ") + TrueFalse(run.AbortStatus));

  SendNotifications(run);
  WriteToDebugLog(
      run, std::string(">> Finished notification, abort status: ") + TrueFalse(run.AbortStatus));

  SetSuccessMarker(run);
  // After the marker: a run that ended well is done with what it kept for
  // undoing its changes by hand.
  run.Svc.Network->RunEnded(!run.AbortStatus);
}

int ExitStatus(const Run& run) {
  // An empty path after the INI file was looked for means none was found
  // (OpenINIFile never reads one then); a path that names nothing readable
  // was marked so by the reader.
  if (run.INIFilePath.empty() || run.INIFileUnreadable) return kExitNoINIFile;
  return run.AbortStatus ? kExitNotAllMigrated : kExitDone;
}

void Main(Run& run) {
  // On before the INI file is read, so the opening lines always reach the file.
  run.Settings.DebugOn = true;
  ClearDebugLog(run);
  WriteBanner(run, 30, "     BEGIN DEBUG     ", 29);
  OpenINIFile(run);
  RunMigration(run);
  WriteBanner(run, 31, "     END DEBUG     ", 30);
  SaveDebugLog(run);
}

}  // namespace velloran
