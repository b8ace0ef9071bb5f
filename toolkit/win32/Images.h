#pragma once
// The pictures of the option tree (imgWizard): 0 a page, 1 a group of pages.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

namespace velloran::win32 {

/// Both pictures drawn for `dpi`; the caller destroys the list.
HIMAGELIST MakeWizardImages(unsigned dpi);

}  // namespace velloran::win32
