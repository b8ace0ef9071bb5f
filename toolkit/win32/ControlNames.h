#pragma once
// The page controls the core reads and fills by name, with their IDs.

#include <span>
#include <string_view>

namespace velloran::win32 {

enum class FieldKind { Text, Check, List };

struct NamedControl {
  std::string_view Name;
  int Id;
  FieldKind Kind;
};

/// Every page control that holds a value of the document.
std::span<const NamedControl> NamedControls();
/// The ID of the control called `name` (a value's control, or a button a
/// check box switches); 0 for none.
int ControlIdOf(std::string_view name);
/// The name of the control `id`; empty for none.
std::string_view ControlNameOf(int id);

}  // namespace velloran::win32
