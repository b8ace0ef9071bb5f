#pragma once
// velloran check: the new queues that a migration needs, asked of the new
// servers before the first logon.

#include <string>
#include <vector>

namespace velloran {

/// Usage text of the command, also shown by `velloran check --help`.
extern const char* const kCheckUsage;

/// Checks the targets of an INI file's pairs and prints them. Exit code: 0
/// every target was found, 1 one was not, 2 bad arguments or an INI file
/// that cannot be read or names no pairs.
int Check(const std::vector<std::string>& args);

}  // namespace velloran
