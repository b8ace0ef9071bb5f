#pragma once
// The words a check's result is told in, shared by the command line's table
// and the toolkit's result list so that both say the same thing.

#include <string>
#include <vector>

#include "check/Targets.h"

namespace velloran::check {

/// "missing", or "found (driver HP LaserJet)" when there is a detail.
std::string StatusText(const Target& target);

/// "38 of 41 targets found, 2 missing, 1 not checkable." (no line break).
std::string SummaryLine(const std::vector<Target>& targets);

/// Targets that were checked and not found: every status but found and not
/// checkable.
size_t NotFoundCount(const std::vector<Target>& targets);

}  // namespace velloran::check
