#pragma once
// The INI path the commands hand to the profile functions.

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/FolderTree.h"

namespace velloran {

/// Windows' profile functions look a name without a folder (or with one
/// relative to the working folder) up in the Windows folder, so such a name
/// is made absolute here. A rooted name ("\dir\x.ini", or "/dir/x.ini" as
/// Wine reads it on Z:) stays as typed: it names the same file to the
/// engine, and every report shows it as the administrator gave it.
inline std::string IniPathForProfile(const std::string& ini) {
#ifdef _WIN32
  const std::filesystem::path given = PathFromText(ini);
  if (given.has_root_directory()) return ini;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(given, ec);
  return ec ? ini : PathText(absolute);
#else
  return ini;
#endif
}

}  // namespace velloran
