#pragma once
// Message boxes as Qt dialogs, for clients with a display.

#include <functional>
#include <memory>

#include "platform/MessageBox.h"

namespace velloran {

/// Creates the QApplication when the process has none yet. A box shown
/// before the program's own event loop runs needs one.
void EnsureQtApplication();

/// Modal QMessageBox dialogs; the first button is the default. `onShown`
/// runs once each box is up and waiting for the user.
std::unique_ptr<MessageBox> MakeQtMessageBox(std::function<void()> onShown = {});

}  // namespace velloran
