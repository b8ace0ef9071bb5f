#pragma once
#include "engine/Run.h"

namespace velloran {
/// Sets INIFilePath from the command line or the first *.ini beside the
/// engine, and reads the settings.
void OpenINIFile(Run& run);
/// Reads every key of INIFilePath into run.Settings, then dumps them.
void ReadINISettings(Run& run);
/// Lists every setting in the debug log.
void DumpINISettings(Run& run);
/// The argument text after the program name, rebuilt from argv the way the
/// Windows command line would hold it: arguments joined by single blanks.
std::string CommandLineFromArgv(int argc, const char* const* argv);
}  // namespace velloran
