#pragma once
// Text helpers the fleet report's parts share.

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "tools/FleetReport.h"

namespace velloran::fleet::detail {

/// ASCII upper case: the key under which computer and server names meet.
inline std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

inline bool EndsWithNoCase(std::string_view s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  s.remove_prefix(s.size() - tail.size());
  for (size_t i = 0; i < tail.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(s[i])) !=
        std::toupper(static_cast<unsigned char>(tail[i])))
      return false;
  return true;
}

/// The line that tells how many computers wait for a driver; every output
/// form words it the same.
inline std::string DriverLine(std::string_view driver, size_t computers) {
  return "Drivers to install: " + std::string(driver) + " \xE2\x80\x94 " +
         std::to_string(computers) + " computers";
}

/// What kind of file a computer's latest account came from, as every
/// output form names it.
inline const char* SourceName(Source s) {
  switch (s) {
    case Source::OutputFile:
      return "output file";
    case Source::EmailBackup:
      return "e-mail back-up file";
    case Source::DebugFile:
      return "debug file";
  }
  return "";
}

}  // namespace velloran::fleet::detail
