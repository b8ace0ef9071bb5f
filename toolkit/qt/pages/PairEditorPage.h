#pragma once
// The servers, printers and mixed pages: a heading over the shared pair
// editor.

#include <memory>

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
  /// A list filled anew has nothing chosen and empty fields: the next Save
  /// adds.
  void ShowFields(const PageFields& fields) override;

 private:
  std::unique_ptr<PairPage> editor_;
};

}  // namespace velloran
