#include "engine/modEventLog.h"

#include "engine/modDebug.h"
#include "platform/SystemDirectory.h"

namespace velloran {

std::string EventSourceKey(std::string_view source) {
  return "System\\CurrentControlSet\\Services\\EventLog\\Application\\" + std::string(source);
}

// The registration names the message file that a Windows event viewer loads
// to render the entry; only Windows clients read it, so elsewhere the value
// records where such a client usually keeps it. Syslog and the file sink
// carry the whole text and need no message file.
std::string GetSystemDirectoryPath() { return SystemDirectory(); }

void RegisterEventSourceMessageFile(Run& run, std::string_view source) {
  const std::string key = EventSourceKey(source);
  // A value that cannot be read counts as missing; an ordinary user usually
  // cannot write the machine hive either, and that must not keep the event
  // from being reported.
  auto value = run.Svc.Settings->ReadValue(Hive::LocalMachine, key, "EventMessageFile");
  std::string current;
  if (value && value->has_value()) current = (*value)->substr(0, (*value)->find('\0'));
  if (!current.empty()) return;
  // Registration is best effort: the event is reported either way.
  static_cast<void>(run.Svc.Settings->WriteValue(Hive::LocalMachine, key, "EventMessageFile",
                                                 GetSystemDirectoryPath() + "\\EvntMsg.dll"));
}

void WriteApplicationEvent(Run& run) {
  ReportApplicationEvent(run, "Velloran", run.OutcomeText,
                         run.AbortStatus ? kEventTypeWarning : kEventTypeInformation,
                         kEventIdRunOutcome);
}

void ReportApplicationEvent(Run& run, std::string_view source, std::string_view message,
                            uint16_t eventType, uint32_t eventId) {
  RegisterEventSourceMessageFile(run, source);
  Status reported = run.Svc.Events->ReportEvent(source, eventType, eventId, message);
  if (CountsAsError(reported)) {
    WriteErrorToDebugLog(run, "ERROR: Writing event to application event log << ",
                         reported.error());
  } else {
    WriteToDebugLog(run, ">> Logged event in application event log.");
  }
}

}  // namespace velloran
