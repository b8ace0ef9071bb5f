#pragma once
// Everything the toolkit's windows ask of the user or of the desktop beyond
// their own controls: message boxes, the file dialogs and folder pickers,
// the toolkit's own modal windows, the browser, and the two places on this
// system the windows read (the help pages' folder, the mount table). The
// program passes the system's service to the wizard, which hands it on to
// every dialog and handler; tests pass one that answers from a script, so no
// test waits on a modal window or depends on this machine's mounts.

#include <QString>
#include <QUrl>
#include <string>

#include "platform/MessageBox.h"

class QDialog;
class QWidget;

namespace velloran {

/// What a file dialog is asked for.
struct FileRequest {
  QString Title;
  QString Folder;       ///< where it opens
  QString InitialName;  ///< Save As only
  QString Filter;
  QString DefaultSuffix;
};

class DialogService {
 public:
  virtual ~DialogService() = default;

  /// A message box; the first button is the default, Escape the last one.
  virtual MessageAnswer Message(QWidget* parent, const QString& text, const QString& title,
                                MessageIcon icon, MessageButtons buttons) = 0;
  /// The Save As file dialog (asks before overwriting); "" when cancelled.
  virtual QString ChooseSaveFile(QWidget* parent, const FileRequest& request) = 0;
  /// The Open file dialog (existing files only); "" when cancelled.
  virtual QString ChooseOpenFile(QWidget* parent, const FileRequest& request) = 0;
  /// A folder picker starting in `folder`; "" when cancelled.
  virtual QString ChooseFolder(QWidget* parent, const QString& title, const QString& folder) = 0;
  /// Runs `dialog` modally and returns its QDialog::DialogCode.
  virtual int RunModal(QDialog& dialog) = 0;
  /// Opens a web address or local page in the desktop's browser; false when
  /// none could be started.
  virtual bool OpenUrl(const QUrl& url) = 0;
  /// The folder of the help pages; "" when there is none.
  virtual QString HelpFolder() = 0;
  /// The mount table's text that UNC paths resolve through; "" when it
  /// cannot be read.
  virtual std::string MountTable() = 0;
};

/// The desktop's dialogs and browser, the help pages installed beside the
/// program and /proc/mounts.
class SystemDialogService : public DialogService {
 public:
  MessageAnswer Message(QWidget* parent, const QString& text, const QString& title,
                        MessageIcon icon, MessageButtons buttons) override;
  QString ChooseSaveFile(QWidget* parent, const FileRequest& request) override;
  QString ChooseOpenFile(QWidget* parent, const FileRequest& request) override;
  QString ChooseFolder(QWidget* parent, const QString& title, const QString& folder) override;
  int RunModal(QDialog& dialog) override;
  bool OpenUrl(const QUrl& url) override;
  QString HelpFolder() override;
  std::string MountTable() override;
};

/// The answer a box gives when the user closes it without choosing (Escape):
/// Cancel, No for a Yes/No box, OK for a box with only OK.
MessageAnswer CancellingAnswer(MessageButtons buttons);

}  // namespace velloran
