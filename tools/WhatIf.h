#pragma once
// velloran what-if: a migration rehearsed on a copy of a connection profile.

#include <string>
#include <vector>

namespace velloran {

/// Runs the engine's inventory and migration for an INI file against a copy
/// of a connection profile and prints the outcome and the connections that
/// would change. Exit code: 0 the run would succeed, 1 it would record a
/// failure, 2 the rehearsal itself could not run.
int WhatIf(const std::vector<std::string>& args);

}  // namespace velloran
