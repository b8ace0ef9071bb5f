#include "toolkit/win32/pages/PairEditorPage.h"

#include <algorithm>

#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/Dialog.h"

namespace velloran::win32 {
namespace {

std::array<int, 3> ButtonsOf(PairKind kind) {
  switch (kind) {
    case PairKind::Servers:
      return {cmdNewServerPair, cmdSaveServerPair, cmdDeleteServer};
    case PairKind::Printers:
      return {cmdNewPrinter, cmdPrinterSave, cmdDeletePrinter};
    case PairKind::Mixed:
      break;
  }
  return {cmdMixedNew, cmdMixedSave, cmdMixedDelete};
}

}  // namespace

PairEditorPage::PairEditorPage(PageHost& host, PairKind kind)
    : Page(host, ShapeOf(kind).Page), kind_(kind), buttons_(ButtonsOf(kind)) {}

void PairEditorPage::BuildBody() {
  const PairPageShape& shape = ShapeOf(kind_);
  int y = 62;
  for (std::string_view name : shape.FieldNames) {
    Declared(name, R(150, y, 290, 24), kStretchWidth, R(16, y + 3, 130, 20));
    y += 32;
  }
  int by = 61;
  for (const auto& [id, caption] : {std::pair{buttons_[0], "Ne&w"}, std::pair{buttons_[1], "&Save"},
                                    std::pair{buttons_[2], "&Delete"}}) {
    Button(id, caption, R(456, by, 88, 26), kRight);
    by += 32;
  }
  y = std::max(y, by) + 8;
  Declared(shape.ListName, R(16, y + 22, 528, 368 - y - 22 - 34), kStretchWidth | kStretchHeight,
           R(16, y, 300, 20));
  const int index = static_cast<int>(kind_);
  HWND check =
      Button(cmdCheckTargets(index), "Chec&k Targets ...", R(424, 342, 120, 26), kRight | kBottom);
  EnableWindow(check, host_.CanCheckTargets());
}

void PairEditorPage::ShowFields(const PageFields& fields) {
  Page::ShowFields(fields);
  // A list filled anew has no chosen line.
  newEntry_ = true;
}

PairEditorState PairEditorPage::ReadEditor() const {
  const PairPageShape& shape = ShapeOf(kind_);
  PairEditorState state = EmptyPairEditor(kind_);
  for (size_t i = 0; i < shape.FieldNames.size(); ++i) {
    state.Fields[i] = ControlText(Control(shape.FieldNames[i]));
  }
  HWND list = Control(shape.ListName);
  state.Lines = ListLines(list);
  state.Selected = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
  state.NewEntry = newEntry_;
  return state;
}

void PairEditorPage::ShowEditor(const PairEditorState& state) {
  const PairPageShape& shape = ShapeOf(kind_);
  for (size_t i = 0; i < shape.FieldNames.size(); ++i) {
    SetControlText(Control(shape.FieldNames[i]), state.Fields[i]);
  }
  HWND list = Control(shape.ListName);
  if (ListLines(list) != state.Lines) SetListLines(list, state.Lines);
  SendMessageW(list, LB_SETCURSEL, state.Selected, 0);
  newEntry_ = state.NewEntry;
}

bool PairEditorPage::OnCommand(int id, int code, HWND control) {
  if (id == cmdCheckTargets(static_cast<int>(kind_)) && code == BN_CLICKED) {
    host_.CheckTargetsNow();
    return true;
  }
  // The editor's own filling of its fields is no edit of the document.
  if (editing_) return true;
  const bool listClick = control == Control(ShapeOf(kind_).ListName) && code == LBN_SELCHANGE;
  const bool button =
      code == BN_CLICKED && std::find(buttons_.begin(), buttons_.end(), id) != buttons_.end();
  if (!listClick && !button) return Page::OnCommand(id, code, control);
  PairEditorState state = ReadEditor();
  bool changed = false;
  if (listClick) {
    if (state.Selected >= 0) PairChoose(kind_, state, state.Selected);
  } else if (id == buttons_[0]) {
    PairNew(state);
  } else if (id == buttons_[1]) {
    changed = PairSave(kind_, state, host_.Questions());
  } else {
    changed = PairDelete(kind_, state, host_.Questions());
  }
  editing_ = true;
  ShowEditor(state);
  editing_ = false;
  if (changed) host_.Edited(false);
  return true;
}

}  // namespace velloran::win32
