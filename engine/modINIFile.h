#pragma once
// Finding the INI file and reading it into the run's settings record.
#include "engine/Run.h"

namespace velloran {
/// Sets INIFilePath from the command line or the first *.ini beside the
/// engine, and reads the settings.
void OpenINIFile(Run& run);
/// Reads every key of INIFilePath into run.Settings, then dumps them.
void ReadINISettings(Run& run);
/// Whether `path` is an INI file the reader can read: a regular file this
/// process may open, no larger than any settings file. The reader treats
/// every other path as an unreadable INI file.
Status CheckINIFile(const std::string& path);
/// Lists every setting in the debug log.
void DumpINISettings(Run& run);
}  // namespace velloran
