#include "toolkit/modBrowseForFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QWidget>

#include "toolkit/Dialogs.h"

#ifdef Q_OS_WIN
#include <windows.h>

#include <shlobj.h>
#endif

namespace velloran {
namespace {

QStringList UNCParts(const QString& path) {
  return path.split(QRegularExpression(R"([\\/])"), Qt::SkipEmptyParts);
}

bool IsUNC(const QString& path) {
  return path.size() > 2 && (path.startsWith(QLatin1String("\\\\")) ||
                             path.startsWith(QLatin1String("//")));
}

// /proc/mounts escapes blanks, tabs, newlines and backslashes as \ooo.
QString UnescapeMountField(const QString& field) {
  QByteArray in = field.toUtf8(), out;
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] == '\\' && i + 3 < in.size()) {
      bool ok = false;
      const int code = in.mid(i + 1, 3).toInt(&ok, 8);
      if (ok) {
        out.append(static_cast<char>(code));
        i += 3;
        continue;
      }
    }
    out.append(in[i]);
  }
  return QString::fromUtf8(out);
}

struct CIFSMount {
  QStringList Source;  ///< server, share and any folders below it
  QString MountPoint;
};

std::vector<CIFSMount> CIFSMounts(const QString& mountsText) {
  std::vector<CIFSMount> mounts;
  for (const QString& line : mountsText.split('\n', Qt::SkipEmptyParts)) {
    const QStringList fields = line.split(' ', Qt::SkipEmptyParts);
    if (fields.size() < 3) continue;
    const QString type = fields[2];
    if (type != QLatin1String("cifs") && type != QLatin1String("smb3") &&
        type != QLatin1String("smbfs")) {
      continue;
    }
    QStringList source = UNCParts(UnescapeMountField(fields[0]));
    if (source.size() < 2) continue;
    mounts.push_back({std::move(source), UnescapeMountField(fields[1])});
  }
  return mounts;
}

QString& MountTableOverride() {
  static QString path;
  return path;
}

}  // namespace

QString ResolveUNCPath(const QString& uncPath, const QString& mountsText) {
  if (!IsUNC(uncPath)) return {};
  const QStringList wanted = UNCParts(uncPath);
  if (wanted.size() < 2) return {};  // a bare \\server is no folder

  QString best;
  qsizetype bestLength = 0;
  for (const CIFSMount& mount : CIFSMounts(mountsText)) {
    const QStringList& source = mount.Source;
    if (source.size() > wanted.size() || source.size() <= bestLength) continue;
    bool match = true;
    for (qsizetype i = 0; i < source.size() && match; ++i) {
      match = source[i].compare(wanted[i], Qt::CaseInsensitive) == 0;
    }
    if (!match) continue;
    QString local = mount.MountPoint;
    for (qsizetype i = source.size(); i < wanted.size(); ++i) local += '/' + wanted[i];
    best = local;
    bestLength = source.size();
  }
  return best;
}

QString UNCPathOfLocalFolder(const QString& localPath, const QString& mountsText) {
  const QString path = QDir::cleanPath(localPath);
  QString best;
  qsizetype bestLength = -1;
  for (const CIFSMount& mount : CIFSMounts(mountsText)) {
    const QString point = QDir::cleanPath(mount.MountPoint);
    QString rest;
    if (path == point) {
      rest.clear();
    } else if (path.startsWith(point == "/" ? point : point + '/')) {
      rest = path.mid(point == "/" ? 1 : point.size() + 1);
    } else {
      continue;
    }
    // The deepest mount point holds the folder when mounts are nested.
    if (point.size() <= bestLength) continue;
    QStringList parts = mount.Source;
    parts += rest.split('/', Qt::SkipEmptyParts);
    best = QStringLiteral("\\\\") + parts.join('\\');
    bestLength = point.size();
  }
  return best;
}

QStringList CIFSMountPoints(const QString& mountsText) {
  QStringList points;
  for (const CIFSMount& mount : CIFSMounts(mountsText)) points << mount.MountPoint;
  return points;
}

void SetMountTableFile(const QString& path) { MountTableOverride() = path; }

QString MountTableFile() {
  return MountTableOverride().isEmpty() ? QStringLiteral("/proc/mounts") : MountTableOverride();
}

QString ReadMountTable() {
  QFile mounts(MountTableFile());
  if (!mounts.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(mounts.readAll());
}

QString LocalFolderPath(const QString& path) {
#ifdef Q_OS_WIN
  return path;
#else
  if (path.startsWith(QLatin1String("\\\\"))) return ResolveUNCPath(path, ReadMountTable());
  return path;
#endif
}

bool FolderExists(const QString& path) {
  if (path.isEmpty()) return false;
  const QString local = LocalFolderPath(path);
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
  const QString unc = UNCPathOfLocalFolder(chosen, ReadMountTable());
  return unc.isEmpty() ? QDir::toNativeSeparators(chosen) : unc;
#endif
}

}  // namespace velloran
