// The page controls bound to the core: every value by control name, the
// three pair editors, the recipient list, the checks made when the focus
// leaves a field, the fields that a check box switches, and the unsaved-
// changes flag that edits raise.

#include <algorithm>

#include "toolkit/core/FieldRules.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/Pages.h"
#include "toolkit/core/Validation.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/ControlNames.h"
#include "toolkit/win32/frmWizard.h"

namespace velloran::win32 {
namespace {

struct PairButtons {
  PairKind Kind;
  int New, Save, Delete;
};
constexpr PairButtons kPairButtons[] = {
    {PairKind::Servers, cmdNewServerPair, cmdSaveServerPair, cmdDeleteServer},
    {PairKind::Printers, cmdNewPrinter, cmdPrinterSave, cmdDeletePrinter},
    {PairKind::Mixed, cmdMixedNew, cmdMixedSave, cmdMixedDelete},
};

void SetListLines(HWND list, const std::vector<std::string>& lines) {
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& line : lines) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line).c_str()));
  }
}

// A multi-line edit breaks lines with CR LF.
std::string WithCRLF(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

bool IsTextField(int id) {
  for (const NamedControl& c : NamedControls()) {
    if (c.Id == id) return c.Kind == FieldKind::Text;
  }
  return false;
}

bool IsCheckField(int id) {
  for (const NamedControl& c : NamedControls()) {
    if (c.Id == id) return c.Kind == FieldKind::Check;
  }
  return false;
}

// A check box of the toolkit's own settings: no document holds it.
bool IsPreference(int id) {
  const FormControl* declared = FormControlNamed(ControlNameOf(id));
  return declared && declared->Bind == Binding::Preference;
}

int IndexOf(PairKind kind) { return static_cast<int>(kind); }

}  // namespace

class frmWizard::WindowPrompter : public Prompter {
 public:
  explicit WindowPrompter(frmWizard& window) : w_(window) {}
  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon icon,
                    MessageButtons buttons) override {
    return w_.Ask(std::string(text), std::string(title), icon, buttons);
  }

 private:
  frmWizard& w_;
};

PageFields frmWizard::ReadFields() const {
  PageFields fields;
  for (const NamedControl& c : NamedControls()) {
    HWND control = Control(c.Id);
    switch (c.Kind) {
      case FieldKind::Text:
        fields.Texts[std::string(c.Name)] = ControlText(control);
        break;
      case FieldKind::Check:
        fields.Checks[std::string(c.Name)] = Checked(control);
        break;
      case FieldKind::List:
        fields.Lists[std::string(c.Name)] = ListLines(control);
        break;
    }
  }
  return fields;
}

void frmWizard::ShowFields(const PageFields& fields) {
  filling_ = true;
  for (const auto& [name, text] : fields.Texts) {
    if (int id = ControlIdOf(name)) SetControlText(Control(id), WithCRLF(text));
  }
  for (const auto& [name, on] : fields.Checks) {
    if (int id = ControlIdOf(name)) SetChecked(Control(id), on);
  }
  for (const auto& [name, lines] : fields.Lists) {
    if (int id = ControlIdOf(name)) SetListLines(Control(id), lines);
  }
  // A list filled anew has no chosen line: the next Save adds.
  newEntry_ = {true, true, true};
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

void frmWizard::OnFieldCommand(int id, int code, HWND control) {
  (void)control;
  // Typing in the recipient box is not yet a change: Add makes it one.
  if (IsTextField(id) && id != txtSendEmailTo && !filling_ &&
      (code == EN_CHANGE || code == CBN_EDITCHANGE || code == CBN_SELCHANGE)) {
    document_.Unsaved = true;
  }
  if (IsPreference(id) && code == BN_CLICKED) {
    // Kept for this run when the file cannot be written: the choice is not
    // worth a message at every click.
    (void)preferences_.SetFlag(ControlNameOf(id), Checked(Control(id)));
  } else if (IsCheckField(id) && code == BN_CLICKED && !filling_) {
    document_.Unsaved = true;
    ApplyDependentFields();
  }
  if (code == EN_KILLFOCUS) CheckFieldOnLeaving(id);
  if (OnPairCommand(id, code)) return;
  if (code != BN_CLICKED) return;
  switch (id) {
    case cmdAddSendEmail:
      AddRecipient();
      break;
    case cmdRemoveSendEmail:
      RemoveRecipient();
      break;
    case cmdBrowseFileOutput:
      if (std::string folder = dialogs_.BrowseForFolder(hwnd_); !folder.empty()) {
        SetControlText(Control(txtFileOutputPath), folder);
      }
      break;
    case cmdBrowseDeployment:
      if (std::string folder = dialogs_.BrowseForNetworkFolder(hwnd_); !folder.empty()) {
        SetControlText(Control(txtNetworkSharePath), folder);
      }
      break;
    case cmdDeployNow(0):
    case cmdDeployNow(1):
      DeployNow();
      break;
    default:
      break;
  }
}

PairEditorState frmWizard::ReadPairEditor(PairKind kind) const {
  const PairPageShape& shape = ShapeOf(kind);
  PairEditorState state = EmptyPairEditor(kind);
  for (size_t i = 0; i < shape.FieldNames.size(); ++i) {
    state.Fields[i] = ControlText(Control(ControlIdOf(shape.FieldNames[i])));
  }
  HWND list = Control(ControlIdOf(shape.ListName));
  state.Lines = ListLines(list);
  state.Selected = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
  state.NewEntry = newEntry_[IndexOf(kind)];
  return state;
}

void frmWizard::ShowPairEditor(PairKind kind, const PairEditorState& state) {
  const PairPageShape& shape = ShapeOf(kind);
  filling_ = true;
  for (size_t i = 0; i < shape.FieldNames.size(); ++i) {
    SetControlText(Control(ControlIdOf(shape.FieldNames[i])), state.Fields[i]);
  }
  HWND list = Control(ControlIdOf(shape.ListName));
  if (ListLines(list) != state.Lines) SetListLines(list, state.Lines);
  SendMessageW(list, LB_SETCURSEL, state.Selected, 0);
  newEntry_[IndexOf(kind)] = state.NewEntry;
  filling_ = false;
}

bool frmWizard::OnPairCommand(int id, int code) {
  for (const PairButtons& b : kPairButtons) {
    const PairPageShape& shape = ShapeOf(b.Kind);
    const bool listClick = id == ControlIdOf(shape.ListName) && code == LBN_SELCHANGE;
    if (!listClick && (code != BN_CLICKED || (id != b.New && id != b.Save && id != b.Delete))) {
      continue;
    }
    PairEditorState state = ReadPairEditor(b.Kind);
    WindowPrompter prompter(*this);
    bool changed = false;
    if (listClick) {
      if (state.Selected >= 0) PairChoose(b.Kind, state, state.Selected);
    } else if (id == b.New) {
      PairNew(state);
    } else if (id == b.Save) {
      changed = PairSave(b.Kind, state, prompter);
    } else {
      changed = PairDelete(b.Kind, state, prompter);
    }
    ShowPairEditor(b.Kind, state);
    if (changed) document_.Unsaved = true;
    return true;
  }
  return false;
}

void frmWizard::AddRecipient() {
  const std::string address = ControlText(Control(txtSendEmailTo));
  if (auto problem = CheckRecipient(address)) {
    Ask(problem->Message, problem->Title, problem->Icon, MessageButtons::OK);
    return;
  }
  SetListLines(Control(lstToEmailAddresses), [&] {
    auto lines = ListLines(Control(lstToEmailAddresses));
    lines.push_back(address);
    return lines;
  }());
  document_.Unsaved = true;
}

void frmWizard::RemoveRecipient() {
  HWND list = Control(lstToEmailAddresses);
  const int row = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
  std::vector<std::string> lines = ListLines(list);
  WindowPrompter prompter(*this);
  if (!velloran::RemoveRecipient(lines, row, prompter)) return;
  SetListLines(list, lines);
  document_.Unsaved = true;
}

void frmWizard::CheckFieldOnLeaving(int id) {
  if (checking_ || filling_) return;
  checking_ = true;
  const std::string text = ControlText(Control(id));
  const std::optional<Problem> problem = CheckOnLeaving(ControlNameOf(id), text);
  if (problem) {
    Ask(problem->Message, problem->Title, problem->Icon, MessageButtons::OK);
    toldProblem_ = true;
    PostMessageW(hwnd_, kRefocusMessage, static_cast<WPARAM>(id), 0);
  }
  const std::string_view name = ControlNameOf(id);
  if (IsFolderField(name) && FolderCheckDue(name, ReadFields(), page_)) CheckFolderField(id);
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
