// The pages' values as one set for the presenter: read and shown page by
// page, the fields that a check box switches, and the checks made when the
// focus leaves a field.

#include "toolkit/core/FieldRules.h"
#include "toolkit/core/Form.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/ControlNames.h"
#include "toolkit/win32/frmWizard.h"

namespace velloran::win32 {

PageFields frmWizard::ReadFields() const {
  PageFields fields;
  for (const auto& page : pages_) page->ReadFields(fields);
  return fields;
}

void frmWizard::ShowFields(const PageFields& fields) {
  const bool was = filling_;
  filling_ = true;
  for (const auto& page : pages_) page->ShowFields(fields);
  filling_ = was;
  ApplyDependentFields();
}

void frmWizard::ApplyDependentFields() {
  for (const auto& [name, on] : EnabledControls(ReadFields())) {
    if (const int id = ControlIdOf(name)) EnableWindow(Control(id), on);
  }
}

void frmWizard::Edited(bool switches) {
  if (filling_) return;
  wizard_->Edited();
  if (switches) ApplyDependentFields();
}

void frmWizard::OnFieldLeft(int id) {
  const FormControl* c = FormControlOf(id);
  if (!c || !HoldsValue(*c) || filling_ || leaving_) return;
  if (IsFolderField(c->Name)) {
    // A message box now would take the mouse from the control the user
    // went to and swallow the click: the folder is looked for once the
    // click or key has done its work. It only warns, and the focus stays
    // where the user put it.
    PostMessageW(hwnd_, kFolderLeftMessage, static_cast<WPARAM>(id), 0);
    return;
  }
  // The focus the check asks for waits until the focus change is over.
  leaving_ = true;
  wizard_->LeaveField(c->Name);
  leaving_ = false;
}

void frmWizard::FocusLater(std::string_view control) {
  if (const int id = ControlIdOf(control))
    PostMessageW(hwnd_, kFocusMessage, static_cast<WPARAM>(id), 0);
}

}  // namespace velloran::win32
