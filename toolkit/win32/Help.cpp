#include "toolkit/win32/Help.h"

#include "toolkit/core/HelpContexts.h"
#include "toolkit/win32/Ui.h"

namespace velloran::win32 {

std::string HelpPagePath(int context) {
  const std::string_view page = context ? help::PageForContext(context) : std::string_view();
  return ProgramFolder() + "\\help\\" + std::string(page.empty() ? help::kContentsPage : page);
}

bool ShowHelpPage(HWND owner, DialogService& dialogs, int context) {
  const std::string path = HelpPagePath(context);
  if (GetFileAttributesW(Wide(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
    dialogs.Message(owner, help::PageMissingMessage(path), "Help", MessageIcon::Exclamation,
                    MessageButtons::OK);
    return false;
  }
  if (dialogs.OpenWithShell(owner, path)) return true;
  dialogs.Message(owner, help::NoBrowserMessage(path), "Help", MessageIcon::Exclamation,
                  MessageButtons::OK);
  return false;
}

}  // namespace velloran::win32
