#include <unistd.h>

#include "platform/Companion.h"
#include "platform/Paths.h"

namespace velloran {

std::string CompanionFile(std::string_view name) {
  const std::string folder = ExecutableFolder();
  std::string beside = JoinPath(folder, name);
  if (::access(beside.c_str(), F_OK) == 0) return beside;
  std::string installed = JoinPath(JoinPath(JoinPath(folder, ".."), "lib/velloran"), name);
  if (::access(installed.c_str(), F_OK) == 0) return installed;
  return beside;
}

}  // namespace velloran
