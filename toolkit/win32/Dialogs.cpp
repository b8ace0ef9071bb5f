#include "toolkit/win32/Dialogs.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "toolkit/core/Branding.h"
#include "toolkit/core/HelpContexts.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/Dialog.h"
#include "toolkit/win32/Help.h"
#include "toolkit/win32/Ui.h"

namespace velloran::win32 {
namespace {

constexpr DWORD kDialogStyle = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;

// ---- frmNewINI -------------------------------------------------------------

constexpr int lblExistingFolder = cmdNewINIHelp + 1;

std::wstring ListText(HWND list, int row) {
  const LRESULT n = SendMessageW(list, LB_GETTEXTLEN, row, 0);
  if (n == LB_ERR) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(n));
  return text;
}

class NewINIDialog : public Dialog {
 public:
  NewINIDialog(DialogService& dialogs, bool offerExisting, NewINIChoice& result)
      : Dialog(kDialogStyle), dialogs_(dialogs), offerExisting_(offerExisting), result_(result) {}

 private:
  void Build() override;
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void ShowPage(int page);
  void FillExistingLists();
  void EnterFolder(const std::wstring& name);
  void Finish(bool cancelled);
  void Select();
  bool OnPage(HWND control) const {
    return std::any_of(pageOf_.begin(), pageOf_.end(),
                       [control](const auto& c) { return c.first == control; });
  }

  DialogService& dialogs_;
  bool offerExisting_;
  NewINIChoice& result_;
  std::wstring folder_;
  std::vector<std::pair<HWND, int>> pageOf_;  ///< controls of the tab pages
};

void NewINIDialog::ShowPage(int page) {
  for (const auto& [control, p] : pageOf_) ShowWindow(control, p == page ? SW_SHOWNA : SW_HIDE);
}

void NewINIDialog::FillExistingLists() {
  HWND dirs = Item(dirExistingINI), files = Item(filExistingINI);
  SendMessageW(dirs, LB_RESETCONTENT, 0, 0);
  SendMessageW(files, LB_RESETCONTENT, 0, 0);
  SetWindowTextW(Item(lblExistingFolder), folder_.c_str());
  if (folder_.size() > 3) SendMessageW(dirs, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L".."));
  WIN32_FIND_DATAW found{};
  std::wstring base = folder_;
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

void NewINIDialog::EnterFolder(const std::wstring& name) {
  if (name == L"..") {
    std::wstring parent = folder_;
    while (!parent.empty() && parent.back() == L'\\') parent.pop_back();
    const size_t slash = parent.find_last_of(L'\\');
    if (slash != std::wstring::npos) folder_ = parent.substr(0, slash + 1 == 3 ? 3 : slash);
    if (folder_.size() == 2) folder_ += L'\\';
  } else {
    if (folder_.empty() || folder_.back() != L'\\') folder_ += L'\\';
    folder_ += name;
  }
  FillExistingLists();
}

void NewINIDialog::Finish(bool cancelled) {
  result_.Cancelled = cancelled;
  Close(cancelled ? IDCANCEL : IDOK);
}

void NewINIDialog::Select() {
  NewINIChoice& r = result_;
  r.ExistingPage = TabCtrl_GetCurSel(Item(sstNewINI)) == 1;
  r.ActiveDirectory = IsDlgButtonChecked(Handle(), optUseActiveDirectory) == BST_CHECKED;
  if (r.ExistingPage) {
    HWND files = Item(filExistingINI);
    const int row = static_cast<int>(SendMessageW(files, LB_GETCURSEL, 0, 0));
    if (row < 0) {
      dialogs_.Message(Handle(), "Please select an INI file, or cancel.", "New INI",
                       MessageIcon::Information, MessageButtons::OK);
      return;
    }
    std::wstring path = folder_;
    if (path.empty() || path.back() != L'\\') path += L'\\';
    r.ExistingFile = Utf8(path + ListText(files, row));
  }
  Finish(false);
}

void NewINIDialog::Build() {
  SetWindowTextW(Handle(), L"New INI");
  HWND tab = Add(WC_TABCONTROLW, "", WS_TABSTOP | WS_CLIPSIBLINGS, sstNewINI, R(10, 10, 520, 330));
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(L"New");
  TabCtrl_InsertItem(tab, 0, &item);
  // The recent list is never offered; the existing file only at start-up.
  if (offerExisting_) {
    item.pszText = const_cast<wchar_t*>(L"Existing");
    TabCtrl_InsertItem(tab, 1, &item);
  }
  auto onPage = [&](HWND control, int page) {
    pageOf_.emplace_back(control, page);
    return control;
  };
  onPage(Add(L"STATIC", "Please select the type of Velloran INI file:", 0, -1, R(26, 46, 480, 20)),
         0);
  onPage(Add(L"BUTTON", "&Active Directory", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON,
             optUseActiveDirectory, R(26, 76, 300, 20)),
         0);
  onPage(Add(L"STATIC",
             "If all of your printers are published within Active Directory, you can select the "
             "Active Directory option to automatically maintain correct printer mappings using "
             "the automatic search and replace feature of Velloran.",
             SS_NOPREFIX, -1, R(48, 98, 460, 64)),
         0);
  onPage(Add(L"BUTTON", "&Manual Configuration", BS_AUTORADIOBUTTON, optUseManualConfiguration,
             R(26, 172, 300, 20)),
         0);
  onPage(Add(L"STATIC",
             "If you would like more control over which printers get moved to which servers, "
             "please select this option.",
             SS_NOPREFIX, -1, R(48, 194, 460, 44)),
         0);
  CheckRadioButton(Handle(), optUseActiveDirectory, optUseManualConfiguration,
                   optUseActiveDirectory);
  if (offerExisting_) {
    onPage(Add(L"STATIC", "Please navigate to and select an existing INI file:", WS_GROUP, -1,
               R(26, 46, 480, 20)),
           1);
    HWND drives = onPage(Add(WC_COMBOBOXW, "", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL,
                             drvExistingINI, R(26, 72, 230, 200)),
                         1);
    wchar_t letters[256]{};
    GetLogicalDriveStringsW(255, letters);
    for (const wchar_t* d = letters; *d; d += wcslen(d) + 1) {
      SendMessageW(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d));
    }
    onPage(
        Add(L"STATIC", "", SS_NOPREFIX | SS_PATHELLIPSIS, lblExistingFolder, R(26, 102, 480, 20)),
        1);
    onPage(Add(L"LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
               dirExistingINI, R(26, 126, 230, 200), WS_EX_CLIENTEDGE),
           1);
    onPage(Add(L"LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
               filExistingINI, R(268, 126, 238, 200), WS_EX_CLIENTEDGE),
           1);
    wchar_t current[MAX_PATH]{};
    GetCurrentDirectoryW(MAX_PATH, current);
    folder_ = current;
    FillExistingLists();
  }
  Add(L"BUTTON", "&Help", WS_TABSTOP | WS_GROUP, cmdNewINIHelp, R(10, 352, 90, 26));
  Add(L"BUTTON", "&Select", WS_TABSTOP | BS_DEFPUSHBUTTON, cmdSelect, R(340, 352, 90, 26));
  Add(L"BUTTON", "&Cancel", WS_TABSTOP, cmdCancel, R(440, 352, 90, 26));
  // The tab strip lies under the pages' controls.
  SetWindowPos(tab, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ClientSize(540, 388);
  ShowPage(0);
}

INT_PTR NewINIDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<NMHDR*>(lp);
      if (header->idFrom == sstNewINI && header->code == TCN_SELCHANGE) {
        ShowPage(TabCtrl_GetCurSel(header->hwndFrom));
      }
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      // The tab's pages are drawn in the window colour; their texts and
      // options are painted on it.
      if (OnPage(reinterpret_cast<HWND>(lp))) {
        SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
      }
      return FALSE;
    case WM_HELP:
      ShowHelpPage(Handle(), dialogs_, offerExisting_ ? help::kNewINIStartup : help::kNewINI);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wp), code = HIWORD(wp);
      HWND control = reinterpret_cast<HWND>(lp);
      if (id == cmdSelect || id == IDOK) {
        Select();
      } else if (id == cmdCancel || id == IDCANCEL) {
        Finish(true);
      } else if (id == cmdNewINIHelp) {
        SendMessageW(Handle(), WM_HELP, 0, 0);
      } else if (id == drvExistingINI && code == CBN_SELCHANGE) {
        const int row = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
        wchar_t drive[8]{};
        SendMessageW(control, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(drive));
        folder_ = drive;
        FillExistingLists();
      } else if (id == dirExistingINI && code == LBN_DBLCLK) {
        const int row = static_cast<int>(SendMessageW(control, LB_GETCURSEL, 0, 0));
        if (row >= 0) EnterFolder(ListText(control, row));
      } else if (id == filExistingINI && code == LBN_DBLCLK) {
        Select();
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

class AboutDialog : public Dialog {
 public:
  AboutDialog() : Dialog(kDialogStyle) {}

 private:
  void Build() override {
    SetWindowTextW(Handle(), Wide(std::string("About ") + kProgramTitle).c_str());
    HWND icon = Add(L"STATIC", "", SS_ICON, picIcon, R(16, 16, 32, 32));
    HICON picture = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    SendMessageW(icon, STM_SETICON,
                 reinterpret_cast<WPARAM>(picture ? picture : LoadIconW(nullptr, IDI_APPLICATION)),
                 0);
    HWND title = Add(L"STATIC", kProgramTitle, SS_NOPREFIX, lblTitle, R(64, 16, 360, 26));
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFonts().Heading()), FALSE);
    Add(L"STATIC", VersionText(VELLORAN_VERSION), SS_NOPREFIX, lblVersion, R(64, 46, 360, 20));
    const std::string maker = kMakerName;
    Add(L"STATIC",
        "Copyright (C) " + maker +
            ". All rights reserved.\r\n\r\nWarning: this program is protected by copyright law "
            "and international treaties. It is provided \"as is\", without warranty of any kind, "
            "express or implied. In no event shall " +
            maker +
            " be liable for any claim, damages or other liability arising from the use of this "
            "program. Unauthorized reproduction or distribution of this program, or any portion "
            "of it, may result in severe civil and criminal penalties.",
        SS_NOPREFIX, lblDisclaimer, R(64, 76, 360, 150));
    Add(L"BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, cmdOK, R(334, 238, 90, 26));
    ClientSize(440, 276);
  }
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_COMMAND && LOWORD(wp) == cmdOK) {
      Close(IDOK);
      return TRUE;
    }
    return Dialog::OnMessage(msg, wp, lp);
  }
};

}  // namespace

// The dialog manager's own modal loop gives Ctrl+Tab to the next control;
// here it turns the page, as in every tabbed dialog of Windows, so the loop
// is ours.
NewINIChoice RunNewINIDialog(HWND owner, DialogService& dialogs, bool offerExisting) {
  NewINIChoice result;
  NewINIDialog state(dialogs, offerExisting, result);
  HWND dialog = state.CreateModeless(owner, false);
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
  return Dialog::Release(std::make_unique<NewINIDialog>(dialogs, offerExisting, *result), owner,
                         false);
}

void RunAboutDialog(HWND owner) { AboutDialog().RunModal(owner); }

HWND CreateAboutDialog(HWND owner) {
  return Dialog::Release(std::make_unique<AboutDialog>(), owner, false);
}

// ---- frmProgress -------------------------------------------------------------

frmProgress::frmProgress(HWND owner) : Dialog(DS_MODALFRAME | WS_POPUP | WS_CAPTION) {
  CreateModeless(owner, true);
  UpdateWindow(Handle());
}

void frmProgress::Build() {
  SetWindowTextW(Handle(), L"Progress ...");
  Add(L"STATIC", "Progress ...", SS_NOPREFIX, lblProgress, R(14, 12, 332, 20));
  Add(PROGRESS_CLASSW, "", 0, prbProgress, R(14, 40, 332, 22));
  ClientSize(360, 84);
}

// The deployment closes it when done; Escape does not.
INT_PTR frmProgress::OnMessage(UINT msg, WPARAM, LPARAM) { return msg == WM_COMMAND; }

void frmProgress::SetMaximum(int maximum) {
  SendMessageW(Item(prbProgress), PBM_SETRANGE32, 0, maximum);
}

void frmProgress::SetValue(int value) { SendMessageW(Item(prbProgress), PBM_SETPOS, value, 0); }

int frmProgress::Value() const {
  return static_cast<int>(SendMessageW(Item(prbProgress), PBM_GETPOS, 0, 0));
}

void frmProgress::SetLabel(const std::string& text) {
  HWND label = Item(lblProgress);
  SetControlText(label, text);
  UpdateWindow(label);
}

}  // namespace velloran::win32
