#pragma once
// The application event log.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Error.h"

// windows.h renames these by macro (to their A/W forms); the seam keeps its
// own names where windows.h was included before it.
#ifdef _WIN32
#undef ReportEvent
#endif

namespace velloran {

inline constexpr uint16_t kEventTypeWarning = 2;
inline constexpr uint16_t kEventTypeInformation = 4;

class EventLog {
 public:
  virtual ~EventLog() = default;
  /// Reports one event under `source`; `text` keeps its line breaks.
  virtual Status ReportEvent(std::string_view source, uint16_t type, uint32_t eventId,
                             std::string_view text) = 0;
};

}  // namespace velloran
