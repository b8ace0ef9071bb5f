#pragma once
// The toolkit's help: the page of a context number (toolkit/core), shipped
// in help/ beside the program and opened in the desktop's browser.

#include <QString>

#include "toolkit/core/HelpContexts.h"

class QWidget;

namespace velloran::help {

/// File name of the page for `context`; "" for an unknown number.
QString HelpPageFile(int context);

/// Uses `folder` instead of looking beside the program (tests, renderers).
void SetHelpFolder(const QString& folder);
/// help/ beside the executable, else ../share/velloran/help; "" if neither.
QString HelpFolder();

/// Opens the page of `context` (or the contents when the number has no
/// page). A missing help folder, or a browser that does not start, is
/// reported in a message box.
bool ShowHelp(QWidget* parent, int context);
bool ShowHelpContents(QWidget* parent);

}  // namespace velloran::help
