#pragma once
// The user's own printer choices: ~/.cups/lpoptions.

#include <sys/types.h>

#include <string>
#include <vector>

namespace velloran::cups {

struct LpoptionsFile {
  std::string Path;
  uid_t Owner = static_cast<uid_t>(-1);
  gid_t Group = static_cast<gid_t>(-1);
};

/// The file of the user whose default is kept: under sudo, the user who
/// logged on, not root.
LpoptionsFile UserLpoptions();

struct LpoptionsLine {
  std::string Keyword, Dest, Rest;  // Rest: everything after the destination
  std::string Text;
};

std::vector<LpoptionsLine> ParseLpoptions(const std::string& text);

/// The queue part of "NAME" or "NAME/INSTANCE".
std::string QueueOf(const std::string& dest);

}  // namespace velloran::cups
