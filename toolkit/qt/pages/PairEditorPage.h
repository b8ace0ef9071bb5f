#pragma once
// The servers, printers and mixed pages: a heading over the shared pair
// editor.

#include <memory>

class QPushButton;

#include "toolkit/core/PairEditor.h"
#include "toolkit/qt/pages/OptionPage.h"

namespace velloran {

class PairPage;
class Prompter;

class PairEditorPage : public OptionPage {
 public:
  PairEditorPage(PairKind kind, Prompter& prompter, std::function<void()> changed);
  ~PairEditorPage() override;
  PairPage& Editor() const { return *editor_; }
  /// Check Targets, under the editor: the wizard connects it.
  QPushButton* CheckTargetsButton() const { return checkTargets_; }
  /// A list filled anew has nothing chosen and empty fields: the next Save
  /// adds.
  void ShowFields(const PageFields& fields) override;

 private:
  std::unique_ptr<PairPage> editor_;
  QPushButton* checkTargets_ = nullptr;
};

}  // namespace velloran
