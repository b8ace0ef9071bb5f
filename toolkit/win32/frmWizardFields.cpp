// The pages' values as one set for the core: read and shown page by page,
// the checks made when the focus leaves a field, the fields that a check box
// switches, and the unsaved-changes flag that edits raise.

#include "toolkit/core/FieldRules.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/Pages.h"
#include "toolkit/core/Validation.h"
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
  filling_ = true;
  for (const auto& page : pages_) page->ShowFields(fields);
  filling_ = false;
  ApplyDependentFields();
}

void frmWizard::ShowPageAndFocus(int page, std::string_view control) {
  ShowPage(page);
  if (int id = ControlIdOf(control)) SetFocus(Control(id));
}

void frmWizard::ApplyDependentFields() {
  for (const auto& [name, on] : EnabledControls(ReadFields())) {
    if (const int id = ControlIdOf(name)) EnableWindow(Control(id), on);
  }
}

void frmWizard::Edited(bool switches) {
  if (filling_) return;
  document_.Unsaved = true;
  if (switches) ApplyDependentFields();
}

void frmWizard::OnPreference(int id) {
  // Kept for this run when the file cannot be written: the choice is not
  // worth a message at every click.
  (void)preferences_.SetFlag(ControlNameOf(id), Checked(Control(id)));
}

void frmWizard::CheckFieldOnLeaving(int id) {
  if (checking_ || filling_) return;
  const std::string_view name = ControlNameOf(id);
  if (name.empty()) return;
  checking_ = true;
  const std::string text = ControlText(Control(id));
  const std::optional<Problem> problem = CheckOnLeaving(name, text);
  if (problem) {
    Ask(problem->Message, problem->Title, problem->Icon, MessageButtons::OK);
    toldProblem_ = true;
    PostMessageW(hwnd_, kRefocusMessage, static_cast<WPARAM>(id), 0);
  }
  // The folder is looked for once the click or key that moved the focus
  // has done its work: a message box now would take the mouse from the
  // control the user went to. It only warns, and the focus stays where
  // the user put it.
  if (IsFolderField(name) && FolderCheckDue(name, ReadFields(), page_))
    PostMessageW(hwnd_, kFolderCheckMessage, static_cast<WPARAM>(id), 0);
  checking_ = false;
}

void frmWizard::CheckFolderField(int id) {
  const std::string text = ControlText(Control(id));
  HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  const bool exists = services_.Deployment.FolderExists && services_.Deployment.FolderExists(text);
  SetCursor(old);
  // A warning only: the folder may be made before the deployment.
  if (!exists) {
    const Problem problem = FolderNotFound(ControlNameOf(id));
    Ask(problem.Message, problem.Title, problem.Icon, MessageButtons::OK);
  }
  if (const std::string kept = WithoutTrailingSeparator(text); kept != text) {
    SetControlText(Control(id), kept);
  }
}

}  // namespace velloran::win32
