#include "engine/modEventLog.h"

#include "engine/modDebug.h"

namespace velloran {

// The outcome event of the run; filled in with the notification channels.
void WriteApplicationEvent(Run&) {}

void ReportApplicationEvent(Run& run, std::string_view source, std::string_view message,
                            uint16_t eventType, uint32_t eventId) {
  Status failure;
  if (run.Svc.Events)
    failure = run.Svc.Events->ReportEvent(source, eventType, eventId, message);
  else
    failure = PlatformError{1, "No event log is available."};
  if (failure && failure->Number > 0) {
    WriteToDebugLog(run, "ERROR: Writing event to application event log << ");
    WriteToDebugLog(run, "ERROR: " + std::to_string(failure->Number));
    WriteToDebugLog(run, "ERROR DESCRIPTION: " + failure->Description);
  } else {
    WriteToDebugLog(run, ">> Logged event in application event log.");
  }
}

}  // namespace velloran
