#pragma once
// The engine's command line: one optional INI path, the whole text after the
// program name.

#include <string>

namespace velloran {
/// The argument text after the program name, rebuilt from argv the way the
/// Windows command line would hold it: arguments joined by single blanks.
std::string CommandLineFromArgv(int argc, const char* const* argv);
}  // namespace velloran
