#pragma once
// The picker of the "..." beside "&Network Share Path:": a computer or share
// on the network.

#include <QString>

class QWidget;

namespace velloran {

class DialogService;

/// The chosen share or folder as a UNC path, "\\" + computer name for a
/// computer, or "" when cancelled. On POSIX the network is what is mounted
/// over CIFS here: the picker starts at a mount point, and a folder below a
/// mount comes back as its UNC path; any other folder as it stands.
QString BrowseForNetworkFolder(QWidget* owner, DialogService& dialogs);

}  // namespace velloran
