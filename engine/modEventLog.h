#pragma once
// The application event log: the source registration and one event per run.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Run.h"

namespace velloran {
inline constexpr uint32_t kEventIdRunOutcome = 20001;
inline constexpr uint32_t kEventIdDebugFile = 20002;
inline constexpr uint32_t kEventIdRunOnceMarker = 20003;
inline constexpr uint32_t kEventIdINIFile = 20004;

/// The run's outcome as event 20001, warning or information by abort status.
void WriteApplicationEvent(Run& run);
/// Reports one event under `source`, writing debug lines about it. The
/// source's message file is registered first when it has none.
void ReportApplicationEvent(Run& run, std::string_view source, std::string_view message,
                            uint16_t eventType, uint32_t eventId);

/// Key of an event source below the machine hive.
std::string EventSourceKey(std::string_view source);
/// The folder that holds the message file on a Windows client.
std::string GetSystemDirectoryPath();
/// Gives the source its "EventMessageFile" unless it has a non-empty one.
void RegisterEventSourceMessageFile(Run& run, std::string_view source);
}  // namespace velloran
