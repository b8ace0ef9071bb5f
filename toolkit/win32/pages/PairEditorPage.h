#pragma once
// The servers, printers and mixed pages: a pair's fields, New, Save and
// Delete, the list of pairs, and Check Targets.

#include <array>

#include "toolkit/core/PairEditor.h"
#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

class PairEditorPage : public Page {
 public:
  PairEditorPage(PageHost& host, PairKind kind);
  void ShowFields(const PageFields& fields) override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void BuildBody() override;
  PairEditorState ReadEditor() const;
  void ShowEditor(const PairEditorState& state);

  PairKind kind_;
  /// New, Save and Delete.
  std::array<int, 3> buttons_;
  /// No line of the list is chosen: the next Save adds one.
  bool newEntry_ = true;
  bool editing_ = false;
};

}  // namespace velloran::win32
