#pragma once
// The account the program runs under.

#include <string>

namespace velloran {

/// The logged-on user's name as the system reports it for this process
/// ("" when it cannot be read).
std::string LoggedOnUserName();

}  // namespace velloran
