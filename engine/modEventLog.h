#pragma once
#include <cstdint>
#include <string_view>
#include "engine/Run.h"

namespace velloran {
/// The run's outcome as event 20001, warning or information by abort status.
void WriteApplicationEvent(Run& run);
/// Reports one event under `source`, writing debug lines about it.
void ReportApplicationEvent(Run& run, std::string_view source, std::string_view message,
                            uint16_t eventType, uint32_t eventId);
}  // namespace velloran
