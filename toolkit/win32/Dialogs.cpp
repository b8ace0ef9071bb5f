#include "toolkit/win32/Dialogs.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "toolkit/core/Branding.h"
#include "toolkit/core/HelpContexts.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/Help.h"
#include "toolkit/win32/Ui.h"

namespace velloran::win32 {
namespace {

// An empty dialog template: the dialog manager runs the window, the
// controls are made in WM_INITDIALOG at the window's DPI.
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

// A dialog's state lives in DWLP_USER: WM_INITDIALOG stores the one the
// dialog was started with, then builds the controls for it. A modeless
// dialog owns its state, which goes with the window.
template <class State, void (*Build)(HWND, State&)>
State* DialogState(HWND dialog, UINT msg, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lp);
    Build(dialog, *reinterpret_cast<State*>(lp));
  }
  auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (msg == WM_NCDESTROY && state && !state->modal) {
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    delete state;
    return nullptr;
  }
  return state;
}

constexpr DWORD kDialogStyle = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;

// Controls of a dialog, placed in 96-DPI units.
struct Builder {
  HWND dialog;
  unsigned dpi;
  HFONT font;
  HWND Add(const wchar_t* windowClass, std::string_view text, DWORD style, int id, int x, int y,
           int w, int h, DWORD exStyle = 0) {
    return AddControl(dialog, dpi, font, windowClass, text, style, id, RECT{x, y, x + w, y + h},
                      exStyle);
  }
  void ClientSize(int w, int h) { PlaceDialog(dialog, dpi, w, h); }
};

// ---- frmNewINI -------------------------------------------------------------

constexpr int lblExistingFolder = cmdNewINIHelp + 1;

struct NewINIState {
  DialogService* dialogs;
  bool offerExisting;
  NewINIChoice* result;
  bool modal;
  Fonts fonts;
  std::wstring folder;
  std::vector<std::pair<HWND, int>> pageOf;  ///< controls of the tab pages
};

void ShowNewINIPage(NewINIState& s, int page) {
  for (const auto& [control, p] : s.pageOf) ShowWindow(control, p == page ? SW_SHOWNA : SW_HIDE);
}

void FillExistingLists(HWND dialog, NewINIState& s) {
  HWND dirs = GetDlgItem(dialog, dirExistingINI), files = GetDlgItem(dialog, filExistingINI);
  SendMessageW(dirs, LB_RESETCONTENT, 0, 0);
  SendMessageW(files, LB_RESETCONTENT, 0, 0);
  SetWindowTextW(GetDlgItem(dialog, lblExistingFolder), s.folder.c_str());
  if (s.folder.size() > 3) SendMessageW(dirs, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L".."));
  WIN32_FIND_DATAW found{};
  std::wstring base = s.folder;
  if (base.empty() || base.back() != L'\\') base += L'\\';
  HANDLE search = FindFirstFileW((base + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      SendMessageW(dirs, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    } else if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".ini") == 0) {
      SendMessageW(files, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

void EnterFolder(HWND dialog, NewINIState& s, const std::wstring& name) {
  if (name == L"..") {
    std::wstring parent = s.folder;
    while (!parent.empty() && parent.back() == L'\\') parent.pop_back();
    const size_t slash = parent.find_last_of(L'\\');
    if (slash != std::wstring::npos) s.folder = parent.substr(0, slash + 1 == 3 ? 3 : slash);
    if (s.folder.size() == 2) s.folder += L'\\';
  } else {
    if (s.folder.empty() || s.folder.back() != L'\\') s.folder += L'\\';
    s.folder += name;
  }
  FillExistingLists(dialog, s);
}

std::wstring ListText(HWND list, int row) {
  const LRESULT n = SendMessageW(list, LB_GETTEXTLEN, row, 0);
  if (n == LB_ERR) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(n));
  return text;
}

void CloseNewINI(HWND dialog, NewINIState& s, bool cancelled) {
  s.result->Cancelled = cancelled;
  if (s.modal) {
    EndDialog(dialog, cancelled ? IDCANCEL : IDOK);
  } else {
    DestroyWindow(dialog);
  }
}

void SelectNewINI(HWND dialog, NewINIState& s) {
  NewINIChoice& r = *s.result;
  r.ExistingPage = TabCtrl_GetCurSel(GetDlgItem(dialog, sstNewINI)) == 1;
  r.ActiveDirectory = IsDlgButtonChecked(dialog, optUseActiveDirectory) == BST_CHECKED;
  if (r.ExistingPage) {
    HWND files = GetDlgItem(dialog, filExistingINI);
    const int row = static_cast<int>(SendMessageW(files, LB_GETCURSEL, 0, 0));
    if (row < 0) {
      s.dialogs->Message(dialog, "Please select an INI file, or cancel.", "New INI",
                         MessageIcon::Information, MessageButtons::OK);
      return;
    }
    std::wstring path = s.folder;
    if (path.empty() || path.back() != L'\\') path += L'\\';
    r.ExistingFile = Utf8(path + ListText(files, row));
  }
  CloseNewINI(dialog, s, false);
}

void BuildNewINI(HWND dialog, NewINIState& s) {
  const unsigned dpi = DpiOf(dialog);
  s.fonts.Create(dpi);
  Builder b{dialog, dpi, s.fonts.Normal()};
  SetWindowTextW(dialog, L"New INI");
  HWND tab = b.Add(WC_TABCONTROLW, "", WS_TABSTOP | WS_CLIPSIBLINGS, sstNewINI, 10, 10, 520, 330);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(L"New");
  TabCtrl_InsertItem(tab, 0, &item);
  // The recent list is never offered; the existing file only at start-up.
  if (s.offerExisting) {
    item.pszText = const_cast<wchar_t*>(L"Existing");
    TabCtrl_InsertItem(tab, 1, &item);
  }
  auto onPage = [&](HWND control, int page) {
    s.pageOf.emplace_back(control, page);
    return control;
  };
  onPage(b.Add(L"STATIC", "Please select the type of Velloran INI file:", 0, -1, 26, 46, 480, 20),
         0);
  onPage(b.Add(L"BUTTON", "&Active Directory", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON,
               optUseActiveDirectory, 26, 76, 300, 20),
         0);
  onPage(b.Add(L"STATIC",
               "If all of your printers are published within Active Directory, you can select the "
               "Active Directory option to automatically maintain correct printer mappings using "
               "the automatic search and replace feature of Velloran.",
               SS_NOPREFIX, -1, 48, 98, 460, 64),
         0);
  onPage(b.Add(L"BUTTON", "&Manual Configuration", BS_AUTORADIOBUTTON, optUseManualConfiguration,
               26, 172, 300, 20),
         0);
  onPage(b.Add(L"STATIC",
               "If you would like more control over which printers get moved to which servers, "
               "please select this option.",
               SS_NOPREFIX, -1, 48, 194, 460, 44),
         0);
  CheckRadioButton(dialog, optUseActiveDirectory, optUseManualConfiguration, optUseActiveDirectory);
  if (s.offerExisting) {
    onPage(b.Add(L"STATIC", "Please navigate to and select an existing INI file:", WS_GROUP, -1, 26,
                 46, 480, 20),
           1);
    HWND drives = onPage(b.Add(WC_COMBOBOXW, "", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL,
                               drvExistingINI, 26, 72, 230, 200),
                         1);
    wchar_t letters[256]{};
    GetLogicalDriveStringsW(255, letters);
    for (const wchar_t* d = letters; *d; d += wcslen(d) + 1) {
      SendMessageW(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d));
    }
    onPage(b.Add(L"STATIC", "", SS_NOPREFIX | SS_PATHELLIPSIS, lblExistingFolder, 26, 102, 480, 20),
           1);
    onPage(b.Add(L"LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                 dirExistingINI, 26, 126, 230, 200, WS_EX_CLIENTEDGE),
           1);
    onPage(b.Add(L"LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                 filExistingINI, 268, 126, 238, 200, WS_EX_CLIENTEDGE),
           1);
    wchar_t current[MAX_PATH]{};
    GetCurrentDirectoryW(MAX_PATH, current);
    s.folder = current;
    FillExistingLists(dialog, s);
  }
  b.Add(L"BUTTON", "&Help", WS_TABSTOP | WS_GROUP, cmdNewINIHelp, 10, 352, 90, 26);
  b.Add(L"BUTTON", "&Select", WS_TABSTOP | BS_DEFPUSHBUTTON, cmdSelect, 340, 352, 90, 26);
  b.Add(L"BUTTON", "&Cancel", WS_TABSTOP, cmdCancel, 440, 352, 90, 26);
  // The tab strip lies under the pages' controls.
  SetWindowPos(tab, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  b.ClientSize(540, 388);
  ShowNewINIPage(s, 0);
}

INT_PTR CALLBACK NewINIProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  auto* s = DialogState<NewINIState, BuildNewINI>(dialog, msg, lp);
  switch (msg) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<NMHDR*>(lp);
      if (s && header->idFrom == sstNewINI && header->code == TCN_SELCHANGE) {
        ShowNewINIPage(*s, TabCtrl_GetCurSel(header->hwndFrom));
      }
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      // The tab's pages are drawn in the window colour; their texts and
      // options are painted on it.
      if (s && std::any_of(s->pageOf.begin(), s->pageOf.end(),
                           [lp](const auto& c) { return c.first == reinterpret_cast<HWND>(lp); })) {
        SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
      }
      return FALSE;
    case WM_HELP:
      if (s) {
        ShowHelpPage(dialog, *s->dialogs, s->offerExisting ? help::kNewINIStartup : help::kNewINI);
      }
      return TRUE;
    case WM_COMMAND: {
      if (!s) return FALSE;
      const int id = LOWORD(wp), code = HIWORD(wp);
      HWND control = reinterpret_cast<HWND>(lp);
      if (id == cmdSelect || id == IDOK) {
        SelectNewINI(dialog, *s);
      } else if (id == cmdCancel || id == IDCANCEL) {
        CloseNewINI(dialog, *s, true);
      } else if (id == cmdNewINIHelp) {
        SendMessageW(dialog, WM_HELP, 0, 0);
      } else if (id == drvExistingINI && code == CBN_SELCHANGE) {
        const int row = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
        wchar_t drive[8]{};
        SendMessageW(control, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(drive));
        s->folder = drive;
        FillExistingLists(dialog, *s);
      } else if (id == dirExistingINI && code == LBN_DBLCLK) {
        const int row = static_cast<int>(SendMessageW(control, LB_GETCURSEL, 0, 0));
        if (row >= 0) EnterFolder(dialog, *s, ListText(control, row));
      } else if (id == filExistingINI && code == LBN_DBLCLK) {
        SelectNewINI(dialog, *s);
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// ---- frmAbout ----------------------------------------------------------------

std::string VersionText(std::string_view version) {
  // The parts are numbers, not texts: "02.00.0009" still reads 2.0.9.
  int numbers[3] = {0, 0, 0};
  size_t start = 0;
  for (int i = 0; i < 3 && start <= version.size(); ++i) {
    const size_t dot = std::min(version.find('.', start), version.size());
    for (size_t k = start; k < dot; ++k) {
      if (version[k] >= '0' && version[k] <= '9') numbers[i] = numbers[i] * 10 + (version[k] - '0');
    }
    start = dot + 1;
  }
  return "Version " + std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." +
         std::to_string(numbers[2]);
}

struct AboutState {
  bool modal;
  Fonts fonts;
};

void BuildAbout(HWND dialog, AboutState& s) {
  const unsigned dpi = DpiOf(dialog);
  s.fonts.Create(dpi);
  Builder b{dialog, dpi, s.fonts.Normal()};
  SetWindowTextW(dialog, Wide(std::string("About ") + kProgramTitle).c_str());
  HWND icon = b.Add(L"STATIC", "", SS_ICON, picIcon, 16, 16, 32, 32);
  HICON picture = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  SendMessageW(icon, STM_SETICON,
               reinterpret_cast<WPARAM>(picture ? picture : LoadIconW(nullptr, IDI_APPLICATION)),
               0);
  HWND title = b.Add(L"STATIC", kProgramTitle, SS_NOPREFIX, lblTitle, 64, 16, 360, 26);
  SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(s.fonts.Heading()), FALSE);
  b.Add(L"STATIC", VersionText(VELLORAN_VERSION), SS_NOPREFIX, lblVersion, 64, 46, 360, 20);
  const std::string maker = kMakerName;
  b.Add(L"STATIC",
        "Copyright (C) " + maker +
            ". All rights reserved.\r\n\r\nWarning: this program is protected by copyright law "
            "and international treaties. It is provided \"as is\", without warranty of any kind, "
            "express or implied. In no event shall " +
            maker +
            " be liable for any claim, damages or other liability arising from the use of this "
            "program. Unauthorized reproduction or distribution of this program, or any portion "
            "of it, may result in severe civil and criminal penalties.",
        SS_NOPREFIX, lblDisclaimer, 64, 76, 360, 150);
  b.Add(L"BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, cmdOK, 334, 238, 90, 26);
  b.ClientSize(440, 276);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  auto* s = DialogState<AboutState, BuildAbout>(dialog, msg, lp);
  switch (msg) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (s && (LOWORD(wp) == cmdOK || LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        if (s->modal) {
          EndDialog(dialog, IDOK);
        } else {
          DestroyWindow(dialog);
        }
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

// The dialog manager's own modal loop gives Ctrl+Tab to the next control;
// here it turns the page, as in every tabbed dialog of Windows, so the loop
// is ours.
NewINIChoice RunNewINIDialog(HWND owner, DialogService& dialogs, bool offerExisting) {
  NewINIChoice result;
  HWND dialog = CreateNewINIDialog(owner, dialogs, offerExisting, &result);
  if (!dialog) return result;
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOW);
  MSG msg{};
  bool quit = false;
  while (IsWindow(dialog)) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      quit = true;
      break;
    }
    if (TranslateNewINIKeyboard(dialog, msg) || IsDialogMessageW(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (IsWindow(dialog)) DestroyWindow(dialog);
  if (ownerWasEnabled) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  // The quit was meant for the program's own loop.
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
  return result;
}

bool TranslateNewINIKeyboard(HWND dialog, const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || !(GetKeyState(VK_CONTROL) & 0x8000))
    return false;
  if (msg.hwnd != dialog && !IsChild(dialog, msg.hwnd)) return false;
  HWND tab = GetDlgItem(dialog, sstNewINI);
  const int count = TabCtrl_GetItemCount(tab);
  if (count < 2) return true;
  const int step = (GetKeyState(VK_SHIFT) & 0x8000) ? count - 1 : 1;
  TabCtrl_SetCurSel(tab, (TabCtrl_GetCurSel(tab) + step) % count);
  // A page set in code is not announced: tell the dialog as a click would.
  NMHDR header{tab, static_cast<UINT_PTR>(sstNewINI), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(dialog, WM_NOTIFY, sstNewINI, reinterpret_cast<LPARAM>(&header));
  return true;
}

HWND CreateNewINIDialog(HWND owner, DialogService& dialogs, bool offerExisting,
                        NewINIChoice* result) {
  auto* state = new NewINIState{&dialogs, offerExisting, result, false, {}, {}, {}};
  const auto t = EmptyTemplate(kDialogStyle);
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                    reinterpret_cast<const DLGTEMPLATE*>(t.data()), owner,
                                    &NewINIProc, reinterpret_cast<LPARAM>(state));
}

void RunAboutDialog(HWND owner) {
  AboutState state{true, {}};
  const auto t = EmptyTemplate(kDialogStyle | WS_VISIBLE);
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(t.data()),
                          owner, &AboutProc, reinterpret_cast<LPARAM>(&state));
}

HWND CreateAboutDialog(HWND owner) {
  auto* state = new AboutState{false, {}};
  const auto t = EmptyTemplate(kDialogStyle);
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                    reinterpret_cast<const DLGTEMPLATE*>(t.data()), owner,
                                    &AboutProc, reinterpret_cast<LPARAM>(state));
}

// ---- frmProgress -------------------------------------------------------------

frmProgress::frmProgress(HWND owner) {
  static Fonts fonts;
  const unsigned dpi = DpiOf(owner);
  fonts.Create(dpi);
  RECT r{0, 0, Scaled(360, dpi), Scaled(84, dpi)};
  const DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_DLGMODALFRAME);
  RECT o{};
  GetWindowRect(owner, &o);
  const int w = r.right - r.left, h = r.bottom - r.top;
  hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME, L"#32770", L"Progress ...", style,
                          o.left + (o.right - o.left - w) / 2, o.top + (o.bottom - o.top - h) / 2,
                          w, h, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  Builder b{hwnd_, dpi, fonts.Normal()};
  b.Add(L"STATIC", "Progress ...", SS_NOPREFIX, lblProgress, 14, 12, 332, 20);
  b.Add(PROGRESS_CLASSW, "", 0, prbProgress, 14, 40, 332, 22);
  UpdateWindow(hwnd_);
}

frmProgress::~frmProgress() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void frmProgress::SetMaximum(int maximum) {
  SendMessageW(GetDlgItem(hwnd_, prbProgress), PBM_SETRANGE32, 0, maximum);
}

void frmProgress::SetValue(int value) {
  SendMessageW(GetDlgItem(hwnd_, prbProgress), PBM_SETPOS, value, 0);
}

int frmProgress::Value() const {
  return static_cast<int>(SendMessageW(GetDlgItem(hwnd_, prbProgress), PBM_GETPOS, 0, 0));
}

void frmProgress::SetLabel(const std::string& text) {
  HWND label = GetDlgItem(hwnd_, lblProgress);
  SetControlText(label, text);
  UpdateWindow(label);
}

}  // namespace velloran::win32
