#include "toolkit/qt/Dialogs.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <deque>

namespace velloran {
namespace {

// Test-only state. The document itself never lives here.
struct HookState {
  bool testMode = false;
  std::deque<MessageAnswer> answers;
  std::deque<QString> fileNames;
  std::deque<std::function<void(QDialog&)>> dialogActions;
  std::vector<ShownDialog> shown;
  int unplanned = 0;
};

HookState& Hooks() {
  static HookState state;
  return state;
}

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

QString ServeFileName(ShownDialog shown) {
  HookState& h = Hooks();
  QString path;
  if (!h.fileNames.empty()) {
    path = h.fileNames.front();
    h.fileNames.pop_front();
    shown.Planned = true;
  } else {
    ++h.unplanned;
  }
  h.shown.push_back(std::move(shown));
  return path;
}

}  // namespace

MessageAnswer Dialogs::Message(QWidget* parent, const QString& text, const QString& title,
                               MessageIcon icon, MessageButtons buttons) {
  HookState& h = Hooks();
  if (h.testMode) {
    ShownDialog shown{ShownDialog::Kind::Message, text, title, icon, buttons, {}, {}, {}, false};
    MessageAnswer answer = CancellingAnswer(buttons);
    if (!h.answers.empty()) {
      answer = h.answers.front();
      h.answers.pop_front();
      shown.Planned = true;
    } else if (buttons != MessageButtons::OK) {
      ++h.unplanned;  // a box with a single button needs no planned answer
    }
    h.shown.push_back(std::move(shown));
    return answer;
  }

  QMessageBox box(ToQtIcon(icon), title, text, QMessageBox::NoButton, parent);
  struct Choice {
    QMessageBox::StandardButton button;
    MessageAnswer answer;
  };
  std::vector<Choice> choices;
  switch (buttons) {
    case MessageButtons::OK:
      choices = {{QMessageBox::Ok, MessageAnswer::OK}};
      break;
    case MessageButtons::OKCancel:
      choices = {{QMessageBox::Ok, MessageAnswer::OK},
                 {QMessageBox::Cancel, MessageAnswer::Cancel}};
      break;
    case MessageButtons::YesNo:
      choices = {{QMessageBox::Yes, MessageAnswer::Yes}, {QMessageBox::No, MessageAnswer::No}};
      break;
    case MessageButtons::YesNoCancel:
      choices = {{QMessageBox::Yes, MessageAnswer::Yes},
                 {QMessageBox::No, MessageAnswer::No},
                 {QMessageBox::Cancel, MessageAnswer::Cancel}};
      break;
  }
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

QString Dialogs::SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                              const QString& initialName, const QString& filter,
                              const QString& defaultSuffix) {
  if (Hooks().testMode) {
    return ServeFileName({ShownDialog::Kind::SaveFile,
                          {},
                          title,
                          MessageIcon::None,
                          MessageButtons::OK,
                          filter,
                          initialName,
                          defaultSuffix,
                          false});
  }
  QFileDialog dialog(parent, title, folder, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(defaultSuffix);
  dialog.selectFile(initialName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

QString Dialogs::OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                              const QString& filter, const QString& defaultSuffix) {
  if (Hooks().testMode) {
    return ServeFileName({ShownDialog::Kind::OpenFile,
                          {},
                          title,
                          MessageIcon::None,
                          MessageButtons::OK,
                          filter,
                          {},
                          defaultSuffix,
                          false});
  }
  QFileDialog dialog(parent, title, folder, filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

QString Dialogs::FolderName(QWidget* parent, const QString& title, const QString& folder) {
  if (Hooks().testMode) {
    return ServeFileName({ShownDialog::Kind::Folder,
                          folder,
                          title,
                          MessageIcon::None,
                          MessageButtons::OK,
                          {},
                          {},
                          {},
                          false});
  }
  QFileDialog dialog(parent, title, folder);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

int Dialogs::Modal(QDialog& dialog) {
  HookState& h = Hooks();
  if (!h.testMode) return dialog.exec();

  ShownDialog shown{ShownDialog::Kind::Modal,
                    dialog.objectName(),
                    dialog.windowTitle(),
                    MessageIcon::None,
                    MessageButtons::OK,
                    {},
                    {},
                    {},
                    false};
  if (h.dialogActions.empty()) {
    ++h.unplanned;
    h.shown.push_back(std::move(shown));
    dialog.setResult(QDialog::Rejected);
    return QDialog::Rejected;
  }
  auto action = std::move(h.dialogActions.front());
  h.dialogActions.pop_front();
  shown.Planned = true;
  h.shown.push_back(std::move(shown));
  dialog.setResult(QDialog::Rejected);
  dialog.show();
  action(dialog);
  if (dialog.isVisible()) dialog.reject();
  return dialog.result();
}

bool Dialogs::OpenUrl(const QUrl& url) {
  HookState& h = Hooks();
  if (h.testMode) {
    h.shown.push_back({ShownDialog::Kind::Url,
                       url.toString(),
                       {},
                       MessageIcon::None,
                       MessageButtons::OK,
                       {},
                       {},
                       {},
                       true});
    return true;
  }
  return QDesktopServices::openUrl(url);
}

void Dialogs::SetTestMode(bool on) {
  Reset();
  Hooks().testMode = on;
}

bool Dialogs::TestMode() { return Hooks().testMode; }

void Dialogs::SetNextAnswer(MessageAnswer answer) { Hooks().answers.push_back(answer); }

void Dialogs::SetNextFileName(const QString& path) { Hooks().fileNames.push_back(path); }

void Dialogs::SetNextDialogAction(std::function<void(QDialog&)> action) {
  Hooks().dialogActions.push_back(std::move(action));
}

const std::vector<ShownDialog>& Dialogs::Shown() { return Hooks().shown; }

void Dialogs::Reset() {
  HookState& h = Hooks();
  h.answers.clear();
  h.fileNames.clear();
  h.dialogActions.clear();
  h.shown.clear();
  h.unplanned = 0;
}

int Dialogs::Unplanned() { return Hooks().unplanned; }

int Dialogs::PendingAnswers() {
  const HookState& h = Hooks();
  return static_cast<int>(h.answers.size() + h.fileNames.size() + h.dialogActions.size());
}

}  // namespace velloran
