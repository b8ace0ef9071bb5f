#include "check/Report.h"

#include <algorithm>
#include <map>

namespace velloran::check {

std::string StatusText(const Target& t) {
  std::string text(StatusName(t.Status));
  return t.Detail.empty() ? text : text + " (" + t.Detail + ")";
}

std::string SummaryLine(const std::vector<Target>& targets) {
  std::map<TargetStatus, size_t> counts;
  for (const Target& t : targets) ++counts[t.Status];
  std::string out = std::to_string(counts[TargetStatus::Found]) + " of " +
                    std::to_string(targets.size()) + " targets found";
  for (const auto& [status, n] : counts)
    if (status != TargetStatus::Found && n > 0)
      out += ", " + std::to_string(n) + " " + std::string(StatusName(status));
  return out + ".";
}

size_t NotFoundCount(const std::vector<Target>& targets) {
  return static_cast<size_t>(std::count_if(targets.begin(), targets.end(), [](const Target& t) {
    return t.Status != TargetStatus::Found && t.Status != TargetStatus::NotCheckable;
  }));
}

}  // namespace velloran::check
