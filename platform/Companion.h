#pragma once
// Files the engine loads on demand: its dialog program and its directory
// module.

#include <string>
#include <string_view>

namespace velloran {

/// The path of a companion file of the running program: beside it (a
/// deployment folder, the build tree), else in ../lib/velloran from its
/// folder (an installed system, where the program is in sbin). When neither
/// exists, the path beside the program, so that failures name that one.
std::string CompanionFile(std::string_view name);

}  // namespace velloran
