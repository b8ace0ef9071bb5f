#pragma once
// Everything the toolkit's windows ask of the user or of the shell beyond
// their own controls: message boxes, the file dialogs, the folder browsers,
// the New-INI and About dialogs, and opening a page in the browser. The
// program uses the system's dialogs; tests inject a service that answers from
// a script, so no test waits on a modal window. Texts are UTF-8, as in the
// core; the system service converts at the W calls.

#include <windows.h>

#include <optional>
#include <string>

#include "platform/MessageBox.h"
#include "toolkit/core/TargetCheck.h"

namespace velloran::win32 {

/// What a file dialog is asked for.
struct FileRequest {
  std::string Title;
  std::string InitialFolder;
  std::string InitialName;  ///< Save As only
};

/// What the New-INI dialog was left with.
struct NewINIChoice {
  bool Cancelled = true;
  bool ExistingPage = false;  ///< the "Existing" page was shown at Select
  bool ActiveDirectory = true;
  std::string ExistingFile;  ///< full path, when ExistingPage
};

class DialogService {
 public:
  virtual ~DialogService() = default;

  virtual MessageAnswer Message(HWND owner, const std::string& text, const std::string& title,
                                MessageIcon icon, MessageButtons buttons) = 0;
  /// The full path chosen; none when cancelled.
  virtual std::optional<std::string> ChooseOpenFile(HWND owner, const FileRequest& request) = 0;
  virtual std::optional<std::string> ChooseSaveFile(HWND owner, const FileRequest& request) = 0;
  /// "" when cancelled.
  virtual std::string BrowseForFolder(HWND owner) = 0;
  virtual std::string BrowseForNetworkFolder(HWND owner) = 0;
  /// `offerExisting`: at start-up the dialog also offers an existing file.
  virtual NewINIChoice AskNewINI(HWND owner, bool offerExisting) = 0;
  virtual void ShowAbout(HWND owner) = 0;
  /// Opens a file or address with the shell's default program; false when
  /// none could be started.
  virtual bool OpenWithShell(HWND owner, const std::string& target) = 0;
  /// The result list of Check Targets (frmCheckTargets, modal).
  virtual void ShowTargetCheck(HWND owner, const TargetCheckReport& report);
};

/// The system's dialogs and shell.
DialogService& SystemDialogs();

}  // namespace velloran::win32
