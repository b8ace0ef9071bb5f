#pragma once
// Saving a whole settings record into an INI file, all keys or none.

#include <string>

#include "common/INISettings.h"
#include "platform/Error.h"
#include "platform/profile/Profile.h"

namespace velloran {

/// Writes every key of `record` into the INI file at `path`, keeping the
/// file's other sections and lines. Readers see the old file or the new one:
/// a save that fails part-way (a full share, a quota) leaves the old file as
/// it was. The writer turns empty texts of `record` into single blanks.
Status SaveINIFile(ProfileFunctions& profile, const std::string& path, INISettings& record);

}  // namespace velloran
