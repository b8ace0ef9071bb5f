// The file commands: New, Open, Save, Save As and their prompts.

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/modINIDocument.h"
#include "toolkit/Dialogs.h"
#include "toolkit/frmNewINI.h"
#include "toolkit/frmWizard.h"

namespace velloran {
namespace {

const QString kINIFilter = QStringLiteral("Velloran (*.ini)");
const QString kINISuffix = QStringLiteral("ini");

std::string FileSystemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

QString frmWizard::DialogFolder() const {
  return documentPath_.isEmpty() ? QString() : QFileInfo(documentPath_).absolutePath();
}

frmWizard::SaveOutcome frmWizard::WriteDocument() {
  CopyControlsToRecord();
  INIDocument document(profile_, FileSystemPath(documentPath_));
  // The writer turns empty texts into single blanks in the record it is
  // given; the window's record keeps them empty, or they would come back
  // into the fields as blanks that trip the field checks.
  INISettings written = settings_;
  if (Status status = document.WriteINISettings(written); !status.ok()) {
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
