#pragma once
// Folders the administrator names: the folder picker, the existence check of
// the folder fields and of the deployment, and how a UNC path reaches a
// folder on this machine.

#include <QString>
#include <QStringList>

class QWidget;

namespace velloran {

/// The folder picker of the "..." beside "File &Output Path:"; "" when
/// cancelled. On POSIX a folder below a CIFS mount comes back as its UNC
/// path, the form that Windows clients can use.
QString BrowseForFolder(QWidget* owner);

/// True when `path` names an existing folder. On POSIX a UNC path
/// (\\server\share\dir) exists when its share is mounted over CIFS here and
/// the folder exists below the mount point.
bool FolderExists(const QString& path);

/// The local folder for `uncPath` given the text of /proc/mounts; "" when no
/// CIFS mount serves its share. Shares and servers compare without regard to
/// case, as Windows compares them.
QString ResolveUNCPath(const QString& uncPath, const QString& mountsText);

/// The UNC path (\\server\share\dir) of local folder `localPath` when a CIFS
/// mount of `mountsText` holds it; "" otherwise.
QString UNCPathOfLocalFolder(const QString& localPath, const QString& mountsText);

/// The mount points of the CIFS mounts of `mountsText`, in table order.
QStringList CIFSMountPoints(const QString& mountsText);

/// Where `path` lives on this machine: on POSIX a UNC path resolves through
/// the mount table ("" when no mount serves it); any other path is returned
/// as it stands.
QString LocalFolderPath(const QString& path);

/// The mount table that UNC paths resolve through: /proc/mounts unless tests
/// name another file ("" restores the default).
void SetMountTableFile(const QString& path);
QString MountTableFile();
/// The mount table's text; "" when it cannot be read.
QString ReadMountTable();

}  // namespace velloran
