#pragma once
// SMTP Mail: the mail server, the sender and the recipients, which Add and Remove edit.

#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

class SMTPPage : public Page {
 public:
  explicit SMTPPage(PageHost& host);
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void BuildBody() override;
  void AddRecipient();
  void RemoveRecipient();
};

}  // namespace velloran::win32
