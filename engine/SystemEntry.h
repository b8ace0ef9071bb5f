#pragma once
// What the engine's entry takes from the operating system it runs on.

#include <string>

#include "engine/EngineServices.h"

namespace velloran {

/// The whole text after the program name, which is the INI file's path.
std::string CommandLineText(int argc, const char* const* argv);

/// Makes stdout and stderr usable before anything is printed: a Windows GUI
/// program started from a console borrows that console; the streams pass
/// bytes unchanged, so text that already ends lines with CR LF keeps them.
void PrepareStandardStreams();

/// The dialog message box the engine shows on this system.
DialogBackend SystemDialogs();

}  // namespace velloran
