#pragma once
// The environment variables the programs honour, in one list: the --help of
// every program prints it, and the manual pages and the guide are checked
// against it.

#include <string>

namespace velloran {

/// "Environment (an empty value means the default):" and one line per
/// variable: its name, its values and its default on this system.
std::string EnvironmentHelp();

}  // namespace velloran
