#include "toolkit/qt/Help.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "toolkit/qt/Dialogs.h"

namespace velloran::help {
namespace {

QString& FolderOverride() {
  static QString folder;
  return folder;
}

bool Open(QWidget* parent, const QString& file) {
  const QString folder = HelpFolder();
  const QString path = folder.isEmpty() ? QString() : QDir(folder).filePath(file);
  if (path.isEmpty() || !QFileInfo::exists(path)) {
    Dialogs::Message(parent,
                     "The help page " + file +
                         " could not be found. The help pages are installed in the folder "
                         "\"help\" beside the Velloran Deployment Toolkit program.",
                     "Help", MessageIcon::Exclamation, MessageButtons::OK);
    return false;
  }
  const QString absolute = QFileInfo(path).absoluteFilePath();
  if (Dialogs::OpenUrl(QUrl::fromLocalFile(absolute))) return true;
  Dialogs::Message(parent,
                   "No web browser could be started to show the help page. Please open " +
                       QDir::toNativeSeparators(absolute) + " in a web browser.",
                   "Help", MessageIcon::Exclamation, MessageButtons::OK);
  return false;
}

}  // namespace

QString HelpPageFile(int context) {
  const std::string_view file = PageForContext(context);
  return QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size()));
}

void SetHelpFolder(const QString& folder) { FolderOverride() = folder; }

QString HelpFolder() {
  if (!FolderOverride().isEmpty()) return FolderOverride();
  const QDir programDir(QCoreApplication::applicationDirPath());
  for (const QString& candidate :
       {programDir.filePath("help"), programDir.filePath("../share/velloran/help")}) {
    if (QFileInfo(candidate).isDir()) return QDir::cleanPath(candidate);
  }
  return {};
}

bool ShowHelp(QWidget* parent, int context) {
  const QString file = HelpPageFile(context);
  return Open(parent, file.isEmpty() ? QString::fromUtf8(kContentsPage.data()) : file);
}

bool ShowHelpContents(QWidget* parent) {
  return Open(parent, QString::fromUtf8(kContentsPage.data()));
}

}  // namespace velloran::help
