#pragma once
// Check Targets on Windows: the progress window with Cancel while the servers
// are asked, and the result list.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

#include "toolkit/core/TargetCheck.h"

namespace velloran::win32 {

/// Posted by the check's thread to the progress window: servers answered
/// (wParam) of servers in all (lParam).
inline constexpr UINT kCheckProgressMessage = WM_APP + 20;
/// Posted by the check's thread once the check has ended.
inline constexpr UINT kCheckDoneMessage = WM_APP + 21;

/// frmCheckProgress: a modeless dialog owned by `owner`. Cancel, Escape
/// and the close box set `cancel`; the window stays until the check ends.
class frmCheckProgress {
 public:
  frmCheckProgress(HWND owner, std::atomic<bool>& cancel, size_t servers,
                   std::function<void(HWND)> watcher);
  ~frmCheckProgress();
  frmCheckProgress(const frmCheckProgress&) = delete;
  frmCheckProgress& operator=(const frmCheckProgress&) = delete;
  HWND Handle() const { return hwnd_; }
  /// Whether kCheckDoneMessage has arrived.
  bool Done() const;

 private:
  class Window;
  std::unique_ptr<Window> window_;
  HWND hwnd_ = nullptr;
};

/// Runs `job` on a thread of its own while frmCheckProgress, owned by
/// `owner`, shows how far it is; Cancel stops it. A quit message that
/// arrives meanwhile stops the check and is passed on.
check::CheckResult RunCheckWithProgress(HWND owner, const TargetCheckJob& job,
                                        std::function<void(HWND)> watcher);

/// frmCheckTargets, modal; and without a modal loop for tests.
void RunCheckTargetsDialog(HWND owner, const TargetCheckReport& report);
HWND CreateCheckTargetsDialog(HWND owner, const TargetCheckReport& report);

}  // namespace velloran::win32
