#pragma once
// How the option pages' fields act on each other and on the user, the same
// in every front-end: which check box switches which controls, the warning
// when a folder a field names is not found, and the question before a
// recipient is removed.

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/Fields.h"
#include "toolkit/core/Prompter.h"
#include "toolkit/core/Validation.h"

namespace velloran {

/// The controls a check box switches on and off, buttons included.
struct DependentControls {
  std::string_view Box;
  std::vector<std::string_view> Controls;
};
std::span<const DependentControls> DependentControlTable();

/// Every switched control's state for the check boxes in `fields`: true
/// when it is enabled.
std::map<std::string, bool, std::less<>> EnabledControls(const PageFields& fields);

/// The folder fields whose folder is looked for when the focus leaves them.
bool IsFolderField(std::string_view control);
/// Whether the folder of `control` is to be looked for now: it holds text,
/// and it matters (the deployment folder on its page, the output folder
/// while file output is on).
bool FolderCheckDue(std::string_view control, const PageFields& fields, int currentPage);
/// The warning when the folder `control` names does not exist: a warning
/// only, the folder may be made later.
Problem FolderNotFound(std::string_view control);
/// The folder as the field keeps it: without a trailing separator (a lone
/// "/" stays).
std::string WithoutTrailingSeparator(std::string_view folder);

/// Remove on the recipient list: asks first, and removes line `row` when the
/// user agrees. True when a line was removed; -1 (nothing chosen) asks
/// nothing.
bool RemoveRecipient(std::vector<std::string>& recipients, int row, Prompter& prompter);

}  // namespace velloran
