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

QString ScriptedDialogs::ChooseSaveFile(QWidget*, const FileRequest& r) {
  return ServeFileName({ShownDialog::Kind::SaveFile, {}, r.Title, MessageIcon::None,
                        MessageButtons::OK, r.Filter, r.InitialName, r.DefaultSuffix, false});
}

QString ScriptedDialogs::ChooseOpenFile(QWidget*, const FileRequest& r) {
  return ServeFileName({ShownDialog::Kind::OpenFile, {}, r.Title, MessageIcon::None,
                        MessageButtons::OK, r.Filter, {}, r.DefaultSuffix, false});
}

QString ScriptedDialogs::ChooseFolder(QWidget*, const QString& title, const QString& folder) {
  return ServeFileName({ShownDialog::Kind::Folder, folder, title, MessageIcon::None,
                        MessageButtons::OK, {}, {}, {}, false});
}

int ScriptedDialogs::RunModal(QDialog& dialog) {
  ShownDialog shown{ShownDialog::Kind::Modal,
                    dialog.objectName(),
                    dialog.windowTitle(),
                    MessageIcon::None,
                    MessageButtons::OK,
                    {},
                    {},
                    {},
                    !dialogActions_.empty()};
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
  shown_.push_back({ShownDialog::Kind::Url, url.toString(), {}, MessageIcon::None,
                    MessageButtons::OK, {}, {}, {}, true});
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
