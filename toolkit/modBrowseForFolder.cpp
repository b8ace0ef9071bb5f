#include "toolkit/modBrowseForFolder.h"

#include <QFile>
#include <QFileInfo>

#include "platform/NetworkFolder.h"

namespace velloran {

bool FolderExists(const QString& path) {
  if (path.isEmpty()) return false;
  const std::string local = LocalFolderPath(QFile::encodeName(path).toStdString());
#ifndef Q_OS_WIN
  // A share that is not mounted comes back as written, which names no
  // folder of this system.
  if (local.rfind("\\\\", 0) == 0) return false;
#endif
  return QFileInfo(QFile::decodeName(QByteArray::fromStdString(local))).isDir();
}

}  // namespace velloran
