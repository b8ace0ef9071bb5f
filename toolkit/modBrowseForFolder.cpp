#include "toolkit/modBrowseForFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace velloran {
namespace {

QStringList UNCParts(const QString& path) {
  return path.split(QRegularExpression(R"([\\/])"), Qt::SkipEmptyParts);
}

bool IsUNC(const QString& path) {
  return path.size() > 2 &&
         (path.startsWith(QLatin1String("\\\\")) || path.startsWith(QLatin1String("//")));
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

}  // namespace

QString ResolveUNCPath(const QString& uncPath, const QString& mountsText) {
  if (!IsUNC(uncPath)) return {};
  const QStringList wanted = UNCParts(uncPath);
  if (wanted.size() < 2) return {};  // a bare \\server is no folder

  QString best;
  qsizetype bestLength = 0;
  for (const QString& line : mountsText.split('\n', Qt::SkipEmptyParts)) {
    const QStringList fields = line.split(' ', Qt::SkipEmptyParts);
    if (fields.size() < 3) continue;
    const QString type = fields[2];
    if (type != QLatin1String("cifs") && type != QLatin1String("smb3") &&
        type != QLatin1String("smbfs")) {
      continue;
    }
    const QStringList source = UNCParts(UnescapeMountField(fields[0]));
    if (source.size() < 2 || source.size() > wanted.size() || source.size() <= bestLength) continue;
    bool match = true;
    for (qsizetype i = 0; i < source.size() && match; ++i) {
      match = source[i].compare(wanted[i], Qt::CaseInsensitive) == 0;
    }
    if (!match) continue;
    QString local = UnescapeMountField(fields[1]);
    for (qsizetype i = source.size(); i < wanted.size(); ++i) local += '/' + wanted[i];
    best = local;
    bestLength = source.size();
  }
  return best;
}

bool FolderExists(const QString& path) {
  if (path.isEmpty()) return false;
#ifdef Q_OS_WIN
  return QFileInfo(path).isDir();
#else
  if (IsUNC(path) && path.startsWith(QLatin1String("\\\\"))) {
    QFile mounts(QStringLiteral("/proc/mounts"));
    if (!mounts.open(QIODevice::ReadOnly)) return false;
    const QString local = ResolveUNCPath(path, QString::fromUtf8(mounts.readAll()));
    return !local.isEmpty() && QFileInfo(local).isDir();
  }
  return QFileInfo(path).isDir();
#endif
}

}  // namespace velloran
