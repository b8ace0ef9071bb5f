#include "toolkit/core/FileCommands.h"

#include <algorithm>

#include "common/INIFileSave.h"
#include "common/modINIDocument.h"
#include "platform/CodePage.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/PairEditor.h"
#include "toolkit/core/Validation.h"

namespace velloran {

void INIFileStore::Read(const std::string& path, INISettings& settings) {
  INIDocument(profile_, path).ReadINISettings(settings);
}

Status INIFileStore::Write(const std::string& path, INISettings settings) {
  return SaveINIFile(profile_, path, settings);
}

void FileCommands::ShowDocument() {
  PageFields fields = FieldsOfRecord(document_.Settings);
  // What was typed into the previous document and not added to a list
  // (a pair, a recipient) is not this one's.
  for (const FormControl& c : FormControls()) {
    if (c.Bind == Binding::None && c.Kind == ControlKind::Text)
      fields.Texts[std::string(c.Name)].clear();
  }
  view_.ShowFields(fields);
  view_.ShowMode(document_.ActiveDirectory());
  view_.SetCaption(document_.Caption());
}

bool FileCommands::Start() {
  ShowDocument();
  const auto choice = view_.ChooseNewDocument(true);
  if (!choice) return false;
  document_.StartNew(choice->ActiveDirectory);
  if (!choice->ExistingPath.empty()) {
    // The file says which mode it is in.
    ResetINISettings(document_.Settings);
    document_.SetPath(choice->ExistingPath);
    store_.Read(document_.Path, document_.Settings);
  }
  ShowDocument();
  document_.Unsaved = false;
  return true;
}

bool FileCommands::TakeTypedPairs(PageFields& fields) {
  for (PairKind kind : kPairKinds) {
    const PairPageShape& shape = ShapeOf(kind);
    switch (PendingPairOf(kind, fields)) {
      case PendingPair::None:
        continue;
      case PendingPair::Incomplete: {
        const Problem problem = IncompletePairProblem(kind, fields);
        view_.Tell(problem.Message, problem.Title, problem.Icon);
        view_.ShowPage(problem.Page, problem.Control);
        return false;
      }
      case PendingPair::Complete:
        break;
    }
    PairEditorState typed = EmptyPairEditor(kind);
    for (size_t i = 0; i < typed.Fields.size(); ++i)
      typed.Fields[i] = fields.Texts[std::string(shape.FieldNames[i])];
    const std::string line = TypedPair(kind, typed);
    auto& lines = fields.Lists[std::string(shape.ListName)];
    // A line chosen in the list shows in the fields as it stands.
    if (std::find(lines.begin(), lines.end(), line) != lines.end()) continue;
    switch (view_.Ask("The " + std::string(shape.PairName) + " \"" + line +
                          "\" has been typed but not added to the list. Do you want to add it "
                          "before saving?",
                      "Save?", MessageIcon::Question, MessageButtons::YesNoCancel)) {
      case MessageAnswer::Yes:
        lines.push_back(line);
        for (std::string_view name : shape.FieldNames) fields.Texts[std::string(name)].clear();
        view_.ShowFields(fields);
        document_.Unsaved = true;
        break;
      case MessageAnswer::No:
        break;
      default:
        return false;
    }
  }
  return true;
}

bool FileCommands::CheckPages(bool requireContent) {
  PageFields fields = view_.ReadFields();
  if (!TakeTypedPairs(fields)) return false;
  if (auto problem =
          CheckSave(fields, document_.ActiveDirectory(), AnsiCodePage(), requireContent)) {
    view_.Tell(problem->Message, problem->Title, problem->Icon);
    view_.ShowPage(problem->Page, problem->Control);
    return false;
  }
  return true;
}

SaveOutcome FileCommands::Write() {
  RecordOfFields(view_.ReadFields(), document_.Settings);
  // The writer turns empty texts into single blanks in the record it is
  // given; the document keeps them empty, or they would come back into the
  // fields as blanks that trip the field checks.
  if (Status status = store_.Write(document_.Path, document_.Settings); !status.ok()) {
    // The changes are still only in the window: say so, and keep them
    // marked so that leaving asks again.
    document_.Unsaved = true;
    view_.Tell("The INI file could not be saved to " + document_.Path +
                   ". Your changes have not been written; please check that the folder exists "
                   "and that you may write to it, or save to another file with Save As.\n\nError:" +
                   std::to_string(status.error().Number) +
                   "\nError Description:" + status.error().Description,
               "Error Saving", MessageIcon::Critical);
    return SaveOutcome::Failed;
  }
  document_.Unsaved = false;
  return SaveOutcome::Written;
}

SaveOutcome FileCommands::SaveAsChecked() {
  const std::string path =
      view_.ChooseFileToSave("Save INI file As ...", document_.Folder(), "UNTITLED.INI");
  if (path.empty() || path.back() == '/') return SaveOutcome::Cancelled;
  document_.SetPath(path);
  return Write();
}

SaveOutcome FileCommands::SaveToPathOrAs() {
  if (!CheckPages(false)) return SaveOutcome::Refused;
  if (document_.Path.empty()) return SaveAsChecked();
  return Write();
}

SaveOutcome FileCommands::Save() {
  if (!CheckPages(true)) return SaveOutcome::Refused;
  SaveOutcome outcome = SaveOutcome::NothingToDo;
  if (document_.Unsaved) outcome = document_.Path.empty() ? SaveAsChecked() : Write();
  view_.SetCaption(document_.Caption());
  return outcome;
}

SaveOutcome FileCommands::SaveAs() {
  if (!CheckPages(true)) return SaveOutcome::Refused;
  const SaveOutcome outcome = SaveAsChecked();
  view_.SetCaption(document_.Caption());
  return outcome;
}

bool FileCommands::AskToSaveBefore(std::string_view question) {
  if (!document_.Unsaved) return true;
  if (view_.Ask(question, "Save?", MessageIcon::Question, MessageButtons::YesNo) !=
      MessageAnswer::Yes) {
    return true;
  }
  // A cancelled Save As, or a file that could not be written, abandons the
  // command: the window still holds the only copy of the changes.
  return SaveToPathOrAs() == SaveOutcome::Written;
}

void FileCommands::New() {
  if (!AskToSaveBefore("Do you want to save your changes before creating a new INI file?")) {
    view_.SetCaption(document_.Caption());
    return;
  }
  const auto choice = view_.ChooseNewDocument(false);
  if (choice) {
    document_.StartNew(choice->ActiveDirectory);
    ShowDocument();
  }
  view_.SetCaption(document_.Caption());
}

void FileCommands::Open() {
  if (!AskToSaveBefore("Do you want to save your changes before opening a new INI file?")) {
    view_.SetCaption(document_.Caption());
    return;
  }
  const std::string path = view_.ChooseFileToOpen("Open INI File ...", document_.Folder());
  if (!path.empty() && path.back() != '/') {
    document_.SetPath(path);
    store_.Read(document_.Path, document_.Settings);
    ShowDocument();
    document_.Unsaved = false;
  }
  view_.SetCaption(document_.Caption());
}

bool FileCommands::Exit() {
  if (!document_.Unsaved) return true;
  switch (view_.Ask("You have unsaved work, do you want to save before exiting?", "Save?",
                    MessageIcon::Question, MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes:
      // Only a written file lets the window go. A failed write (its error
      // has been shown) or a cancelled Save As keeps it open: closing now
      // would drop the work the user just asked to keep.
      return SaveToPathOrAs() == SaveOutcome::Written;
    case MessageAnswer::No:
      return true;
    default:
      return false;
  }
}

}  // namespace velloran
