#pragma once
// Every modal dialog of the toolkit is opened through here: message boxes,
// the file dialogs, the toolkit's own modal windows and the browser. Tests
// switch on test mode and queue the answers, so no test ever waits for a user.

#include <QString>
#include <QUrl>
#include <functional>
#include <vector>

#include "platform/MessageBox.h"

class QDialog;
class QWidget;

namespace velloran {

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
  bool Planned = false;                        ///< a queued answer served it (test mode)
};

class Dialogs {
 public:
  /// A message box; the first button is the default, Escape the last one.
  static MessageAnswer Message(QWidget* parent, const QString& text, const QString& title,
                               MessageIcon icon, MessageButtons buttons);
  /// The Save As file dialog (asks before overwriting); "" when cancelled.
  static QString SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                              const QString& initialName, const QString& filter,
                              const QString& defaultSuffix);
  /// The Open file dialog (existing files only); "" when cancelled.
  static QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                              const QString& filter, const QString& defaultSuffix);
  /// A folder picker starting in `folder`; "" when cancelled. Test mode
  /// serves it from the queued file names.
  static QString FolderName(QWidget* parent, const QString& title, const QString& folder);
  /// Runs `dialog` modally and returns its QDialog::DialogCode.
  static int Modal(QDialog& dialog);
  /// Opens a web address or local page in the desktop's browser.
  static bool OpenUrl(const QUrl& url);

  // Test hooks. In test mode nothing is shown: queued answers are served in
  // order, and a dialog without one gets its cancelling answer and counts as
  // unplanned (a box with only OK has nothing to plan).
  static void SetTestMode(bool on);
  static bool TestMode();
  static void SetNextAnswer(MessageAnswer answer);
  /// The next file dialog or folder picker returns `path`; "" stands for
  /// Cancel.
  static void SetNextFileName(const QString& path);
  /// The next modal window is shown without blocking and handed to `action`,
  /// which works its controls; if it is still open afterwards it is rejected.
  static void SetNextDialogAction(std::function<void(QDialog&)> action);
  static const std::vector<ShownDialog>& Shown();
  /// Forgets what was shown and drops queued answers that were not used.
  static void Reset();
  static int Unplanned();
  static int PendingAnswers();
};

}  // namespace velloran
