#pragma once
// How velloran check asks servers for their shares on this system.

#include <memory>
#include <string>

#include "check/ShareLister.h"
#include "platform/Error.h"

namespace velloran {

/// The lister for --protocol ("smb", "ipp" or "ipps"), or why none can be
/// made (credentials or settings of the environment that are wrong).
Result<std::shared_ptr<check::ShareLister>> MakeCheckLister(const std::string& protocol);

}  // namespace velloran
