#include "toolkit/core/FieldRules.h"

#include <algorithm>

#include "toolkit/core/Form.h"
#include "toolkit/core/Pages.h"

namespace velloran {
namespace {

// The check boxes in the order they stand, each with the controls it switches.
const std::vector<DependentControls>& Dependents() {
  static const std::vector<DependentControls> kDependents = [] {
    std::vector<DependentControls> table;
    for (const FormControl& c : FormControls()) {
      if (c.SwitchedBy.empty()) continue;
      auto box = std::find_if(table.begin(), table.end(),
                              [&](const DependentControls& d) { return d.Box == c.SwitchedBy; });
      if (box == table.end()) box = table.insert(table.end(), {c.SwitchedBy, {}});
      box->Controls.push_back(c.Name);
    }
    return table;
  }();
  return kDependents;
}

struct FolderField {
  std::string_view Control;
  std::string_view Message;
};
constexpr FolderField kFolderFields[] = {
    {"txtNetworkSharePath",
     "The network share folder could not be found. You will not be able to deploy this INI "
     "file until the folder is created."},
    {"txtFileOutputPath",
     "The output file folder could not be found. This may cause Velloran to work irregularly."},
};

bool Checked(const PageFields& fields, std::string_view box) {
  const auto found = fields.Checks.find(box);
  return found != fields.Checks.end() && found->second;
}

}  // namespace

std::span<const DependentControls> DependentControlTable() { return Dependents(); }

std::map<std::string, bool, std::less<>> EnabledControls(const PageFields& fields) {
  std::map<std::string, bool, std::less<>> enabled;
  for (const DependentControls& d : Dependents()) {
    for (std::string_view control : d.Controls)
      enabled[std::string(control)] = Checked(fields, d.Box);
  }
  return enabled;
}

bool IsFolderField(std::string_view control) {
  const FormControl* c = FormControlNamed(control);
  return c && c->Check == Rule::Folder;
}

bool FolderCheckDue(std::string_view control, const PageFields& fields, int currentPage) {
  const auto text = fields.Texts.find(control);
  if (!IsFolderField(control) || text == fields.Texts.end() || text->second.empty()) return false;
  if (control == "txtNetworkSharePath") return currentPage == kPageDeployment;
  return Checked(fields, "chkUseFileOutput");
}

Problem FolderNotFound(std::string_view control) {
  std::string message;
  for (const FolderField& f : kFolderFields) {
    if (f.Control == control) message = f.Message;
  }
  const int page = control == "txtNetworkSharePath" ? kPageDeployment : kPageFileOutput;
  return Problem{message, "Folder not found.", MessageIcon::Exclamation, page,
                 std::string(control)};
}

std::string WithoutTrailingSeparator(std::string_view folder) {
  if (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.remove_suffix(1);
  return std::string(folder);
}

bool RemoveRecipient(std::vector<std::string>& recipients, int row, Prompter& prompter) {
  if (row < 0 || row >= static_cast<int>(recipients.size())) return false;
  if (prompter.Ask("Are you sure that you want to delete the selected Email To Address?", "Delete?",
                   MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes) {
    return false;
  }
  recipients.erase(recipients.begin() + row);
  return true;
}

}  // namespace velloran
