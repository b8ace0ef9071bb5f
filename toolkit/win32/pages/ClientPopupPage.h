#pragma once
// Client Pop-up: the messages the user reads on success and on failure.

#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

class ClientPopupPage : public Page {
 public:
  explicit ClientPopupPage(PageHost& host);

 private:
  void BuildBody() override;
};

}  // namespace velloran::win32
