#pragma once
// Drives a window the way a user or an accessibility tool does: by control
// ID, through window messages.

#include <windows.h>

#include <string>
#include <vector>

namespace velloran::win32::testing {

/// Delivers what is posted to the thread's windows.
void PumpMessages();

std::string TextOf(HWND control);
/// Types `text` into an edit or combo box (the control reports the change).
void Type(HWND control, const std::string& text);
/// A mouse click: refused, as by the user, when the control is disabled or
/// hidden. Returns whether the click reached it.
bool Click(HWND control);
bool IsChecked(HWND button);
bool IsShown(HWND control);
bool IsEnabled(HWND control);

/// The lines of a list box.
std::vector<std::string> LinesOf(HWND list);
/// Clicks line `row` of a list box.
void ClickLine(HWND list, int row);

/// The tree's item texts, depth first, children indented by two blanks.
std::vector<std::string> TreeOutline(HWND tree);
/// Selects the item at `path` ("Deployment/General"), as a click would.
bool SelectTreeItem(HWND tree, const std::string& path);
/// The text of the selected item.
std::string SelectedTreeItem(HWND tree);

/// Sends a key press through the program's own keyboard handling.
template <typename Window>
void PressKey(Window& window, UINT key, bool alt = false) {
  MSG msg{};
  msg.hwnd = GetFocus() ? GetFocus() : window.Handle();
  msg.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
  msg.wParam = key;
  msg.lParam = alt ? (1 << 29) : 0;
  if (!window.TranslateKeyboard(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  PumpMessages();
}

/// Alt and `letter` as Windows delivers them once translated: the character
/// message, through the program's own keyboard handling. A letter nobody on
/// the window owns would open the menu loop: tests press owned letters only.
template <typename Window>
void PressAlt(Window& window, char letter) {
  MSG msg{};
  msg.hwnd = GetFocus() ? GetFocus() : window.Handle();
  msg.message = WM_SYSCHAR;
  msg.wParam = static_cast<WPARAM>(letter >= 'A' && letter <= 'Z' ? letter - 'A' + 'a' : letter);
  msg.lParam = 1 << 29;
  if (!window.TranslateKeyboard(msg)) DispatchMessageW(&msg);
  PumpMessages();
}

/// Runs `press` with Ctrl held down, as the keyboard state says it.
template <typename Press>
void WithCtrl(Press press) {
  BYTE keys[256]{};
  GetKeyboardState(keys);
  const BYTE before = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  press();
  keys[VK_CONTROL] = before;
  SetKeyboardState(keys);
}

/// Whether a menu command is offered (not greyed).
bool MenuCommandEnabled(HWND window, int command);
/// Chooses a menu command, as a click on the entry does.
void ChooseMenuCommand(HWND window, int command);

}  // namespace velloran::win32::testing
