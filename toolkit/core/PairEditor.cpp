#include "toolkit/core/PairEditor.h"

#include <algorithm>

#include "toolkit/core/Fields.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/Pages.h"
#include "toolkit/core/Validation.h"

namespace velloran {

const PairPageShape& ShapeOf(PairKind kind) {
  static const PairPageShape kShapes[] = {
      {PairKind::Servers,
       kPageServers,
       "lstServerPairs",
       {"txtFromServer", "txtToServer"},
       "Print Server pair",
       "Both a From and To Print Server name is required. Please enter both print server names.",
       "Are you sure that you want to delete the selected Print Server pair?",
       true},
      {PairKind::Printers,
       kPagePrinters,
       "lstPrinterPairs",
       {"txtFromPrinter", "txtToPrinter"},
       "Printer pair",
       "Both a From and To Printer name is required. Please enter both printer names.",
       "Are you sure that you want to delete the selected Printer pair?",
       false},
      {PairKind::Mixed,
       kPageMixed,
       "lstMixedPrintersAndServers",
       {"txtMixedFromServer", "txtMixedFromPrinter", "txtMixedToServer", "txtMixedToPrinter"},
       "Server and Printer pair",
       "Both a From and To Server and Printer name is required. Please enter both server and "
       "printer names.",
       "Are you sure that you want to delete the selected Server and Printer pair?",
       false},
  };
  return kShapes[static_cast<int>(kind)];
}

PairEditorState EmptyPairEditor(PairKind kind) {
  PairEditorState state;
  state.Fields.assign(ShapeOf(kind).FieldNames.size(), std::string());
  return state;
}

std::string TypedPair(PairKind kind, const PairEditorState& s) {
  if (kind != PairKind::Mixed) return PairDisplay(s.Fields.at(0), s.Fields.at(1));
  return MixedDisplay(s.Fields.at(0), s.Fields.at(1), s.Fields.at(2), s.Fields.at(3));
}

void PairNew(PairEditorState& state) {
  state.NewEntry = true;
  for (std::string& field : state.Fields) field.clear();
}

void PairChoose(PairKind kind, PairEditorState& state, int row) {
  if (row < 0 || row >= static_cast<int>(state.Lines.size())) return;
  state.Selected = row;
  state.Fields = SplitPairDisplay(state.Lines[static_cast<size_t>(row)], kind == PairKind::Mixed);
  state.NewEntry = false;
}

bool PairSave(PairKind kind, PairEditorState& state, Prompter& prompter) {
  const PairPageShape& shape = ShapeOf(kind);
  if (std::any_of(state.Fields.begin(), state.Fields.end(),
                  [](const std::string& f) { return f.empty(); })) {
    prompter.Tell(shape.EmptyFieldMessage, "Save Error", MessageIcon::Critical);
    return false;
  }
  for (size_t i = 0; i < shape.FieldNames.size(); ++i) {
    if (auto why = EntryProblem(*FormControlNamed(shape.FieldNames[i]), state.Fields[i])) {
      prompter.Tell(*why, "Save Error", MessageIcon::Critical);
      return false;
    }
  }
  const std::string line = TypedPair(kind, state);
  const bool replacing = !state.NewEntry && state.Selected >= 0 &&
                         state.Selected < static_cast<int>(state.Lines.size());
  const auto same = std::find(state.Lines.begin(), state.Lines.end(), line);
  if (same != state.Lines.end()) {
    // Saving a chosen line unchanged is no change; the same pair twice would
    // move the same connection twice.
    if (replacing && same - state.Lines.begin() == state.Selected) return false;
    prompter.Tell("This " + std::string(shape.PairName) + " is already in the list.", "Save Error",
                  MessageIcon::Critical);
    return false;
  }
  if (replacing) {
    state.Lines[static_cast<size_t>(state.Selected)] = line;
  } else {
    // With no line chosen there is nothing to replace: the pair is added
    // rather than dropped.
    state.Lines.push_back(line);
    state.Selected = static_cast<int>(state.Lines.size()) - 1;
    state.NewEntry = false;
  }
  return true;
}

bool PairDelete(PairKind kind, PairEditorState& state, Prompter& prompter) {
  const PairPageShape& shape = ShapeOf(kind);
  if (state.NewEntry) {
    for (std::string& field : state.Fields) field.clear();
    return false;
  }
  const int row = state.Selected;
  if (row >= 0 && row < static_cast<int>(state.Lines.size()) &&
      prompter.Ask(shape.DeleteQuestion, "Delete?", MessageIcon::Question, MessageButtons::YesNo) ==
          MessageAnswer::Yes) {
    state.Lines.erase(state.Lines.begin() + row);
    state.Selected = -1;
    for (std::string& field : state.Fields) field.clear();
    return true;
  }
  return shape.DirtyOnEveryDelete;
}

}  // namespace velloran
