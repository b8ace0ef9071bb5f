#pragma once
// A window that is only a script: it records every question, page and
// caption the wizard's logic asks for, and answers from queues the test
// fills. An unanswered question gets the box's cancelling answer.

#include <atomic>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/core/Wizard.h"

namespace velloran::test {

class FakeView : public WizardView {
 public:
  // What was asked, in order: "Title|Text" for boxes, "open", "save",
  // "new", "page N control", "progress N label", "check N servers",
  // "folder control", "busy", "close".
  std::vector<std::string> Log;
  std::vector<std::string> Captions;
  std::deque<MessageAnswer> Answers;
  std::deque<std::string> FileNames;
  std::deque<std::optional<NewDocumentChoice>> NewDocuments;
  /// The controls, as a front-end would hold them.
  PageFields Fields;
  std::optional<bool> Mode;
  /// What the folder pickers answer; "" (cancelled) when empty.
  std::deque<std::string> Folders;
  std::vector<std::string> DomainNames;
  /// The last result list shown.
  std::optional<TargetCheckReport> TargetList;
  /// Called after the controls were filled, as a window's change signals
  /// would fire.
  std::function<void()> OnFieldsShown;

  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon,
                    MessageButtons buttons) override {
    Log.push_back(std::string(title) + "|" + std::string(text));
    if (Answers.empty()) {
      return buttons == MessageButtons::OK      ? MessageAnswer::OK
             : buttons == MessageButtons::YesNo ? MessageAnswer::No
                                                : MessageAnswer::Cancel;
    }
    const MessageAnswer answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  std::string ChooseFileToOpen(std::string_view, std::string_view) override {
    Log.push_back("open");
    return NextFileName();
  }
  std::string ChooseFileToSave(std::string_view, std::string_view, std::string_view) override {
    Log.push_back("save");
    return NextFileName();
  }
  std::optional<NewDocumentChoice> ChooseNewDocument(bool offerExisting) override {
    Log.push_back(offerExisting ? "new with existing" : "new");
    if (NewDocuments.empty()) return std::nullopt;
    auto choice = NewDocuments.front();
    NewDocuments.pop_front();
    return choice;
  }
  void ShowPage(int page, std::string_view control) override {
    Log.push_back("page " + std::to_string(page) + " " + std::string(control));
  }
  void SetCaption(std::string_view caption) override { Captions.emplace_back(caption); }
  PageFields ReadFields() override { return Fields; }
  void ShowFields(const PageFields& fields) override {
    for (const auto& [name, text] : fields.Texts) Fields.Texts[name] = text;
    for (const auto& [name, on] : fields.Checks) Fields.Checks[name] = on;
    for (const auto& [name, lines] : fields.Lists) Fields.Lists[name] = lines;
    if (OnFieldsShown) OnFieldsShown();
  }
  void ShowMode(bool activeDirectory) override { Mode = activeDirectory; }
  check::CheckResult RunTargetCheck(const TargetCheckJob& job) override {
    Log.push_back("check " + std::to_string(job.Servers()) + " servers");
    const std::atomic<bool> cancel{false};
    return job.Run([](size_t, size_t) {}, cancel);
  }
  void ShowTargetCheck(const TargetCheckReport& report) override { TargetList = report; }
  void OfferDomainNames(const std::vector<std::string>& names) override { DomainNames = names; }
  std::string ChooseFolder(std::string_view control) override {
    Log.push_back("folder " + std::string(control));
    if (Folders.empty()) return {};
    std::string folder = Folders.front();
    Folders.pop_front();
    return folder;
  }
  void ShowBusy(bool busy) override {
    if (busy) Log.push_back("busy");
  }
  void Close() override { Log.push_back("close"); }
  void Progress(int value, int, std::string_view label) override {
    Log.push_back("progress " + std::to_string(value) + " " + std::string(label));
  }
  void Finished() override { Log.push_back("finished"); }

  /// The boxes shown, "Title|Text", without the other entries.
  std::vector<std::string> Messages() const {
    std::vector<std::string> boxes;
    for (const std::string& entry : Log) {
      if (entry.find('|') != std::string::npos) boxes.push_back(entry);
    }
    return boxes;
  }

 private:
  std::string NextFileName() {
    if (FileNames.empty()) return {};
    std::string name = FileNames.front();
    FileNames.pop_front();
    return name;
  }
};

}  // namespace velloran::test
