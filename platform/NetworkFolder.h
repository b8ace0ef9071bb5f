#pragma once
// Folder settings written for Windows clients, as paths of this system.

#include <string>
#include <string_view>
#include <vector>

namespace velloran {

/// Whether a UNC path is read through a local mount of its share, as on
/// Linux; Windows reads it itself.
#ifdef _WIN32
inline constexpr bool kUNCPathsNeedMount = false;
#else
inline constexpr bool kUNCPathsNeedMount = true;
#endif

/// A UNC folder ("\\server\share\dir") becomes the same folder below the
/// local mount of that share; a share that is not mounted stays as written
/// (a folder that cannot be reached), and any other path is returned as it is.
std::string LocalFolderPath(std::string_view folder);

/// The same against a mount table in the format of /proc/mounts; CIFS and
/// SMB3 entries count, server and share compare without regard to case.
std::string LocalFolderPath(std::string_view folder, std::string_view mountTable);

/// The other way round: the UNC path ("\\server\share\dir") of the local
/// folder `path` when a CIFS or SMB3 mount of `mountTable` holds it (the
/// deepest one when mounts nest); "" otherwise.
std::string UNCPathOfLocalFolder(std::string_view path, std::string_view mountTable);

/// The mount points of the CIFS and SMB3 mounts of `mountTable`, in table
/// order.
std::vector<std::string> NetworkMountPoints(std::string_view mountTable);

}  // namespace velloran
