#include "toolkit/win32/ControlNames.h"

#include "toolkit/win32/ControlIds.h"

namespace velloran::win32 {

int ControlIdOf(std::string_view name) {
  const auto controls = FormControls();
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].Name == name) return kFormControlBase + static_cast<int>(i);
  }
  return 0;
}

const FormControl* FormControlOf(int id) {
  const auto controls = FormControls();
  const int index = id - kFormControlBase;
  if (index < 0 || index >= static_cast<int>(controls.size())) return nullptr;
  return &controls[static_cast<size_t>(index)];
}

std::string_view ControlNameOf(int id) {
  const FormControl* c = FormControlOf(id);
  return c ? c->Name : std::string_view();
}

bool HoldsValue(const FormControl& control) {
  if (control.Kind == ControlKind::Button) return false;
  // The file type is chosen with the document and only shown.
  return !(control.Kind == ControlKind::Combo && control.Bind == Binding::None);
}

}  // namespace velloran::win32
