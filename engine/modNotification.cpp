#include "engine/modNotification.h"

#include "engine/modDebug.h"

namespace velloran {

void AppendErrorToOutcome(Run& run, std::string_view message, const PlatformError& error) {
  run.AbortStatus = true;
  run.OutcomeText += "\r\n";
  run.OutcomeText += message;
  run.OutcomeText += "\r\n> Error Number: " + std::to_string(error.Number);
  run.OutcomeText += "\r\n> Error Description: " + error.Description;
}

std::string GetClientComputerName(Run& run) {
  if (!run.Svc.Network) return "Computer UNKNOWN";
  auto object = run.Svc.Network->Create("WScript.Network");
  if (!object) return "Computer UNKNOWN";
  auto name = (*object)->ComputerName();
  return name ? *name : std::string();
}

// Filled in by the notification channels (mail, output file, pop-up, event log).
void SendNotifications(Run&) {}

}  // namespace velloran
