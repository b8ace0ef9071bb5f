#pragma once
// The toolkit's help: the page of a context number (toolkit/core), in the
// help folder the dialog service names, opened in the desktop's browser.

#include <QString>

#include "toolkit/core/HelpContexts.h"

class QWidget;

namespace velloran {
class DialogService;
}

namespace velloran::help {

/// File name of the page for `context`; "" for an unknown number.
QString HelpPageFile(int context);

/// Opens the page of `context` (or the contents when the number has no
/// page). A missing help folder, or a browser that does not start, is
/// reported in a message box.
bool ShowHelp(QWidget* parent, DialogService& dialogs, int context);
bool ShowHelpContents(QWidget* parent, DialogService& dialogs);

}  // namespace velloran::help
