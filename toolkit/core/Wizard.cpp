#include "toolkit/core/Wizard.h"

#include <stdexcept>
#include <utility>

#include "toolkit/core/FieldRules.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/Validation.h"

namespace velloran {
namespace {

constexpr std::string_view kCheckTargetsCommand = "actCheckTargets";

ProfileFunctions& Required(ProfileFunctions* profile) {
  if (!profile) throw std::invalid_argument("the wizard needs profile functions to read and write");
  return *profile;
}

std::string TextOf(const PageFields& fields, std::string_view control) {
  const auto it = fields.Texts.find(control);
  return it == fields.Texts.end() ? std::string() : it->second;
}

}  // namespace

class Wizard::Relay : public FileView {
 public:
  explicit Relay(Wizard& wizard) : w_(wizard) {}

  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon icon,
                    MessageButtons buttons) override {
    return w_.view_.Ask(text, title, icon, buttons);
  }
  std::string ChooseFileToOpen(std::string_view title, std::string_view folder) override {
    return w_.view_.ChooseFileToOpen(title, folder);
  }
  std::string ChooseFileToSave(std::string_view title, std::string_view folder,
                               std::string_view initialName) override {
    return w_.view_.ChooseFileToSave(title, folder, initialName);
  }
  std::optional<NewDocumentChoice> ChooseNewDocument(bool offerExisting) override {
    return w_.view_.ChooseNewDocument(offerExisting);
  }
  void ShowPage(int page, std::string_view control) override {
    if (HasPage(page)) w_.page_ = page;
    w_.view_.ShowPage(page, control);
  }
  void SetCaption(std::string_view caption) override { w_.view_.SetCaption(caption); }
  PageFields ReadFields() override { return w_.view_.ReadFields(); }
  void ShowFields(const PageFields& fields) override {
    const bool was = w_.filling_;
    w_.filling_ = true;
    w_.view_.ShowFields(fields);
    w_.filling_ = was;
    // What was checked of the fields before is not what they show now.
    w_.left_.reset();
  }
  void ShowMode(bool activeDirectory) override {
    w_.page_ = kPageGeneral;
    w_.view_.ShowMode(activeDirectory);
  }

 private:
  Wizard& w_;
};

Wizard::Wizard(WizardView& view, WizardServices services)
    : view_(view),
      services_(std::move(services)),
      store_(Required(services_.Profile)),
      relay_(std::make_unique<Relay>(*this)),
      files_(document_, *relay_, store_),
      preferences_(services_.PreferencesFile) {}

Wizard::~Wizard() = default;

bool Wizard::Start() {
  if (services_.DomainNames) view_.OfferDomainNames(services_.DomainNames());
  ShowPreferences();
  return files_.Start();
}

// ---------------------------------------------------------------------------
// What the window offers.

bool Wizard::ToolEnabled(Tool tool) const {
  if (!ToolOffered(tool, ActiveDirectory())) return false;
  switch (tool) {
    case Tool::Contents:
      return bool(services_.OpenHelp);
    case Tool::About:
      return bool(services_.ShowAbout);
    default:
      return true;
  }
}

bool Wizard::CanDeploy() const {
  const DeploymentEnvironment& d = services_.Deployment;
  return d.Time && d.UserName && d.ComputerName && d.FolderExists && d.LocalFolder;
}

// ---------------------------------------------------------------------------
// Commands.

void Wizard::ToolClick(Tool tool) {
  if (!ToolEnabled(tool)) return;
  if (const auto page = PageOfTool(tool, ActiveDirectory())) {
    GoTo(*page);
    return;
  }
  switch (tool) {
    case Tool::New:
      files_.New();
      break;
    case Tool::Open:
      files_.Open();
      break;
    case Tool::Save:
      files_.Save();
      break;
    case Tool::SaveAs:
      files_.SaveAs();
      break;
    case Tool::Exit:
      view_.Close();
      break;
    case Tool::Contents:
      services_.OpenHelp(0);
      break;
    case Tool::About:
      services_.ShowAbout();
      break;
    default:
      break;
  }
}

bool Wizard::RunCommand(std::string_view id) {
  if (const auto tool = ToolOfId(id)) {
    ToolClick(*tool);
    return true;
  }
  if (id == kCheckTargetsCommand) {
    CheckTargets();
    return true;
  }
  return false;
}

void Wizard::CheckTargets() {
  if (!services_.TargetCheck) return;
  // The pairs as the pages show them, saved or not.
  INISettings shown = document_.Settings;
  RecordOfFields(view_.ReadFields(), shown);
  velloran::CheckTargets(shown, services_.TargetCheck(), view_);
}

DeploymentOutcome Wizard::DeployNow() {
  if (!CanDeploy()) return {};
  DeploymentEnvironment environment = services_.Deployment;
  // The box as the page shows it; the preferences file follows it.
  const PageFields fields = view_.ReadFields();
  const auto script = fields.Checks.find("chkDriverScript");
  environment.CreateDriverScript =
      script != fields.Checks.end() ? script->second : preferences_.Flag("chkDriverScript");
  environment.Confirm = nullptr;
  if (services_.TargetCheck) {
    environment.Confirm = [this](const INISettings& settings) {
      return ConfirmTargetsBeforeDeploy(settings, services_.TargetCheck(), view_);
    };
  }
  DeploymentOutcome outcome = Deploy(document_, environment, view_);
  // Closed however the deployment ended.
  view_.Finished();
  return outcome;
}

void Wizard::Browse(std::string_view control) {
  if (!IsFolderField(control)) return;
  const std::string folder = view_.ChooseFolder(control);
  if (folder.empty()) return;
  PageFields chosen;
  chosen.Texts[std::string(control)] = folder;
  view_.ShowFields(chosen);
  Edited();
}

void Wizard::HelpOnPage() {
  if (services_.OpenHelp) services_.OpenHelp(HelpContextOfPage(page_, ActiveDirectory()));
}

// ---------------------------------------------------------------------------
// Navigation.

bool Wizard::MayLeavePage() {
  const PageFields fields = view_.ReadFields();
  // What the focus leaving a field has just checked is not checked again:
  // once per attempt, as the next attempt leaves the field anew.
  const std::optional<LeftField> left = std::exchange(left_, std::nullopt);
  const auto justChecked = [&](std::string_view control) {
    return left && left->Control == control && left->Text == TextOf(fields, control);
  };
  if (const std::optional<Problem> problem = CheckLeavingPage(page_, fields)) {
    if (!justChecked(problem->Control)) view_.Tell(problem->Message, problem->Title, problem->Icon);
    view_.ShowPage(page_, problem->Control);
    return false;
  }
  // A missing folder warns and lets the user go.
  for (const FormControl& c : FormControls()) {
    if (c.Page == page_ && c.Check == Rule::Folder && !justChecked(c.Name))
      CheckFolder(c.Name, fields);
  }
  left_.reset();
  return true;
}

bool Wizard::GoTo(int page) {
  if (!HasPage(page)) return false;
  if (page != page_ && !MayLeavePage()) return false;
  ShowPage(page);
  return true;
}

bool Wizard::Back() {
  const auto to = PreviousPage(page_, ActiveDirectory());
  return to && GoTo(*to);
}

bool Wizard::Next() {
  const auto to = NextPage(page_, ActiveDirectory());
  return to && GoTo(*to);
}

void Wizard::ShowPage(int page) {
  if (!HasPage(page)) return;
  page_ = page;
  view_.ShowPage(page, {});
}

// ---------------------------------------------------------------------------
// The fields.

bool Wizard::LeaveField(std::string_view control) {
  const PageFields fields = view_.ReadFields();
  const std::string text = TextOf(fields, control);
  if (IsFolderField(control)) {
    CheckFolder(control, fields);
    left_ = LeftField{std::string(control), TextOf(view_.ReadFields(), control)};
    return true;
  }
  const std::optional<Problem> problem = CheckOnLeaving(control, text);
  left_ = LeftField{std::string(control), text};
  if (!problem) return true;
  view_.Tell(problem->Message, problem->Title, problem->Icon);
  if (const FormControl* declared = FormControlNamed(control)) page_ = declared->Page;
  view_.ShowPage(page_, control);
  return false;
}

void Wizard::CheckFolder(std::string_view control, const PageFields& fields) {
  if (!FolderCheckDue(control, fields, page_)) return;
  const std::string text = TextOf(fields, control);
  const auto& exists = services_.Deployment.FolderExists;
  view_.ShowBusy(true);
  const bool found = exists && exists(text);
  view_.ShowBusy(false);
  if (!found) {
    const Problem warning = FolderNotFound(control);
    view_.Tell(warning.Message, warning.Title, warning.Icon);
  }
  if (const std::string kept = WithoutTrailingSeparator(text); kept != text) {
    PageFields trimmed;
    trimmed.Texts[std::string(control)] = kept;
    view_.ShowFields(trimmed);
    Edited();
  }
}

void Wizard::Edited() {
  if (!filling_) document_.Unsaved = true;
}

void Wizard::SetPreference(std::string_view control, bool on) {
  // Kept for this run when the file cannot be written: the choice is not
  // worth a message at every click.
  (void)preferences_.SetFlag(control, on);
}

void Wizard::UsePreferences(std::string file) {
  preferences_ = Preferences(std::move(file));
  ShowPreferences();
}

void Wizard::ShowPreferences() {
  PageFields choices;
  for (const FormControl& c : FormControls()) {
    if (c.Bind == Binding::Preference)
      choices.Checks[std::string(c.Name)] = preferences_.Flag(c.Name);
  }
  filling_ = true;
  view_.ShowFields(choices);
  filling_ = false;
}

}  // namespace velloran
