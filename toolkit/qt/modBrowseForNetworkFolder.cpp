#include "toolkit/qt/modBrowseForNetworkFolder.h"

#include <QDir>
#include <QFile>
#include <QWidget>

#include "platform/NetworkFolder.h"
#include "toolkit/qt/DialogService.h"
#include "toolkit/qt/modBrowseForFolder.h"

namespace velloran {
namespace {

// Where the administrator most likely finds the shares: the first CIFS mount
// point, else the usual parent of mount points.
QString StartFolder(std::string_view mountTable) {
  const std::vector<std::string> points = NetworkMountPoints(mountTable);
  if (!points.empty()) return QFile::decodeName(QByteArray::fromStdString(points.front()));
  return QDir(QStringLiteral("/mnt")).exists() ? QStringLiteral("/mnt") : QDir::rootPath();
}

}  // namespace

QString BrowseForNetworkFolder(QWidget* owner, DialogService& dialogs) {
  const std::string mountTable = dialogs.MountTable();
  const QString title = QStringLiteral("Select a network computer or share.");
  return ClientPathOfChosenFolder(dialogs.ChooseFolder(owner, title, StartFolder(mountTable)),
                                  mountTable);
}

}  // namespace velloran
