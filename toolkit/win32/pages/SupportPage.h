#pragma once
// Support: where to ask for help, and the engine's debug log.

#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

class SupportPage : public Page {
 public:
  explicit SupportPage(PageHost& host);

 private:
  void BuildBody() override;
};

}  // namespace velloran::win32
