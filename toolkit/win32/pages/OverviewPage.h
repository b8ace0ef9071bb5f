#pragma once
// A page that explains the pages below it in the tree instead of holding fields.

#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

class OverviewPage : public Page {
 public:
  OverviewPage(PageHost& host, int page, int labelIndex);

 private:
  void BuildBody() override;
  int labelIndex_;
};

}  // namespace velloran::win32
