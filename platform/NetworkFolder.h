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

/// A folder that this computer shares with the network (Windows).
struct LocalShare {
  std::string Name;    ///< "deploy$"
  std::string Folder;  ///< "D:\\Deploy"
};

/// The UNC path ("\\COMPUTER\share\dir") of the local Windows folder `path`
/// when one of `shares` exports it (the deepest when shares nest); drive
/// letters and names compare without regard to case. "" when none does.
std::string UNCPathThroughShares(std::string_view path, const std::vector<LocalShare>& shares,
                                 std::string_view computer);

/// The folders this computer shares, as far as this user may list them:
/// Windows' disk shares, without its own administrative ones (C$, ADMIN$);
/// none elsewhere, where a share is named through its CIFS mount instead.
std::vector<LocalShare> LocalFolderShares();

/// The mount points of the CIFS and SMB3 mounts of `mountTable`, in table
/// order.
std::vector<std::string> NetworkMountPoints(std::string_view mountTable);

}  // namespace velloran
