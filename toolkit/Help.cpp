#include "toolkit/Help.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "toolkit/Dialogs.h"

namespace velloran::help {
namespace {

struct Page {
  int context;
  const char* file;
};

constexpr Page kPages[] = {
    {kGeneral, "general.html"},
    {kActiveDirectory, "active-directory.html"},
    {kServers, "servers.html"},
    {kNotification, "notification.html"},
    {kSMTPMail, "smtp-mail.html"},
    {kFileOutput, "file-output.html"},
    {kClientPopup, "client-popup.html"},
    {kEventLog, "event-log.html"},
    {kManualConfiguration, "manual-configuration.html"},
    {kPrinters, "printers.html"},
    {kMixed, "mixed.html"},
    {kSupport, "support.html"},
    {kDeploymentGeneral, "deployment-general.html"},
    {kDeploymentManual, "deployment.html"},
    {kMDAC, "mdac.html"},
    {kDeploymentOverview, "deployment-overview.html"},
    {kNewINIStartup, "new-ini-startup.html"},
    {kNewINI, "new-ini.html"},
};

constexpr int kContexts[] = {kGeneral,
                             kActiveDirectory,
                             kServers,
                             kNotification,
                             kSMTPMail,
                             kFileOutput,
                             kClientPopup,
                             kEventLog,
                             kManualConfiguration,
                             kPrinters,
                             kMixed,
                             kSupport,
                             kDeploymentGeneral,
                             kDeploymentManual,
                             kMDAC,
                             kDeploymentOverview,
                             kNewINIStartup,
                             kNewINI};

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
  return Dialogs::OpenUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

}  // namespace

QString PageForContext(int context) {
  for (const Page& p : kPages) {
    if (p.context == context) return QString::fromLatin1(p.file);
  }
  return {};
}

QString ContentsPage() { return QStringLiteral("index.html"); }

std::span<const int> AllContexts() { return kContexts; }

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
  const QString file = PageForContext(context);
  return Open(parent, file.isEmpty() ? ContentsPage() : file);
}

bool ShowHelpContents(QWidget* parent) { return Open(parent, ContentsPage()); }

}  // namespace velloran::help
