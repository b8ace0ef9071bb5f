#pragma once
// The one rule for the SMTP port, shared by the engine that connects and the
// toolkit that stores it: a whole number 1-65535 in decimal digits only.

#include <optional>
#include <string_view>

namespace velloran {

std::optional<unsigned> ParsePortNumber(std::string_view text);
inline bool IsPortNumber(std::string_view text) { return ParsePortNumber(text).has_value(); }

}  // namespace velloran
