#pragma once
// Folders the administrator names: the folder picker, the existence check of
// the folder fields and of the deployment, and how a UNC path reaches a
// folder of this system through the mount table (DialogService::MountTable).

#include <QString>
#include <string_view>

class QWidget;

namespace velloran {

class DialogService;

/// The folder picker of the "..." beside "File &Output Path:"; "" when
/// cancelled. On POSIX a folder below a CIFS mount comes back as its UNC
/// path, the form that Windows clients can use.
QString BrowseForFolder(QWidget* owner, DialogService& dialogs);

/// A folder a picker chose, as clients name it: the UNC path when a mounted
/// share holds it, else the folder with this system's separators; "" stays.
QString ClientPathOfChosenFolder(const QString& chosen, std::string_view mountTable);

/// True when `path` names an existing folder. A UNC path (\\server\share\dir)
/// exists here when its share is mounted and the folder exists below the
/// mount (platform/NetworkFolder.h).
bool FolderExists(const QString& path, std::string_view mountTable);

/// Where `path` lives on this system: on POSIX a UNC path resolves through
/// the mount table, "" when no mount serves its share; any other path is
/// returned as it stands.
QString FolderOnThisSystem(const QString& path, std::string_view mountTable);

/// The UNC path of the local folder `path` when a mounted share holds it,
/// else "".
QString UNCPathOfLocalFolder(const QString& path, std::string_view mountTable);

}  // namespace velloran
