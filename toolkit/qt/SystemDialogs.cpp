#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "platform/AtomicFile.h"
#include "toolkit/qt/DialogService.h"

namespace velloran {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

struct Choice {
  QMessageBox::StandardButton button;
  MessageAnswer answer;
};

std::vector<Choice> ChoicesOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OK:
      break;
    case MessageButtons::OKCancel:
      return {{QMessageBox::Ok, MessageAnswer::OK}, {QMessageBox::Cancel, MessageAnswer::Cancel}};
    case MessageButtons::YesNo:
      return {{QMessageBox::Yes, MessageAnswer::Yes}, {QMessageBox::No, MessageAnswer::No}};
    case MessageButtons::YesNoCancel:
      return {{QMessageBox::Yes, MessageAnswer::Yes},
              {QMessageBox::No, MessageAnswer::No},
              {QMessageBox::Cancel, MessageAnswer::Cancel}};
  }
  return {{QMessageBox::Ok, MessageAnswer::OK}};
}

QString Chosen(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

QString ChooseFile(QWidget* parent, const FileRequest& request, QFileDialog::AcceptMode mode,
                   QFileDialog::FileMode files) {
  QFileDialog dialog(parent, request.Title, request.Folder, request.Filter);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(files);
  dialog.setDefaultSuffix(request.DefaultSuffix);
  if (!request.InitialName.isEmpty()) dialog.selectFile(request.InitialName);
  return Chosen(dialog);
}

}  // namespace

MessageAnswer CancellingAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OK:
      return MessageAnswer::OK;
    case MessageButtons::OKCancel:
    case MessageButtons::YesNoCancel:
      return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
      return MessageAnswer::No;
  }
  return MessageAnswer::Cancel;
}

MessageAnswer SystemDialogService::Message(QWidget* parent, const QString& text,
                                           const QString& title, MessageIcon icon,
                                           MessageButtons buttons) {
  QMessageBox box(ToQtIcon(icon), title, text, QMessageBox::NoButton, parent);
  const std::vector<Choice> choices = ChoicesOf(buttons);
  for (const Choice& c : choices) box.addButton(c.button);
  box.setDefaultButton(choices.front().button);
  box.setEscapeButton(choices.back().button);
  box.exec();
  auto* clicked = box.clickedButton();
  for (const Choice& c : choices) {
    if (clicked == box.button(c.button)) return c.answer;
  }
  return CancellingAnswer(buttons);
}

QString SystemDialogService::ChooseSaveFile(QWidget* parent, const FileRequest& request) {
  return ChooseFile(parent, request, QFileDialog::AcceptSave, QFileDialog::AnyFile);
}

QString SystemDialogService::ChooseOpenFile(QWidget* parent, const FileRequest& request) {
  FileRequest open = request;
  open.InitialName.clear();
  return ChooseFile(parent, open, QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
}

QString SystemDialogService::ChooseFolder(QWidget* parent, const QString& title,
                                          const QString& folder) {
  QFileDialog dialog(parent, title, folder);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  return Chosen(dialog);
}

int SystemDialogService::RunModal(QDialog& dialog) { return dialog.exec(); }

bool SystemDialogService::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

QString SystemDialogService::HelpFolder() {
  // help/ beside the program in a build tree, the shared folder once
  // installed.
  const QDir programDir(QCoreApplication::applicationDirPath());
  for (const QString& candidate :
       {programDir.filePath("help"), programDir.filePath("../share/velloran/help")}) {
    if (QFileInfo(candidate).isDir()) return QDir::cleanPath(candidate);
  }
  return {};
}

std::string SystemDialogService::MountTable() {
  auto table = ReadWholeFile("/proc/mounts");
  return table ? *table : std::string();
}

}  // namespace velloran
