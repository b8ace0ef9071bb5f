#pragma once
// The IDs of the controls the form declares: each takes its place in
// FormControls() added to kFormControlBase, so the declaration is the one
// list of them and a control's name finds its window on every page.

#include <string_view>

#include "toolkit/core/Form.h"

namespace velloran::win32 {

/// The ID of the declared control called `name`; 0 for none.
int ControlIdOf(std::string_view name);
/// The name of the declared control `id`; empty for none.
std::string_view ControlNameOf(int id);
/// The declaration of the control `id`; null for a control the form does
/// not declare.
const FormControl* FormControlOf(int id);
/// Whether the control holds a value the pages read and show (every
/// declared control but the buttons and the read-only file type).
bool HoldsValue(const FormControl& control);

}  // namespace velloran::win32
