#pragma once
// Whether a move may go ahead as far as the target's driver is concerned:
// asked before the old connection is removed, so that a move today's driver
// rules would stop keeps the old connection instead of removing it, failing
// the add and putting it back at every logon.

#include <optional>
#include <string>
#include <string_view>

#include "platform/PrinterDriver.h"

namespace velloran {

/// A move the target's driver holds back.
struct DriverHold {
  PrinterDriver Driver;
  std::string Cause;
};

struct DriverVerdict {
  /// Set: keep the old connection and add nothing.
  std::optional<DriverHold> Hold;
  /// Set: a question could not be answered (the server or the client did not
  /// say), and the move goes ahead as it would without the check.
  std::optional<PlatformError> NotAsked;
};

/// The verdict for moving the connection `from` to `target` ("\\SERVER\SHARE").
DriverVerdict CheckTargetDriver(PrinterDrivers& drivers, std::string_view from,
                                std::string_view target);

}  // namespace velloran
