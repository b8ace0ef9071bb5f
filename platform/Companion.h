#pragma once
// Files the engine loads on demand: its dialog program and the modules of
// the backends that wrap a library (directory, CUPS).

#include <string>
#include <string_view>

#include "platform/Error.h"

namespace velloran {

/// The path of a companion file of the running program: beside it (a
/// deployment folder, the build tree), else in ../lib/velloran from its
/// folder (an installed system, where the program is in sbin). When neither
/// exists, the path beside the program, so that failures name that one.
std::string CompanionFile(std::string_view name);

/// Loads the companion module `name` and checks that its function
/// `buildSymbol` answers `build`: C++ objects cross the boundary, so only a
/// module of the same build may be used. The handle is never closed (the
/// objects the module makes live as long as the program). A failure
/// says why in its text, naming the module's path. POSIX only.
Result<void*> LoadCompanionModule(std::string_view name, const char* buildSymbol,
                                  const std::string& build);

}  // namespace velloran
