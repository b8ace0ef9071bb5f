#include "WindowDriver.h"

// After windows.h, which it needs.
#include <commctrl.h>

#include "toolkit/win32/Ui.h"

namespace velloran::win32::testing {

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::string TextOf(HWND control) { return ControlText(control); }

void Type(HWND control, const std::string& text) {
  wchar_t cls[32]{};
  GetClassNameW(control, cls, 32);
  SetWindowTextW(control, Wide(text).c_str());
  // A combo box tells its parent of typing only; WM_SETTEXT is silent there.
  if (_wcsicmp(cls, WC_COMBOBOXW) == 0) {
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(control));
  }
  PumpMessages();
}

bool Click(HWND control) {
  if (!control || !IsWindowVisible(control) || !IsWindowEnabled(control)) return false;
  SendMessageW(control, BM_CLICK, 0, 0);
  PumpMessages();
  return true;
}

bool IsChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool IsShown(HWND control) { return control && IsWindowVisible(control); }
bool IsEnabled(HWND control) { return control && IsWindowEnabled(control); }

std::vector<std::string> LinesOf(HWND list) { return ListLines(list); }

void ClickLine(HWND list, int row) {
  SendMessageW(list, LB_SETCURSEL, row, 0);
  SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  PumpMessages();
}

namespace {

std::string ItemText(HWND tree, HTREEITEM item) {
  wchar_t text[256]{};
  TVITEMW data{};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = 256;
  TreeView_GetItem(tree, &data);
  return Utf8(text);
}

void Outline(HWND tree, HTREEITEM item, const std::string& indent,
             std::vector<std::string>& lines) {
  for (; item; item = TreeView_GetNextSibling(tree, item)) {
    lines.push_back(indent + ItemText(tree, item));
    Outline(tree, TreeView_GetChild(tree, item), indent + "  ", lines);
  }
}

}  // namespace

std::vector<std::string> TreeOutline(HWND tree) {
  std::vector<std::string> lines;
  Outline(tree, TreeView_GetRoot(tree), "", lines);
  return lines;
}

bool SelectTreeItem(HWND tree, const std::string& path) {
  HTREEITEM level = TreeView_GetRoot(tree);
  HTREEITEM found = nullptr;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t slash = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, slash - start);
    found = nullptr;
    for (HTREEITEM item = level; item; item = TreeView_GetNextSibling(tree, item)) {
      if (ItemText(tree, item) == part) found = item;
    }
    if (!found) return false;
    level = TreeView_GetChild(tree, found);
    start = slash + 1;
  }
  TreeView_SelectItem(tree, found);
  PumpMessages();
  return true;
}

std::string SelectedTreeItem(HWND tree) {
  HTREEITEM item = TreeView_GetSelection(tree);
  return item ? ItemText(tree, item) : std::string();
}

bool MenuCommandEnabled(HWND window, int command) {
  const UINT state = GetMenuState(GetMenu(window), command, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void ChooseMenuCommand(HWND window, int command) {
  if (!MenuCommandEnabled(window, command)) return;
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  PumpMessages();
}

}  // namespace velloran::win32::testing
