#include "toolkit/win32/pages/SMTPPage.h"

#include "toolkit/core/FieldRules.h"
#include "toolkit/core/Pages.h"
#include "toolkit/core/Validation.h"
#include "toolkit/win32/ControlNames.h"
#include "toolkit/win32/Dialog.h"

namespace velloran::win32 {

SMTPPage::SMTPPage(PageHost& host) : Page(host, kPageSMTPMail) {}

void SMTPPage::BuildBody() {
  Declared("chkUseSMTP", R(16, 58, 300, 20), kStretchWidth);
  auto row = [&](std::string_view name, int y, int width, unsigned anchors) {
    Declared(name, R(200, y, width, 24), anchors, R(36, y + 3, 160, 20));
  };
  row("txtSMTPServerName", 86, 344, kStretchWidth);
  row("txtSMTPServerPort", 118, 90, 0);
  row("txtSMTPEmailAddress", 150, 344, kStretchWidth);
  row("txtSendEmailTo", 182, 252, kStretchWidth);
  Declared("cmdAddSendEmail", R(460, 181, 84, 26), kRight);
  Declared("lstToEmailAddresses", R(200, 214, 252, 92), kStretchWidth);
  Declared("cmdRemoveSendEmail", R(460, 214, 84, 26), kRight);
  row("txtEmailSubject", 316, 344, kStretchWidth);
}

bool SMTPPage::OnCommand(int id, int code, HWND control) {
  const std::string_view name = ControlNameOf(id);
  // Typing in the recipient box is not yet a change: Add makes it one.
  if (name == "txtSendEmailTo") return true;
  if (code == BN_CLICKED && name == "cmdAddSendEmail") {
    AddRecipient();
    return true;
  }
  if (code == BN_CLICKED && name == "cmdRemoveSendEmail") {
    RemoveRecipient();
    return true;
  }
  return Page::OnCommand(id, code, control);
}

void SMTPPage::AddRecipient() {
  const std::string address = ControlText(Control("txtSendEmailTo"));
  if (auto problem = CheckRecipient(address)) {
    host_.Questions().Ask(problem->Message, problem->Title, problem->Icon, MessageButtons::OK);
    return;
  }
  HWND list = Control("lstToEmailAddresses");
  std::vector<std::string> lines = ListLines(list);
  lines.push_back(address);
  SetListLines(list, lines);
  host_.Edited(false);
}

void SMTPPage::RemoveRecipient() {
  HWND list = Control("lstToEmailAddresses");
  const int row = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
  std::vector<std::string> lines = ListLines(list);
  if (!velloran::RemoveRecipient(lines, row, host_.Questions())) return;
  SetListLines(list, lines);
  host_.Edited(false);
}

}  // namespace velloran::win32
