#pragma once
// A deployment share as a large site leaves it after a migration: one output
// file and one encoded debug file per computer, some of them failed, some
// computers never seen.

#include <filesystem>
#include <string>
#include <vector>

namespace velloran::test {

struct FleetShareFacts {
  std::vector<std::string> Listed;  ///< every computer, seen or not ("PC00000"...)
  int Failed = 0;                   ///< computers whose run failed
  int Unseen = 0;                   ///< listed computers that left no file
};

/// The text of a whole run's debug file (before it is encoded): banners,
/// `line` 60 times, the progress lines.
std::string RunDebugText(bool fails,
                         const std::string& line = ">> A setting of the INI file: True");

/// Writes the reports of `clients` computers into `folder`: every 100th
/// computer never ran, every 25th failed adding \\NEWSRV1\ACCOUNTING.
FleetShareFacts WriteFleetShare(const std::filesystem::path& folder, int clients);

}  // namespace velloran::test
