#include "engine/ErrorRecorder.h"

#include <string>

namespace velloran {

void AppendOutcome(Run& run, std::string_view text) {
  run.OutcomeText += "\r\n";
  run.OutcomeText += text;
}

void AppendErrorToOutcome(Run& run, std::string_view message, const PlatformError& error) {
  run.AbortStatus = true;
  run.OutcomeText += "\r\n";
  run.OutcomeText += message;
  run.OutcomeText += "\r\n> Error Number: " + std::to_string(error.Number);
  run.OutcomeText += "\r\n> Error Description: " + error.Description;
}

}  // namespace velloran
