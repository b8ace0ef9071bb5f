#pragma once
// The application event log.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Error.h"

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
