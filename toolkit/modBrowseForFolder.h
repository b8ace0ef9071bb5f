#pragma once
// Folders the administrator names: the existence check of the folder fields
// and of the deployment.

#include <QString>

namespace velloran {

/// True when `path` names an existing folder. A UNC path (\\server\share\dir)
/// exists here when its share is mounted and the folder exists below the
/// mount (platform/NetworkFolder.h).
bool FolderExists(const QString& path);

}  // namespace velloran
