#pragma once
// The Windows system directory, where the event log's message file lives.

#include <string>

namespace velloran {

/// The system directory without a trailing backslash ("C:\WINDOWS\system32"
/// on most Windows computers). Systems without one give that usual place,
/// which is what a Windows client reading the registration would expect.
std::string SystemDirectory();

}  // namespace velloran
