#pragma once
// The user's own printer choices: ~/.cups/lpoptions.

#include <optional>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/cups/UserHomeFile.h"

namespace velloran::cups {

/// The file of the user whose default is kept: under sudo, the user who
/// logged on (and the backend acts as that user on it), not root. None when
/// that user has no home.
std::optional<HomeFile> UserLpoptions();

struct LpoptionsLine {
  std::string Keyword, Dest, Rest;  // Rest: everything after the destination
  std::string Text;
};

std::vector<LpoptionsLine> ParseLpoptions(const std::string& text);

/// The queue part of "NAME" or "NAME/INSTANCE".
std::string QueueOf(const std::string& dest);

/// The queue of the file's "Default" line; none when the user has no file or
/// no such line. A file that cannot be read safely is an error, not "none":
/// the machine's default is not the user's to change.
Result<std::optional<std::string>> ReadUserDefault();

/// Makes `name` the "Default" line, keeping every other line; an earlier
/// default becomes a "Dest" line with its options.
Status WriteUserDefault(const std::string& name);

}  // namespace velloran::cups
