#pragma once
// The three pair pages (servers, printers, mixed) as one editor: typed
// fields, the list of pairs, New, Save, Delete and a chosen line.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/Prompter.h"

namespace velloran {

enum class PairKind { Servers, Printers, Mixed };
inline constexpr std::array<PairKind, 3> kPairKinds = {PairKind::Servers, PairKind::Printers,
                                                       PairKind::Mixed};

/// What differs between the three pages.
struct PairPageShape {
  PairKind Kind;
  int Page;
  std::string_view ListName;
  std::vector<std::string_view> FieldNames;  ///< from, to; or the four mixed fields
  std::string_view PairName;                 ///< "Print Server pair"
  std::string_view EmptyFieldMessage;
  std::string_view DeleteQuestion;
  bool DirtyOnEveryDelete = false;  ///< the server page marks even a refused delete
};
const PairPageShape& ShapeOf(PairKind kind);

/// One pair page as its controls show it.
struct PairEditorState {
  std::vector<std::string> Fields;  ///< one per field of its page
  std::vector<std::string> Lines;   ///< the list, in display form
  int Selected = -1;                ///< the chosen line; -1 for none
  bool NewEntry = true;             ///< Save adds rather than replaces

  bool operator==(const PairEditorState&) const = default;
};

/// A state with empty fields and no lines for `kind`.
PairEditorState EmptyPairEditor(PairKind kind);
/// The display line of the typed fields.
std::string TypedPair(PairKind kind, const PairEditorState& state);

/// New: empty fields, the next Save adds.
void PairNew(PairEditorState& state);
/// A click on line `row`: its parts into the fields, the next Save replaces.
void PairChoose(PairKind kind, PairEditorState& state, int row);
/// Save: adds or replaces; refuses empty fields and an exact duplicate.
/// True when the list changed.
bool PairSave(PairKind kind, PairEditorState& state, Prompter& prompter);
/// Delete: clears the typed fields of a new entry, or removes the chosen
/// line when the user agrees. True when the document counts as changed.
bool PairDelete(PairKind kind, PairEditorState& state, Prompter& prompter);

}  // namespace velloran
