#pragma once
// The dialog service of the toolkit's tests: nothing is shown, queued
// answers are served in order, and every dialog asked for is recorded.

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "toolkit/qt/DialogService.h"

namespace velloran::test {

/// One dialog as the toolkit asked for it.
struct ShownDialog {
  enum class Kind { Message, SaveFile, OpenFile, Modal, Url, Folder };
  Kind kind = Kind::Message;
  /// message text, URL, the modal window's object name, or the picker's
  /// start folder
  QString Text;
  QString Title;  ///< caption of the box or file dialog
  MessageIcon Icon = MessageIcon::None;
  MessageButtons Buttons = MessageButtons::OK;
  QString Filter, InitialName, DefaultSuffix;  ///< file dialogs only
  bool Planned = false;                        ///< a queued answer served it
};

/// A dialog without a queued answer gets its cancelling answer and counts as
/// unplanned (a box with only OK has nothing to plan).
class ScriptedDialogs : public DialogService {
 public:
  MessageAnswer Message(QWidget* parent, const QString& text, const QString& title,
                        MessageIcon icon, MessageButtons buttons) override;
  QString ChooseSaveFile(QWidget* parent, const FileRequest& request) override;
  QString ChooseOpenFile(QWidget* parent, const FileRequest& request) override;
  QString ChooseFolder(QWidget* parent, const QString& title, const QString& folder) override;
  /// Shows the window without blocking and hands it to the queued action,
  /// which works its controls; if it is still open afterwards it is rejected.
  int RunModal(QDialog& dialog) override;
  /// Recorded; a browser always starts unless FailBrowser() was called.
  bool OpenUrl(const QUrl& url) override;
  QString HelpFolder() override { return helpFolder_; }
  /// The text of the file SetMountTableFile() named, else this system's.
  std::string MountTable() override;

  void SetNextAnswer(MessageAnswer answer) { answers_.push_back(answer); }
  /// The next file dialog or folder picker returns `path`; "" stands for
  /// Cancel.
  void SetNextFileName(const QString& path) { fileNames_.push_back(path); }
  void SetNextDialogAction(std::function<void(QDialog&)> action) {
    dialogActions_.push_back(std::move(action));
  }
  void SetHelpFolder(const QString& folder) { helpFolder_ = folder; }
  /// "" restores this system's mount table.
  void SetMountTableFile(const QString& path) { mountTable_ = path; }
  QString MountTableFile() const { return mountTable_; }
  /// The next browser start fails.
  void FailBrowser() { browserFails_ = true; }

  const std::vector<ShownDialog>& Shown() const { return shown_; }
  /// Forgets what was shown and drops queued answers that were not used.
  void Reset();
  int Unplanned() const { return unplanned_; }
  int PendingAnswers() const;

 private:
  QString ServeFileName(ShownDialog shown);

  std::deque<MessageAnswer> answers_;
  std::deque<QString> fileNames_;
  std::deque<std::function<void(QDialog&)>> dialogActions_;
  std::vector<ShownDialog> shown_;
  int unplanned_ = 0;
  QString helpFolder_;
  QString mountTable_;
  bool browserFails_ = false;
};

}  // namespace velloran::test
