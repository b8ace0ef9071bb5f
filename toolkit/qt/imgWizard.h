#pragma once
// Pictures of the toolkit, drawn in code so that no binary artwork has to be
// shipped or kept in step with the style.

#include <QIcon>

namespace velloran {

/// Picture `index` of the option tree's image list: 1 an option page,
/// 2 a group of pages. Any other index gives a null icon.
QIcon imgWizardPicture(int index);
/// Toolbar pictures for the desktop's icon theme to override: "new", "open",
/// "save", "help". Any other name gives a null icon.
QIcon ToolbarPicture(const char* name);
/// The program's window icon: a printer with an arrow to its new place.
QIcon VelloranIcon();

}  // namespace velloran
