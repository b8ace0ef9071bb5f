#pragma once
// Folder settings written for Windows clients, as paths of this system.

#include <string>
#include <string_view>

namespace velloran {

/// A UNC folder ("\\server\share\dir") becomes the same folder below the
/// local mount of that share; a share that is not mounted stays as written
/// (a folder that cannot be reached), and any other path is returned as it is.
std::string LocalFolderPath(std::string_view folder);

/// The same against a mount table in the format of /proc/mounts; CIFS and
/// SMB3 entries count, server and share compare without regard to case.
std::string LocalFolderPath(std::string_view folder, std::string_view mountTable);

}  // namespace velloran
