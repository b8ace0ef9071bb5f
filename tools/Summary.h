#pragma once
// velloran summary: a fleet report from what the engines left on a share.

#include <string>
#include <vector>

namespace velloran {

/// Usage text of the command, also shown by `velloran summary --help`.
extern const char* const kSummaryUsage;

/// Reads the share and prints the report. Exit code: 0 no computer failed
/// (and, with a list, every listed computer was seen), 1 some did, 2 the
/// share or the list could not be read or the arguments are wrong.
int Summary(const std::vector<std::string>& args);

}  // namespace velloran
