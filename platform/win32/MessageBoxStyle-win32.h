#pragma once
// The one translation between the portable message box's words and the
// system's: the engine's box and the Windows toolkit's both use it.

#include "platform/MessageBox.h"

namespace velloran {

/// The MB_* flags that draw `icon` and `buttons`.
unsigned MessageBoxStyle(MessageIcon icon, MessageButtons buttons);
/// What the system's ID* answer means; a box closed without one answers as
/// its first button would.
MessageAnswer MessageBoxAnswer(int id, MessageButtons buttons);

}  // namespace velloran
