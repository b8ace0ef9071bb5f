#pragma once
// Message boxes as Qt dialogs, for clients with a display.

#include <memory>

#include "platform/MessageBox.h"

namespace velloran {

/// True when a user can see a window: an X11 or Wayland display whose socket
/// exists, and no Qt platform that draws nowhere (offscreen, minimal).
bool DisplayPresent();

/// Creates the QApplication when the process has none yet. A box shown
/// before the program's own event loop runs needs one.
void EnsureQtApplication();

/// Modal QMessageBox dialogs; the first button is the default.
std::unique_ptr<MessageBox> MakeQtMessageBox();

}  // namespace velloran
