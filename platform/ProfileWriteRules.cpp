#include "platform/profile/Profile.h"

namespace velloran {

namespace {
bool HasAny(std::string_view s, std::string_view chars) {
  return s.find_first_of(chars) != std::string_view::npos;
}
}  // namespace

bool IsSafeProfileWrite(std::string_view section, std::string_view key, std::string_view value) {
  if (section.empty() || HasAny(section, std::string_view("\r\n]\0", 4))) return false;
  if (key.empty() || HasAny(key, std::string_view("\r\n=\0", 4))) return false;
  // The reader drops these around a name; a key that starts with ";" or "["
  // behind them would be written and never found again.
  const size_t first = key.find_first_not_of(std::string_view(" \t\v\f\x1A", 5));
  if (first == std::string_view::npos || key[first] == ';' || key[first] == '[') return false;
  return !HasAny(value, std::string_view("\r\n\0", 3));
}

}  // namespace velloran
