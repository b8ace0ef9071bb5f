#include "toolkit/qt/modBrowseForNetworkFolder.h"

#include <QDir>
#include <QFile>
#include <QWidget>

#include "platform/NetworkFolder.h"
#include "toolkit/qt/Dialogs.h"
#include "toolkit/qt/modBrowseForFolder.h"

namespace velloran {
namespace {

// Where the administrator most likely finds the shares: the first CIFS mount
// point, else the usual parent of mount points.
QString StartFolder() {
  const std::vector<std::string> points = NetworkMountPoints(ReadMountTable());
  if (!points.empty()) return QFile::decodeName(QByteArray::fromStdString(points.front()));
  return QDir(QStringLiteral("/mnt")).exists() ? QStringLiteral("/mnt") : QDir::rootPath();
}

}  // namespace

QString BrowseForNetworkFolder(QWidget* owner) {
  const QString title = QStringLiteral("Select a network computer or share.");
  const QString chosen = Dialogs::FolderName(owner, title, StartFolder());
  if (chosen.isEmpty()) return {};
  const QString unc = UNCPathOfLocalFolder(chosen);
  return unc.isEmpty() ? QDir::toNativeSeparators(chosen) : unc;
}

}  // namespace velloran
