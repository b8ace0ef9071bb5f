#pragma once
// velloran install-drivers: installs, before any client runs the engine, the
// printer drivers that the new queues of a migration need.

#include <string>
#include <vector>

#include "platform/Error.h"

namespace velloran {

extern const char* const kInstallDriversUsage;

int InstallDrivers(const std::vector<std::string>& args);

/// Who besides the administrators (and the account running this) may change
/// the file at `path` or a folder above it, in words ("the user alice (its
/// owner)", "everyone"), with the path concerned; empty when nobody may.
Result<std::string> OtherWriters(const std::string& path);

}  // namespace velloran
