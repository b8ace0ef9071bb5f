#pragma once
// Folders the administrator names: the folder picker, the existence check of
// the folder fields and of the deployment, and how a UNC path reaches a
// folder of this system.

#include <QString>
#include <string>

class QWidget;

namespace velloran {

/// The folder picker of the "..." beside "File &Output Path:"; "" when
/// cancelled. On POSIX a folder below a CIFS mount comes back as its UNC
/// path, the form that Windows clients can use.
QString BrowseForFolder(QWidget* owner);

/// True when `path` names an existing folder. A UNC path (\\server\share\dir)
/// exists here when its share is mounted and the folder exists below the
/// mount (platform/NetworkFolder.h).
bool FolderExists(const QString& path);

/// Where `path` lives on this system: on POSIX a UNC path resolves through
/// the mount table, "" when no mount serves its share; any other path is
/// returned as it stands.
QString FolderOnThisSystem(const QString& path);

/// The UNC path of the local folder `path` when a mounted share holds it,
/// else "".
QString UNCPathOfLocalFolder(const QString& path);

/// The mount table that UNC paths resolve through: /proc/mounts unless tests
/// name another file ("" restores the default).
void SetMountTableFile(const QString& path);
QString MountTableFile();
/// The mount table's text; "" when it cannot be read.
std::string ReadMountTable();

}  // namespace velloran
