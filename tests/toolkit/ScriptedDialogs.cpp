#include "ScriptedDialogs.h"

#include <QDialog>
#include <QFile>

namespace velloran::test {

MessageAnswer ScriptedDialogs::Message(QWidget*, const QString& text, const QString& title,
                                       MessageIcon icon, MessageButtons buttons) {
  ShownDialog shown{ShownDialog::Kind::Message, text, title, icon, buttons, {}, {}, {}, false};
  MessageAnswer answer = CancellingAnswer(buttons);
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
    shown.Planned = true;
  } else if (buttons != MessageButtons::OK) {
    ++unplanned_;
  }
  shown_.push_back(std::move(shown));
  return answer;
}

QString ScriptedDialogs::ServeFileName(ShownDialog shown) {
  QString path;
  if (!fileNames_.empty()) {
    path = fileNames_.front();
    fileNames_.pop_front();
    shown.Planned = true;
  } else {
    ++unplanned_;
  }
  shown_.push_back(std::move(shown));
  return path;
}

namespace {

ShownDialog FileDialog(ShownDialog::Kind kind, const FileRequest& request) {
  ShownDialog shown;
  shown.kind = kind;
  shown.Title = request.Title;
  shown.Filter = request.Filter;
  shown.InitialName = request.InitialName;
  shown.DefaultSuffix = request.DefaultSuffix;
  return shown;
}

}  // namespace

QString ScriptedDialogs::ChooseSaveFile(QWidget*, const FileRequest& request) {
  return ServeFileName(FileDialog(ShownDialog::Kind::SaveFile, request));
}

QString ScriptedDialogs::ChooseOpenFile(QWidget*, const FileRequest& request) {
  FileRequest open = request;
  open.InitialName.clear();
  return ServeFileName(FileDialog(ShownDialog::Kind::OpenFile, open));
}

QString ScriptedDialogs::ChooseFolder(QWidget*, const QString& title, const QString& folder) {
  ShownDialog shown;
  shown.kind = ShownDialog::Kind::Folder;
  shown.Text = folder;
  shown.Title = title;
  return ServeFileName(shown);
}

int ScriptedDialogs::RunModal(QDialog& dialog) {
  ShownDialog shown;
  shown.kind = ShownDialog::Kind::Modal;
  shown.Text = dialog.objectName();
  shown.Title = dialog.windowTitle();
  shown.Planned = !dialogActions_.empty();
  shown_.push_back(std::move(shown));
  dialog.setResult(QDialog::Rejected);
  if (dialogActions_.empty()) {
    ++unplanned_;
    return QDialog::Rejected;
  }
  auto action = std::move(dialogActions_.front());
  dialogActions_.pop_front();
  dialog.show();
  action(dialog);
  if (dialog.isVisible()) dialog.reject();
  return dialog.result();
}

bool ScriptedDialogs::OpenUrl(const QUrl& url) {
  ShownDialog shown;
  shown.kind = ShownDialog::Kind::Url;
  shown.Text = url.toString();
  shown.Planned = true;
  shown_.push_back(std::move(shown));
  const bool started = !browserFails_;
  browserFails_ = false;
  return started;
}

std::string ScriptedDialogs::MountTable() {
  if (mountTable_.isEmpty()) return SystemDialogService().MountTable();
  QFile file(mountTable_);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void ScriptedDialogs::Reset() {
  answers_.clear();
  fileNames_.clear();
  dialogActions_.clear();
  shown_.clear();
  unplanned_ = 0;
  browserFails_ = false;
}

int ScriptedDialogs::PendingAnswers() const {
  return static_cast<int>(answers_.size() + fileNames_.size() + dialogActions_.size());
}

}  // namespace velloran::test
