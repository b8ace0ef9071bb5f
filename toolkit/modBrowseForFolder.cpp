#include "toolkit/modBrowseForFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "platform/AtomicFile.h"
#include "platform/NetworkFolder.h"
#include "toolkit/Dialogs.h"

#ifdef Q_OS_WIN
// windows.h first: the shell and network headers need its types.
// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on
#endif

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
#ifdef Q_OS_WIN
  return path;
#else
  if (!path.startsWith(QLatin1String("\\\\"))) return path;
  const std::string local = LocalFolderPath(Encoded(path), ReadMountTable());
  // A share that is not mounted comes back as written, which names no
  // folder of this system.
  return local.rfind("\\\\", 0) == 0 ? QString() : Decoded(local);
#endif
}

QString UNCPathOfLocalFolder(const QString& path) {
#ifdef Q_OS_WIN
  Q_UNUSED(path);
  return {};
#else
  return Decoded(velloran::UNCPathOfLocalFolder(Encoded(path), ReadMountTable()));
#endif
}

bool FolderExists(const QString& path) {
  if (path.isEmpty()) return false;
  const QString local = FolderOnThisSystem(path);
  return !local.isEmpty() && QFileInfo(local).isDir();
}

QString BrowseForFolder(QWidget* owner) {
  const QString title = QStringLiteral("Please select a folder.");
#ifdef Q_OS_WIN
  if (!Dialogs::TestMode()) {
    BROWSEINFOW info{};
    info.hwndOwner = owner ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
    info.pidlRoot = nullptr;  // the desktop
    const std::wstring wideTitle = title.toStdWString();
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&info);
    if (!item) return {};
    wchar_t path[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListW(item, path);
    ::CoTaskMemFree(item);
    return ok ? QString::fromWCharArray(path) : QString();
  }
  return Dialogs::FolderName(owner, title, QString());
#else
  const QString chosen = Dialogs::FolderName(owner, title, QDir::homePath());
  if (chosen.isEmpty()) return {};
  const QString unc = UNCPathOfLocalFolder(chosen);
  return unc.isEmpty() ? QDir::toNativeSeparators(chosen) : unc;
#endif
}

}  // namespace velloran
