#pragma once
// Whether this session has a screen a dialog could appear on.

namespace velloran {

/// True when a user can see a window: an X11 or Wayland display whose socket
/// exists, and no Qt platform that draws nowhere (offscreen, minimal). It
/// only looks at the environment and the file system, so it costs nothing
/// and loads no GUI library; a display that passes may still refuse us.
bool DisplayPresent();

}  // namespace velloran
