#pragma once
// Share lists and queue drivers of print servers through Windows' own
// calls (the network's share enumeration and the spooler).

#include <memory>

#include "check/ShareLister.h"

namespace velloran::check {

/// Lists a server's shares (NetShareEnum); for each printer share asked,
/// opens \\SERVER\SHARE with the spooler and reads its driver name, and
/// tells whether that driver is installed on this computer. The user's own
/// logon is used; the calls take no time limit, so the check's deadline
/// is what bounds them.
std::shared_ptr<ShareLister> MakeWindowsShareLister();

}  // namespace velloran::check
