#include "toolkit/win32/frmCheckTargets.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/DialogService.h"
#include "toolkit/win32/Ui.h"

namespace velloran::win32 {
namespace {

constexpr DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

// An empty dialog template: the dialog manager runs the window (Tab, Enter,
// Escape); the controls are made in WM_INITDIALOG at the window's DPI.
std::vector<DWORD> EmptyTemplate(DWORD style) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
  t->style = style;
  t->cx = 100;
  t->cy = 50;
  words.insert(words.end(), {0, 0, 0});  // no menu, the dialog class, no title
  std::vector<DWORD> aligned((words.size() + 1) / 2, 0);
  std::copy(words.begin(), words.end(), reinterpret_cast<WORD*>(aligned.data()));
  return aligned;
}

constexpr RECT R(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

std::string AnsweredText(size_t done, size_t total) {
  return std::to_string(done) + " of " + std::to_string(total) + " servers answered";
}

}  // namespace

// ---- frmCheckProgress --------------------------------------------------------

struct frmCheckProgress::State {
  std::atomic<bool>* cancel;
  size_t servers;
  std::function<void(HWND)> watcher;
  Fonts fonts;
  bool done = false;
};

namespace {

INT_PTR CALLBACK CheckProgressProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  using State = frmCheckProgress::State;
  auto* s = reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lp);
      s = reinterpret_cast<State*>(lp);
      const unsigned dpi = DpiOf(dialog);
      s->fonts.Create(dpi);
      SetWindowTextW(dialog, L"Check targets");
      HFONT font = s->fonts.Normal();
      AddControl(dialog, dpi, font, L"STATIC",
                 "Asking the new print servers whether the queues exist ...", SS_NOPREFIX,
                 lblAsking, R(14, 12, 372, 20));
      HWND bar =
          AddControl(dialog, dpi, font, PROGRESS_CLASSW, "", 0, prbProgress, R(14, 38, 372, 20));
      SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(s->servers));
      AddControl(dialog, dpi, font, L"STATIC", AnsweredText(0, s->servers), SS_NOPREFIX,
                 lblProgress, R(14, 66, 260, 20));
      AddControl(dialog, dpi, font, L"BUTTON", "Cancel", WS_TABSTOP | BS_DEFPUSHBUTTON, cmdCancel,
                 R(296, 62, 90, 26));
      PlaceDialog(dialog, dpi, 400, 100);
      return TRUE;
    }
    case WM_COMMAND:
      if (s && (LOWORD(wp) == cmdCancel || LOWORD(wp) == IDCANCEL) && !*s->cancel) {
        *s->cancel = true;
        EnableWindow(GetDlgItem(dialog, cmdCancel), FALSE);
        SetControlText(GetDlgItem(dialog, lblProgress), "Cancelling ...");
        if (s->watcher) s->watcher(dialog);
      }
      return TRUE;
    case kCheckProgressMessage:
      if (s && !*s->cancel) {
        SendMessageW(GetDlgItem(dialog, prbProgress), PBM_SETRANGE32, 0, lp);
        SendMessageW(GetDlgItem(dialog, prbProgress), PBM_SETPOS, wp, 0);
        SetControlText(GetDlgItem(dialog, lblProgress),
                       AnsweredText(static_cast<size_t>(wp), static_cast<size_t>(lp)));
        if (s->watcher) s->watcher(dialog);
      }
      return TRUE;
    case kCheckDoneMessage:
      if (s) s->done = true;
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

frmCheckProgress::frmCheckProgress(HWND owner, std::atomic<bool>& cancel, size_t servers,
                                   std::function<void(HWND)> watcher)
    : state_(new State{&cancel, servers, std::move(watcher), {}, false}) {
  const auto t = EmptyTemplate(kDialogStyle | WS_VISIBLE);
  hwnd_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                     reinterpret_cast<const DLGTEMPLATE*>(t.data()), owner,
                                     &CheckProgressProc, reinterpret_cast<LPARAM>(state_));
  if (hwnd_ && state_->watcher) state_->watcher(hwnd_);
}

frmCheckProgress::~frmCheckProgress() {
  if (hwnd_) DestroyWindow(hwnd_);
  delete state_;
}

bool frmCheckProgress::Done() const { return state_->done; }

// ---- frmCheckTargets ---------------------------------------------------------

namespace {

struct ListState {
  const TargetCheckReport* report;
  bool modal;
  Fonts fonts;
  unsigned dpi = 96;
  int statusWidth = 0;  ///< what the longest status needs, in pixels
};

// The list takes what the window gains; Status gets the width its texts
// need or, when the window is wider, the rest of the row.
void LayOutList(HWND dialog, const ListState& s) {
  RECT client{};
  GetClientRect(dialog, &client);
  const int margin = Scaled(14, s.dpi), button = Scaled(90, s.dpi), high = Scaled(26, s.dpi);
  const int w = client.right, h = client.bottom;
  MoveWindow(GetDlgItem(dialog, lblSummary), margin, Scaled(12, s.dpi), w - 2 * margin,
             Scaled(20, s.dpi), TRUE);
  HWND list = GetDlgItem(dialog, lstTargets);
  const int listTop = Scaled(40, s.dpi), listBottom = h - margin - high - Scaled(10, s.dpi);
  MoveWindow(list, margin, listTop, w - 2 * margin, std::max(0, listBottom - listTop), TRUE);
  MoveWindow(GetDlgItem(dialog, cmdClose), w - margin - button,
             h - margin - high + Scaled(2, s.dpi), button, high, TRUE);
  RECT inside{};
  GetClientRect(list, &inside);
  const int rest =
      inside.right - ListView_GetColumnWidth(list, 0) - ListView_GetColumnWidth(list, 1);
  ListView_SetColumnWidth(list, 2, std::max(s.statusWidth, rest));
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

void BuildList(HWND dialog, ListState& s) {
  const unsigned dpi = DpiOf(dialog);
  s.fonts.Create(dpi);
  SetWindowTextW(dialog, L"Check targets");
  AddControl(dialog, dpi, s.fonts.Bold(), L"STATIC", s.report->Summary, SS_NOPREFIX, lblSummary,
             R(14, 12, 832, 20));
  HWND list = AddControl(dialog, dpi, s.fonts.Normal(), WC_LISTVIEWW, "",
                         WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, lstTargets,
                         R(14, 40, 832, 290), WS_EX_CLIENTEDGE);
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
  for (const TargetCheckRow& row : s.report->Rows)
    if (NotFound(row)) rows.push_back(&row);
  for (const TargetCheckRow& row : s.report->Rows)
    if (row.Code == check::TargetStatus::NotCheckable) rows.push_back(&row);
  for (const TargetCheckRow& row : s.report->Rows)
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
  AddControl(dialog, dpi, s.fonts.Normal(), L"BUTTON", "Close", WS_TABSTOP | BS_DEFPUSHBUTTON,
             cmdClose, R(756, 340, 90, 26));
  // Wide enough for every column without sideways scrolling, as far as the
  // screen allows; the user may resize it from there.
  s.dpi = dpi;
  int row = 0;
  for (int column = 0; column < 3; ++column)
    row += FitColumn(list, column, columns[column].first, dpi);
  s.statusWidth = ListView_GetColumnWidth(list, 2);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const int screen = monitor.rcWork.right - monitor.rcWork.left - Scaled(40, dpi);
  const int wanted = row + GetSystemMetrics(SM_CXVSCROLL) + Scaled(2 * 14 + 8, dpi);
  const int width = std::clamp(wanted, Scaled(860, dpi), std::max(Scaled(860, dpi), screen));
  PlaceDialog(dialog, dpi, MulDiv(width, 96, static_cast<int>(dpi)), 378);
  LayOutList(dialog, s);
}

INT_PTR CALLBACK CheckTargetsProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  auto* s = reinterpret_cast<ListState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lp);
      BuildList(dialog, *reinterpret_cast<ListState*>(lp));
      return TRUE;
    case WM_COMMAND:
      if (s && (LOWORD(wp) == cmdClose || LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        if (s->modal) {
          EndDialog(dialog, IDOK);
        } else {
          DestroyWindow(dialog);
        }
      }
      return TRUE;
    case WM_SIZE:
      if (s) LayOutList(dialog, *s);
      return TRUE;
    case WM_GETMINMAXINFO:
      if (s) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize = {Scaled(420, s->dpi), Scaled(220, s->dpi)};
      }
      return TRUE;
    case WM_NCDESTROY:
      if (s && !s->modal) delete s;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

// The list window alone is resized: its rows can be long.
constexpr DWORD kListStyle = kDialogStyle | WS_THICKFRAME | WS_MAXIMIZEBOX;

void RunCheckTargetsDialog(HWND owner, const TargetCheckReport& report) {
  ListState state{&report, true, {}};
  const auto t = EmptyTemplate(kListStyle | WS_VISIBLE);
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(t.data()),
                          owner, &CheckTargetsProc, reinterpret_cast<LPARAM>(&state));
}

HWND CreateCheckTargetsDialog(HWND owner, const TargetCheckReport& report) {
  // The report is copied: a modeless window outlives the call.
  auto* copy = new TargetCheckReport(report);
  auto* state = new ListState{copy, false, {}};
  const auto t = EmptyTemplate(kListStyle);
  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                           reinterpret_cast<const DLGTEMPLATE*>(t.data()), owner,
                                           &CheckTargetsProc, reinterpret_cast<LPARAM>(state));
  // The list holds its own copies of the texts once built.
  delete copy;
  state->report = nullptr;
  return dialog;
}

void DialogService::ShowTargetCheck(HWND owner, const TargetCheckReport& report) {
  RunCheckTargetsDialog(owner, report);
}

}  // namespace velloran::win32
