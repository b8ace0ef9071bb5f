// The window as the presenter sees it: the view it asks and shows through,
// Deploy Now's progress window and Check Targets' windows.

#include <memory>

#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/ControlNames.h"
#include "toolkit/win32/Dialogs.h"
#include "toolkit/win32/Help.h"
#include "toolkit/win32/Images.h"
#include "toolkit/win32/frmCheckTargets.h"
#include "toolkit/win32/frmWizard.h"
#include "toolkit/win32/pages/ActiveDirectoryPage.h"

namespace velloran::win32 {

class frmWizard::View : public WizardView {
 public:
  explicit View(frmWizard& window) : w_(window) {}
  ~View() override { Finished(); }

  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon icon,
                    MessageButtons buttons) override {
    return w_.Ask(text, title, icon, buttons);
  }

  // The file commands.
  std::string ChooseFileToOpen(std::string_view title, std::string_view folder) override {
    return w_.dialogs_.ChooseOpenFile(w_.hwnd_, {std::string(title), std::string(folder), {}})
        .value_or(std::string());
  }
  std::string ChooseFileToSave(std::string_view title, std::string_view folder,
                               std::string_view initialName) override {
    return w_.dialogs_
        .ChooseSaveFile(w_.hwnd_,
                        {std::string(title), std::string(folder), std::string(initialName)})
        .value_or(std::string());
  }
  std::optional<NewDocumentChoice> ChooseNewDocument(bool offerExisting) override {
    const NewINIChoice choice = w_.dialogs_.AskNewINI(w_.hwnd_, offerExisting);
    if (choice.Cancelled) return std::nullopt;
    NewDocumentChoice made;
    made.ActiveDirectory = choice.ActiveDirectory;
    if (choice.ExistingPage) made.ExistingPath = choice.ExistingFile;
    return made;
  }
  void ShowPage(int page, std::string_view control) override {
    w_.DrawPage(page);
    // A check that failed as the focus left a field, or a click that is
    // still under way, would lose the focus again at once.
    if (!control.empty()) w_.FocusLater(control);
  }
  void SetCaption(std::string_view caption) override {
    SetWindowTextW(w_.hwnd_, Wide(caption).c_str());
  }
  PageFields ReadFields() override { return w_.ReadFields(); }
  void ShowFields(const PageFields& fields) override { w_.ShowFields(fields); }
  void ShowMode(bool activeDirectory) override { w_.ShowMode(activeDirectory); }

  // The wizard's own.
  void OfferDomainNames(const std::vector<std::string>& names) override {
    const bool was = w_.filling_;
    w_.filling_ = true;
    w_.domainPage_->OfferDomains(names);
    w_.filling_ = was;
  }
  std::string ChooseFolder(std::string_view control) override {
    return control == "txtNetworkSharePath" ? w_.dialogs_.BrowseForNetworkFolder(w_.hwnd_)
                                            : w_.dialogs_.BrowseForFolder(w_.hwnd_);
  }
  void ShowBusy(bool busy) override {
    // The lookup runs on the window's thread, which takes no input
    // meanwhile; disabling the window would take the focus from the user.
    if (busy) {
      busyCursor_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    } else {
      SetCursor(busyCursor_);
    }
  }
  void Close() override { PostMessageW(w_.hwnd_, WM_CLOSE, 0, 0); }

  // Check Targets.
  check::CheckResult RunTargetCheck(const TargetCheckJob& job) override {
    EnableWindow(w_.hwnd_, FALSE);
    check::CheckResult result =
        RunCheckWithProgress(w_.hwnd_, job, w_.services_.CheckProgressWatcher);
    EnableWindow(w_.hwnd_, TRUE);
    SetForegroundWindow(w_.hwnd_);
    return result;
  }
  void ShowTargetCheck(const TargetCheckReport& report) override {
    w_.dialogs_.ShowTargetCheck(w_.hwnd_, report);
  }

  // Deploy Now: the window is disabled under an hourglass while the
  // progress window shows each step.
  void Progress(int value, int maximum, std::string_view label) override {
    if (!progress_) {
      EnableWindow(w_.hwnd_, FALSE);
      cursor_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      progress_ = std::make_unique<frmProgress>(w_.hwnd_);
      progress_->SetMaximum(maximum);
    }
    progress_->SetValue(value);
    progress_->SetLabel(std::string(label));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  void Finished() override {
    if (!progress_) return;
    progress_.reset();
    SetCursor(cursor_);
    EnableWindow(w_.hwnd_, TRUE);
    SetForegroundWindow(w_.hwnd_);
  }

 private:
  frmWizard& w_;
  std::unique_ptr<frmProgress> progress_;
  HCURSOR cursor_ = nullptr;
  HCURSOR busyCursor_ = nullptr;
};

frmWizard::frmWizard(WizardServices services)
    : services_(std::move(services)),
      dialogs_(*services_.Dialogs),
      view_(std::make_unique<View>(*this)) {
  velloran::WizardServices core = services_;
  core.OpenHelp = [this](int context) { ShowHelpPage(hwnd_, dialogs_, context); };
  core.ShowAbout = [this] { dialogs_.ShowAbout(hwnd_); };
  wizard_ = std::make_unique<Wizard>(*view_, std::move(core));
}

frmWizard::~frmWizard() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  if (imgWizard_) ImageList_Destroy(imgWizard_);
}

Prompter& frmWizard::Questions() { return *view_; }

MessageAnswer frmWizard::Ask(std::string_view text, std::string_view title, MessageIcon icon,
                             MessageButtons buttons) {
  return dialogs_.Message(hwnd_, std::string(text), std::string(title), icon, buttons);
}

}  // namespace velloran::win32
