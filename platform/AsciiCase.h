#pragma once
// Letter case for text that is ASCII by rule (URI schemes, the settings
// hive's key and value names): names in the user's language fold by the code
// page instead (SameText in platform/CodePage.h).

#include <string>
#include <string_view>

namespace velloran {

inline std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace velloran
