#include "toolkit/win32/frmCheckTargets.h"

#include <commctrl.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/Dialog.h"
#include "toolkit/win32/DialogService.h"
#include "toolkit/win32/Ui.h"

namespace velloran::win32 {
namespace {

constexpr DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

std::string AnsweredText(size_t done, size_t total) {
  return std::to_string(done) + " of " + std::to_string(total) + " servers answered";
}

}  // namespace

// ---- frmCheckProgress --------------------------------------------------------

class frmCheckProgress::Window : public Dialog {
 public:
  Window(std::atomic<bool>& cancel, size_t servers, std::function<void(HWND)> watcher)
      : Dialog(kDialogStyle), cancel_(cancel), servers_(servers), watcher_(std::move(watcher)) {}
  bool done = false;

 private:
  void Build() override {
    SetWindowTextW(Handle(), L"Check targets");
    Add(L"STATIC", "Asking the new print servers whether the queues exist ...", SS_NOPREFIX,
        lblAsking, R(14, 12, 372, 20));
    HWND bar = Add(PROGRESS_CLASSW, "", 0, prbProgress, R(14, 38, 372, 20));
    SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(servers_));
    Add(L"STATIC", AnsweredText(0, servers_), SS_NOPREFIX, lblProgress, R(14, 66, 260, 20));
    Add(L"BUTTON", "Cancel", WS_TABSTOP | BS_DEFPUSHBUTTON, cmdCancel, R(296, 62, 90, 26));
    ClientSize(400, 100);
  }

  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_COMMAND:
        if ((LOWORD(wp) == cmdCancel || LOWORD(wp) == IDCANCEL) && !cancel_) {
          cancel_ = true;
          EnableWindow(Item(cmdCancel), FALSE);
          SetControlText(Item(lblProgress), "Cancelling ...");
          if (watcher_) watcher_(Handle());
        }
        return TRUE;
      case kCheckProgressMessage:
        if (!cancel_) {
          SendMessageW(Item(prbProgress), PBM_SETRANGE32, 0, lp);
          SendMessageW(Item(prbProgress), PBM_SETPOS, wp, 0);
          SetControlText(Item(lblProgress),
                         AnsweredText(static_cast<size_t>(wp), static_cast<size_t>(lp)));
          if (watcher_) watcher_(Handle());
        }
        return TRUE;
      case kCheckDoneMessage:
        done = true;
        return TRUE;
      default:
        return FALSE;
    }
  }

  std::atomic<bool>& cancel_;
  size_t servers_;
  std::function<void(HWND)> watcher_;
};

frmCheckProgress::frmCheckProgress(HWND owner, std::atomic<bool>& cancel, size_t servers,
                                   std::function<void(HWND)> watcher)
    : window_(std::make_unique<Window>(cancel, servers, watcher)) {
  hwnd_ = window_->CreateModeless(owner, true);
  if (hwnd_ && watcher) watcher(hwnd_);
}

frmCheckProgress::~frmCheckProgress() = default;

bool frmCheckProgress::Done() const { return window_->done; }

// The check blocks its thread for as long as the slowest server takes. It
// posts its progress and its end to the progress window, which this
// thread's loop delivers.
check::CheckResult RunCheckWithProgress(HWND owner, const TargetCheckJob& job,
                                        std::function<void(HWND)> watcher) {
  std::atomic<bool> cancel{false};
  check::CheckResult result;
  {
    frmCheckProgress progress(owner, cancel, job.Servers(), std::move(watcher));
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
  return result;
}

// ---- frmCheckTargets ---------------------------------------------------------

namespace {

// The list takes what the window gains; Status gets the width its texts
// need or, when the window is wider, the rest of the row.
void LayOutList(HWND dialog, unsigned dpi, int statusWidth) {
  RECT client{};
  GetClientRect(dialog, &client);
  const int margin = Scaled(14, dpi), button = Scaled(90, dpi), high = Scaled(26, dpi);
  const int w = client.right, h = client.bottom;
  MoveWindow(GetDlgItem(dialog, lblSummary), margin, Scaled(12, dpi), w - 2 * margin,
             Scaled(20, dpi), TRUE);
  HWND list = GetDlgItem(dialog, lstTargets);
  const int listTop = Scaled(40, dpi), listBottom = h - margin - high - Scaled(10, dpi);
  MoveWindow(list, margin, listTop, w - 2 * margin, std::max(0, listBottom - listTop), TRUE);
  MoveWindow(GetDlgItem(dialog, cmdClose), w - margin - button, h - margin - high + Scaled(2, dpi),
             button, high, TRUE);
  RECT inside{};
  GetClientRect(list, &inside);
  const int rest =
      inside.right - ListView_GetColumnWidth(list, 0) - ListView_GetColumnWidth(list, 1);
  ListView_SetColumnWidth(list, 2, std::max(statusWidth, rest));
}

// A column as wide as its widest cell or its header. (The list's own
// header fit would stretch the last column over the rest of the row.)
int FitColumn(HWND list, int column, const wchar_t* header, unsigned dpi) {
  ListView_SetColumnWidth(list, column, LVSCW_AUTOSIZE);
  const int cells = ListView_GetColumnWidth(list, column);
  const int width = std::max(cells, ListView_GetStringWidth(list, header) + Scaled(16, dpi));
  ListView_SetColumnWidth(list, column, width);
  return width;
}

bool NotFound(const TargetCheckRow& row) {
  return row.Code != check::TargetStatus::Found && row.Code != check::TargetStatus::NotCheckable;
}

// The list window alone is resized: its rows can be long.
constexpr DWORD kListStyle = kDialogStyle | WS_THICKFRAME | WS_MAXIMIZEBOX;

class CheckTargetsDialog : public Dialog {
 public:
  explicit CheckTargetsDialog(TargetCheckReport report)
      : Dialog(kListStyle), report_(std::move(report)) {}

 private:
  void Build() override {
    HWND dialog = Handle();
    const unsigned dpi = Dpi();
    SetWindowTextW(dialog, L"Check targets");
    AddControl(dialog, dpi, DialogFonts().Bold(), L"STATIC", report_.Summary, SS_NOPREFIX,
               lblSummary, R(14, 12, 832, 20));
    HWND list = Add(WC_LISTVIEWW, "", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                    lstTargets, R(14, 40, 832, 290), WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    const std::pair<const wchar_t*, int> columns[] = {
        {L"Target", 170}, {L"Pair", 230}, {L"Status", 400}};
    for (int i = 0; i < 3; ++i) {
      LVCOLUMNW c{};
      c.mask = LVCF_TEXT | LVCF_WIDTH;
      c.pszText = const_cast<wchar_t*>(columns[i].first);
      c.cx = Scaled(columns[i].second, dpi);
      ListView_InsertColumn(list, i, &c);
    }
    // What is not found comes first: that is what the administrator acts on.
    std::vector<const TargetCheckRow*> rows;
    for (const TargetCheckRow& row : report_.Rows)
      if (NotFound(row)) rows.push_back(&row);
    for (const TargetCheckRow& row : report_.Rows)
      if (row.Code == check::TargetStatus::NotCheckable) rows.push_back(&row);
    for (const TargetCheckRow& row : report_.Rows)
      if (row.Code == check::TargetStatus::Found) rows.push_back(&row);
    int index = 0;
    for (const TargetCheckRow* row : rows) {
      std::wstring target = Wide(row->Target), status = Wide(row->Status), pair = Wide(row->Pair);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = index;
      item.pszText = target.data();
      ListView_InsertItem(list, &item);
      ListView_SetItemText(list, index, 1, pair.data());
      ListView_SetItemText(list, index, 2, status.data());
      ++index;
    }
    Add(L"BUTTON", "Close", WS_TABSTOP | BS_DEFPUSHBUTTON, cmdClose, R(756, 340, 90, 26));
    // Wide enough for every column without sideways scrolling, as far as the
    // screen allows; the user may resize it from there.
    int row = 0;
    for (int column = 0; column < 3; ++column)
      row += FitColumn(list, column, columns[column].first, dpi);
    statusWidth_ = ListView_GetColumnWidth(list, 2);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const int screen = monitor.rcWork.right - monitor.rcWork.left - Scaled(40, dpi);
    const int wanted = row + GetSystemMetrics(SM_CXVSCROLL) + Scaled(2 * 14 + 8, dpi);
    const int width = std::clamp(wanted, Scaled(860, dpi), std::max(Scaled(860, dpi), screen));
    ClientSize(MulDiv(width, 96, static_cast<int>(dpi)), 378);
    LayOutList(dialog, dpi, statusWidth_);
  }

  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_COMMAND:
        if (LOWORD(wp) == cmdClose || LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) Close(IDOK);
        return TRUE;
      case WM_SIZE:
        LayOutList(Handle(), Dpi(), statusWidth_);
        return TRUE;
      case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize = {Scaled(420, Dpi()), Scaled(220, Dpi())};
        return TRUE;
      }
      default:
        return FALSE;
    }
  }

  TargetCheckReport report_;
  int statusWidth_ = 0;  ///< what the longest status needs, in pixels
};

}  // namespace

void RunCheckTargetsDialog(HWND owner, const TargetCheckReport& report) {
  CheckTargetsDialog(report).RunModal(owner);
}

HWND CreateCheckTargetsDialog(HWND owner, const TargetCheckReport& report) {
  // The window keeps its own copy of the report: it outlives the call.
  return Dialog::Release(std::make_unique<CheckTargetsDialog>(report), owner, false);
}

void DialogService::ShowTargetCheck(HWND owner, const TargetCheckReport& report) {
  RunCheckTargetsDialog(owner, report);
}

}  // namespace velloran::win32
