#pragma once
// A dialog service for the window tests: records every message box, answers
// from a script, and stands in for the file dialogs, folder browsers, the
// New-INI dialog and the shell.

#include <deque>
#include <string>
#include <vector>

#include "toolkit/win32/DialogService.h"

namespace velloran::win32::testing {

struct ShownMessage {
  std::string Text, Title;
  MessageIcon Icon;
  MessageButtons Buttons;
};

class ScriptedDialogs : public DialogService {
 public:
  // The script. An empty queue answers the first button, cancels a dialog.
  std::deque<MessageAnswer> Answers;
  std::deque<std::optional<std::string>> OpenFiles, SaveFiles;
  std::deque<std::string> Folders, NetworkFolders;
  std::deque<NewINIChoice> NewINIChoices;
  bool ShellSucceeds = true;

  // What was shown.
  std::vector<ShownMessage> Messages;
  std::vector<FileRequest> OpenRequests, SaveRequests;
  std::vector<bool> NewINIRequests;  ///< offerExisting of each
  std::vector<std::string> Opened;   ///< OpenWithShell targets
  int AboutShown = 0;

  MessageAnswer Message(HWND, const std::string& text, const std::string& title, MessageIcon icon,
                        MessageButtons buttons) override {
    Messages.push_back({text, title, icon, buttons});
    return Next(Answers, FirstButton(buttons));
  }
  std::optional<std::string> ChooseOpenFile(HWND, const FileRequest& request) override {
    OpenRequests.push_back(request);
    return Next(OpenFiles, std::optional<std::string>());
  }
  std::optional<std::string> ChooseSaveFile(HWND, const FileRequest& request) override {
    SaveRequests.push_back(request);
    return Next(SaveFiles, std::optional<std::string>());
  }
  std::string BrowseForFolder(HWND) override { return Next(Folders, std::string()); }
  std::string BrowseForNetworkFolder(HWND) override { return Next(NetworkFolders, std::string()); }
  NewINIChoice AskNewINI(HWND, bool offerExisting) override {
    NewINIRequests.push_back(offerExisting);
    return Next(NewINIChoices, NewINIChoice{});
  }
  void ShowAbout(HWND) override { ++AboutShown; }
  bool OpenWithShell(HWND, const std::string& target) override {
    Opened.push_back(target);
    return ShellSucceeds;
  }

  /// The texts of the messages shown so far, then forgets them.
  std::vector<std::string> TakeMessages() {
    std::vector<std::string> texts;
    for (const ShownMessage& m : Messages) texts.push_back(m.Text);
    Messages.clear();
    return texts;
  }

 private:
  template <typename T>
  static T Next(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T value = queue.front();
    queue.pop_front();
    return value;
  }
};

}  // namespace velloran::win32::testing
