#include "toolkit/qt/Help.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "toolkit/core/HelpContexts.h"
#include "toolkit/qt/DialogService.h"

namespace velloran::help {
namespace {

bool Open(QWidget* parent, DialogService& dialogs, const QString& file) {
  const QString folder = dialogs.HelpFolder();
  const QString path = folder.isEmpty() ? QString() : QDir(folder).filePath(file);
  if (path.isEmpty() || !QFileInfo::exists(path)) {
    dialogs.Message(parent, QString::fromStdString(help::PageMissingMessage(file.toStdString())),
                    "Help", MessageIcon::Exclamation, MessageButtons::OK);
    return false;
  }
  const QString absolute = QFileInfo(path).absoluteFilePath();
  if (dialogs.OpenUrl(QUrl::fromLocalFile(absolute))) return true;
  dialogs.Message(parent,
                  QString::fromStdString(
                      help::NoBrowserMessage(QDir::toNativeSeparators(absolute).toStdString())),
                  "Help", MessageIcon::Exclamation, MessageButtons::OK);
  return false;
}

}  // namespace

QString HelpPageFile(int context) {
  const std::string_view file = PageForContext(context);
  return QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size()));
}

bool ShowHelp(QWidget* parent, DialogService& dialogs, int context) {
  const QString file = HelpPageFile(context);
  return Open(parent, dialogs, file.isEmpty() ? QString::fromUtf8(kContentsPage.data()) : file);
}

bool ShowHelpContents(QWidget* parent, DialogService& dialogs) {
  return Open(parent, dialogs, QString::fromUtf8(kContentsPage.data()));
}

}  // namespace velloran::help
