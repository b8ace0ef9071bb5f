#include "check/Report.h"

#include <algorithm>
#include <map>

namespace velloran::check {

std::string StatusText(const Target& t) {
  std::string text(StatusName(t.Status));
  return t.Detail.empty() ? text : text + " (" + t.Detail + ")";
}

namespace {

// What a count of targets in one state reads as after the number. One row's
// status names the state; several are counted targets, and what two of them
// share is not one server.
std::string_view CountedAs(TargetStatus status, size_t n) {
  if (n == 1) return StatusName(status);
  switch (status) {
    case TargetStatus::NotAPrinter:
      return "not printers";
    case TargetStatus::Unreachable:
      return "on unreachable servers";
    default:
      return StatusName(status);
  }
}

}  // namespace

std::string SummaryLine(const std::vector<Target>& targets) {
  std::map<TargetStatus, size_t> counts;
  for (const Target& t : targets) ++counts[t.Status];
  std::string out = std::to_string(counts[TargetStatus::Found]) + " of " +
                    std::to_string(targets.size()) + " targets found";
  for (const auto& [status, n] : counts)
    if (status != TargetStatus::Found && n > 0)
      out += ", " + std::to_string(n) + " " + std::string(CountedAs(status, n));
  return out + ".";
}

size_t NotFoundCount(const std::vector<Target>& targets) {
  return static_cast<size_t>(std::count_if(targets.begin(), targets.end(), [](const Target& t) {
    return t.Status != TargetStatus::Found && t.Status != TargetStatus::NotCheckable;
  }));
}

}  // namespace velloran::check
