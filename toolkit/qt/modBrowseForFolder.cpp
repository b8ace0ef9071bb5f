#include "toolkit/qt/modBrowseForFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "platform/AtomicFile.h"
#include "platform/NetworkFolder.h"
#include "toolkit/qt/Dialogs.h"

namespace velloran {
namespace {

QString& MountTableOverride() {
  static QString path;
  return path;
}

std::string Encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString Decoded(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

void SetMountTableFile(const QString& path) { MountTableOverride() = path; }

QString MountTableFile() {
  return MountTableOverride().isEmpty() ? QStringLiteral("/proc/mounts") : MountTableOverride();
}

std::string ReadMountTable() {
  auto table = ReadWholeFile(Encoded(MountTableFile()));
  return table ? *table : std::string();
}

QString FolderOnThisSystem(const QString& path) {
  if (!path.startsWith(QLatin1String("\\\\"))) return path;
  const std::string local = LocalFolderPath(Encoded(path), ReadMountTable());
  // A share that is not mounted comes back as written, which names no
  // folder of this system.
  return local.rfind("\\\\", 0) == 0 ? QString() : Decoded(local);
}

QString UNCPathOfLocalFolder(const QString& path) {
  return Decoded(velloran::UNCPathOfLocalFolder(Encoded(path), ReadMountTable()));
}

bool FolderExists(const QString& path) {
  if (path.isEmpty()) return false;
  const QString local = FolderOnThisSystem(path);
  return !local.isEmpty() && QFileInfo(local).isDir();
}

QString BrowseForFolder(QWidget* owner) {
  const QString title = QStringLiteral("Please select a folder.");
  const QString chosen = Dialogs::FolderName(owner, title, QDir::homePath());
  if (chosen.isEmpty()) return {};
  const QString unc = UNCPathOfLocalFolder(chosen);
  return unc.isEmpty() ? QDir::toNativeSeparators(chosen) : unc;
}

}  // namespace velloran
