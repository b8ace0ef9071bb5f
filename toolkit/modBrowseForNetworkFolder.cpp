#include "toolkit/modBrowseForNetworkFolder.h"

#include <QDir>
#include <QFile>
#include <QWidget>

#include "platform/NetworkFolder.h"
#include "toolkit/Dialogs.h"
#include "toolkit/modBrowseForFolder.h"

#ifdef Q_OS_WIN
// windows.h first: the shell and network headers need its types.
// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on
#endif

namespace velloran {
namespace {

#ifndef Q_OS_WIN
// Where the administrator most likely finds the shares: the first CIFS mount
// point, else the usual parent of mount points.
QString StartFolder() {
  const std::vector<std::string> points = NetworkMountPoints(ReadMountTable());
  if (!points.empty()) return QFile::decodeName(QByteArray::fromStdString(points.front()));
  return QDir(QStringLiteral("/mnt")).exists() ? QStringLiteral("/mnt") : QDir::rootPath();
}
#endif

}  // namespace

QString BrowseForNetworkFolder(QWidget* owner) {
  const QString title = QStringLiteral("Select a network computer or share.");
#ifdef Q_OS_WIN
  if (!Dialogs::TestMode()) {
    PIDLIST_ABSOLUTE network = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, &network))) return {};
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
    info.pidlRoot = network;
    info.pszDisplayName = displayName;
    const std::wstring wideTitle = title.toStdWString();
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&info);
    ::CoTaskMemFree(network);
    if (!item) return {};
    wchar_t path[MAX_PATH] = {};
    QString chosen;
    if (::SHGetPathFromIDListW(item, path)) {
      chosen = QString::fromWCharArray(path);
    } else {
      // A computer is no file-system folder: name it the way a UNC path
      // starts.
      chosen = QStringLiteral("\\\\") + QString::fromWCharArray(displayName);
    }
    ::CoTaskMemFree(item);
    return chosen;
  }
  return Dialogs::FolderName(owner, title, QString());
#else
  const QString chosen = Dialogs::FolderName(owner, title, StartFolder());
  if (chosen.isEmpty()) return {};
  const QString unc = UNCPathOfLocalFolder(chosen);
  return unc.isEmpty() ? QDir::toNativeSeparators(chosen) : unc;
#endif
}

}  // namespace velloran
