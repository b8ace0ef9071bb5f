#pragma once
// How velloran check asks servers for their shares on this system.

#include <memory>
#include <string>
#include <vector>

#include "check/ShareLister.h"
#include "platform/Error.h"

namespace velloran {

/// The lister for --protocol ("smb", "ipp" or "ipps"), or why none can be
/// made (credentials or settings of the environment that are wrong).
Result<std::shared_ptr<check::ShareLister>> MakeCheckLister(const std::string& protocol);

/// The hidden helper mode of `check` that the lister starts for each server
/// where it asks from child processes: its exit code, or -1 when `args` are
/// not the helper's.
int RunCheckListerHelper(const std::vector<std::string>& args);

}  // namespace velloran
