// The window as the core's file commands and deployment see it: the view
// they ask and show through, and Deploy Now with its progress window.

#include <memory>

#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/ControlNames.h"
#include "toolkit/win32/Dialogs.h"
#include "toolkit/win32/Images.h"
#include "toolkit/win32/frmWizard.h"
#include "toolkit/win32/pages/ActiveDirectoryPage.h"

namespace velloran::win32 {

class frmWizard::WindowPrompter : public Prompter {
 public:
  explicit WindowPrompter(frmWizard& window) : w_(window) {}
  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon icon,
                    MessageButtons buttons) override {
    return w_.Ask(std::string(text), std::string(title), icon, buttons);
  }

 private:
  frmWizard& w_;
};

class frmWizard::View : public FileView {
 public:
  explicit View(frmWizard& window) : w_(window) {}

  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon icon,
                    MessageButtons buttons) override {
    return w_.Ask(std::string(text), std::string(title), icon, buttons);
  }
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
  void ShowPage(int page, std::string_view control) override { w_.ShowPageAndFocus(page, control); }
  void SetCaption(std::string_view caption) override {
    SetWindowTextW(w_.hwnd_, Wide(caption).c_str());
  }
  PageFields ReadFields() override { return w_.ReadFields(); }
  void ShowFields(const PageFields& fields) override { w_.ShowFields(fields); }
  void ShowMode(bool activeDirectory) override {
    w_.activeDirectory_ = activeDirectory;
    w_.InitializeTreeView();
  }

 private:
  frmWizard& w_;
};

// While Deploy Now runs, the window is disabled under an hourglass and the
// progress window shows each step.
class frmWizard::DeployProgress : public DeploymentView {
 public:
  explicit DeployProgress(frmWizard& window) : w_(window) {}
  ~DeployProgress() override { Finished(); }

  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon icon,
                    MessageButtons buttons) override {
    return w_.Ask(std::string(text), std::string(title), icon, buttons);
  }
  void Progress(int value, int maximum, std::string_view label) override {
    if (!window_) {
      EnableWindow(w_.hwnd_, FALSE);
      cursor_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      window_ = std::make_unique<frmProgress>(w_.hwnd_);
      window_->SetMaximum(maximum);
    }
    window_->SetValue(value);
    window_->SetLabel(std::string(label));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  void Finished() override {
    if (!window_) return;
    window_.reset();
    SetCursor(cursor_);
    EnableWindow(w_.hwnd_, TRUE);
    SetForegroundWindow(w_.hwnd_);
  }

 private:
  frmWizard& w_;
  std::unique_ptr<frmProgress> window_;
  HCURSOR cursor_ = nullptr;
};

frmWizard::frmWizard(WizardServices services)
    : services_(std::move(services)),
      dialogs_(*services_.Dialogs),
      store_(*services_.Profile),
      view_(std::make_unique<View>(*this)),
      commands_(std::make_unique<FileCommands>(document_, *view_, store_)),
      preferences_(services_.PreferencesFile),
      prompter_(std::make_unique<WindowPrompter>(*this)) {}

frmWizard::~frmWizard() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  if (imgWizard_) ImageList_Destroy(imgWizard_);
}

Prompter& frmWizard::Questions() { return *prompter_; }

MessageAnswer frmWizard::Ask(const std::string& text, const std::string& title, MessageIcon icon,
                             MessageButtons buttons) {
  return dialogs_.Message(hwnd_, text, title, icon, buttons);
}

void frmWizard::DeployNow() {
  DeployProgress progress(*this);
  DeploymentEnvironment environment = services_.Deployment;
  if (services_.TargetCheck)
    environment.Confirm = [this](const INISettings& settings) { return ConfirmTargets(settings); };
  environment.CreateDriverScript = Checked(Control("chkDriverScript"));
  Deploy(document_, environment, progress);
}

void frmWizard::FillDomainList() {
  if (!services_.DomainNames) return;
  filling_ = true;
  domainPage_->OfferDomains(services_.DomainNames());
  filling_ = false;
}

}  // namespace velloran::win32
