// Check Targets on the wizard window: the core's check on a thread of its
// own while the window's thread runs the progress window, the result list,
// and the question before Deploy Now.

#include <thread>

#include "toolkit/core/Fields.h"
#include "toolkit/win32/frmCheckTargets.h"
#include "toolkit/win32/frmWizard.h"

namespace velloran::win32 {

class frmWizard::CheckView : public TargetCheckView {
 public:
  explicit CheckView(frmWizard& window) : w_(window) {}

  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon icon,
                    MessageButtons buttons) override {
    return w_.Ask(std::string(text), std::string(title), icon, buttons);
  }

  // The check blocks its thread for as long as the slowest server takes.
  // It posts its progress and its end to the progress window, which this
  // thread's loop delivers; the wizard takes no input meanwhile.
  check::CheckResult RunTargetCheck(const TargetCheckJob& job) override {
    std::atomic<bool> cancel{false};
    EnableWindow(w_.hwnd_, FALSE);
    check::CheckResult result;
    {
      frmCheckProgress progress(w_.hwnd_, cancel, job.Servers(), w_.services_.CheckProgressWatcher);
      HWND target = progress.Handle();
      std::thread worker([&job, &result, &cancel, target] {
        result = job.Run(
            [target](size_t done, size_t total) {
              PostMessageW(target, kCheckProgressMessage, done, static_cast<LPARAM>(total));
            },
            cancel);
        PostMessageW(target, kCheckDoneMessage, 0, 0);
      });
      bool quit = false;
      MSG msg;
      while (!progress.Done()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
          // The program is ending: stop the check and pass the quit on.
          quit = true;
          cancel = true;
          break;
        }
        if (!IsDialogMessageW(progress.Handle(), &msg)) {
          TranslateMessage(&msg);
          DispatchMessageW(&msg);
        }
      }
      worker.join();
      if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
    }
    EnableWindow(w_.hwnd_, TRUE);
    SetForegroundWindow(w_.hwnd_);
    return result;
  }

  void ShowTargetCheck(const TargetCheckReport& report) override {
    w_.dialogs_.ShowTargetCheck(w_.hwnd_, report);
  }

 private:
  frmWizard& w_;
};

void frmWizard::CheckTargetsNow() {
  if (!services_.TargetCheck) return;
  // The pairs as the pages show them, saved or not.
  INISettings shown = document_.Settings;
  RecordOfFields(ReadFields(), shown);
  CheckView view(*this);
  CheckTargets(shown, services_.TargetCheck(), view);
}

bool frmWizard::ConfirmTargets(const INISettings& settings) {
  CheckView view(*this);
  return ConfirmTargetsBeforeDeploy(settings, services_.TargetCheck(), view);
}

}  // namespace velloran::win32
