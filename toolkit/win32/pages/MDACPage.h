#pragma once
// MDAC: whether the launchers install data access components, and which version.

#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

class MDACPage : public Page {
 public:
  explicit MDACPage(PageHost& host);
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void BuildBody() override;
};

}  // namespace velloran::win32
