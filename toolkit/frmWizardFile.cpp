// The file commands: New, Open, Save, Save As and their prompts.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <filesystem>
#include <system_error>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/modINIDocument.h"
#include "platform/AtomicFile.h"
#include "toolkit/Dialogs.h"
#include "toolkit/frmNewINI.h"
#include "toolkit/frmWizard.h"

namespace velloran {
namespace {

const QString kINIFilter = QStringLiteral("Velloran (*.ini)");
const QString kINISuffix = QStringLiteral("ini");

std::string FileSystemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The profile functions write one key at a time, each a whole-file write of
// its own. A save that fails part-way (a full share, a quota) would leave the
// keys written before it beside the old rest: a file that is neither the old
// document nor the new one. So the keys go into a copy beside the file, and
// the copy replaces the file only when every key was written.
Status WriteWholeDocument(ProfileFunctions& profile, const QString& documentPath,
                          INISettings& written) {
  auto direct = [&] {
    return INIDocument(profile, FileSystemPath(documentPath)).WriteINISettings(written);
  };
  // Saving through a link changes the file it names, not the link.
  const QFileInfo info(documentPath);
  const bool existed = info.exists();
  const QString target = existed ? info.canonicalFilePath() : info.absoluteFilePath();
  // A read-only file, a folder or a file that cannot be read: the writer
  // refuses or fails as it would anyway, and says why.
  if (target.isEmpty() ||
      (existed && (!QFileInfo(target).isFile() || IsReadOnlyFile(FileSystemPath(target)))))
    return direct();
  std::string old;
  if (existed) {
    auto content = ReadWholeFile(FileSystemPath(target));
    if (!content) return direct();
    old = std::move(*content);
  }

  QTemporaryFile copy(target + QStringLiteral(".XXXXXX"));
  if (!copy.open()) return direct();
  const std::string copyPath = FileSystemPath(copy.fileName());
  if (copy.write(old.data(), static_cast<qint64>(old.size())) != static_cast<qint64>(old.size()) ||
      !copy.flush()) {
    // Nothing of the document has been touched: report what stopped the copy.
    return PlatformError{copy.error() == QFileDevice::ResourceError ? ENOSPC : EIO,
                         copy.errorString().toStdString()};
  }
  copy.close();
  if (Status status = INIDocument(profile, copyPath).WriteINISettings(written); !status.ok())
    return status;

  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path from(copyPath), to(FileSystemPath(target));
  if (existed) {
    fs::permissions(from, fs::status(to, error).permissions(), error);
#ifndef _WIN32
    // Kept where we may (root saving another user's file), as the writer does.
    struct stat st {};
    if (::stat(to.c_str(), &st) == 0 && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()))
      (void)::chown(from.c_str(), st.st_uid, st.st_gid);
#endif
  } else {
    fs::permissions(from,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                        fs::perms::others_read,
                    error);
  }
  fs::rename(from, to, error);
  if (error) return PlatformError{error.value(), error.message()};
  copy.setAutoRemove(false);  // it is the document now
  return Status::Ok();
}

}  // namespace

QString frmWizard::DialogFolder() const {
  return documentPath_.isEmpty() ? QString() : QFileInfo(documentPath_).absolutePath();
}

frmWizard::SaveOutcome frmWizard::WriteDocument() {
  CopyControlsToRecord();
  // The writer turns empty texts into single blanks in the record it is
  // given; the window's record keeps them empty, or they would come back
  // into the fields as blanks that trip the field checks.
  INISettings written = settings_;
  if (Status status = WriteWholeDocument(profile_, documentPath_, written); !status.ok()) {
    // The changes are still only in the window: say so, and keep them
    // marked so that leaving asks again.
    unsavedChanges_ = true;
    Dialogs::Message(this,
                     QStringLiteral("The INI file could not be saved to %1. Your changes have "
                                    "not been written; please check that the folder exists and "
                                    "that you may write to it, or save to another file with "
                                    "Save As.\n\nError:%2\nError Description:%3")
                         .arg(QDir::toNativeSeparators(documentPath_))
                         .arg(status.error().Number)
                         .arg(QString::fromStdString(status.error().Description)),
                     "Error Saving", MessageIcon::Critical, MessageButtons::OK);
    return SaveOutcome::Failed;
  }
  unsavedChanges_ = false;
  return SaveOutcome::Written;
}

frmWizard::SaveOutcome frmWizard::WriteToPathOrSaveAs() {
  if (documentPath_.isEmpty()) return SaveINIAs();
  return WriteDocument();
}

frmWizard::SaveOutcome frmWizard::SaveINI() {
  if (!unsavedChanges_) return SaveOutcome::NothingToDo;
  return WriteToPathOrSaveAs();
}

frmWizard::SaveOutcome frmWizard::SaveINIAs() {
  const QString path = Dialogs::SaveFileName(this, "Save INI file As ...", DialogFolder(),
                                             "UNTITLED.INI", kINIFilter, kINISuffix);
  if (QFileInfo(path).fileName().isEmpty()) return SaveOutcome::Cancelled;
  documentPath_ = path;
  documentName_ = QFileInfo(path).fileName();
  unsavedChanges_ = false;
  return WriteDocument();
}

bool frmWizard::AskToSaveBefore(const QString& question) {
  if (!unsavedChanges_) return true;
  if (Dialogs::Message(this, question, "Save?", MessageIcon::Question, MessageButtons::YesNo) !=
      MessageAnswer::Yes) {
    return true;
  }
  // A cancelled Save As, or a file that could not be written, abandons the
  // command: the window still holds the only copy of the changes.
  return WriteToPathOrSaveAs() == SaveOutcome::Written;
}

void frmWizard::NewINI() {
  if (!AskToSaveBefore("Do you want to save your changes before creating a new INI file?")) {
    return;
  }
  frmNewINI newINI(this);
  newINI.SelectActiveDirectory(true);
  newINI.OfferExisting(false);
  Dialogs::Modal(newINI);
  if (!newINI.g_bolCancelPressed) {
    StartNewDocument();
    if (newINI.ActiveDirectorySelected()) {
      settings_.UseActiveDirectory = true;
    } else {
      settings_.UseManualDefinitions = true;
    }
  }
  CopyRecordToControls();
  InitializeTreeView();
  unsavedChanges_ = false;
}

void frmWizard::OpenINI() {
  if (!AskToSaveBefore("Do you want to save your changes before opening a new INI file?")) {
    return;
  }
  const QString path =
      Dialogs::OpenFileName(this, "Open INI File ...", DialogFolder(), kINIFilter, kINISuffix);
  if (QFileInfo(path).fileName().isEmpty()) return;
  documentPath_ = path;
  documentName_ = QFileInfo(path).fileName();
  unsavedChanges_ = false;
  INIDocument document(profile_, FileSystemPath(documentPath_));
  document.ReadINISettings(settings_);
  CopyRecordToControls();
  InitializeTreeView();
  unsavedChanges_ = false;
}

}  // namespace velloran
