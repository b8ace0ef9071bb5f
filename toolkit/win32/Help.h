#pragma once
// The help pages, one HTML file per context number in help\ beside the
// program, opened in the default browser.

#include <windows.h>

#include <string>

#include "toolkit/win32/DialogService.h"

namespace velloran::win32 {

/// The page file of `context` (0: the contents) in help\ beside the program.
std::string HelpPagePath(int context);
/// Opens that page; tells the user when the page is missing or no browser
/// could be started. True when a browser was started.
bool ShowHelpPage(HWND owner, DialogService& dialogs, int context);

}  // namespace velloran::win32
