#pragma once
// Folders the administrator names: the existence check of the folder fields
// and of the deployment.

#include <QString>

namespace velloran {

/// True when `path` names an existing folder. On POSIX a UNC path
/// (\\server\share\dir) exists when its share is mounted over CIFS here and
/// the folder exists below the mount point.
bool FolderExists(const QString& path);

/// The local folder for `uncPath` given the text of /proc/mounts; "" when no
/// CIFS mount serves its share. Shares and servers compare without regard to
/// case, as Windows compares them.
QString ResolveUNCPath(const QString& uncPath, const QString& mountsText);

}  // namespace velloran
