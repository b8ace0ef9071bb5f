#include "toolkit/qt/modBrowseForFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <string>

#include "platform/NetworkFolder.h"
#include "toolkit/qt/DialogService.h"

namespace velloran {
namespace {

std::string Encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString Decoded(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

QString FolderOnThisSystem(const QString& path, std::string_view mountTable) {
  if (!path.startsWith(QLatin1String("\\\\"))) return path;
  const std::string local = LocalFolderPath(Encoded(path), mountTable);
  // A share that is not mounted comes back as written, which names no
  // folder of this system.
  return local.rfind("\\\\", 0) == 0 ? QString() : Decoded(local);
}

QString UNCPathOfLocalFolder(const QString& path, std::string_view mountTable) {
  return Decoded(velloran::UNCPathOfLocalFolder(Encoded(path), mountTable));
}

bool FolderExists(const QString& path, std::string_view mountTable) {
  if (path.isEmpty()) return false;
  const QString local = FolderOnThisSystem(path, mountTable);
  return !local.isEmpty() && QFileInfo(local).isDir();
}

QString ClientPathOfChosenFolder(const QString& chosen, std::string_view mountTable) {
  if (chosen.isEmpty()) return {};
  const QString unc = UNCPathOfLocalFolder(chosen, mountTable);
  return unc.isEmpty() ? QDir::toNativeSeparators(chosen) : unc;
}

QString BrowseForFolder(QWidget* owner, DialogService& dialogs) {
  const QString title = QStringLiteral("Please select a folder.");
  return ClientPathOfChosenFolder(dialogs.ChooseFolder(owner, title, QDir::homePath()),
                                  dialogs.MountTable());
}

}  // namespace velloran
