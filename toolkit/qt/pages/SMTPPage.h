#pragma once
// Notification - SMTP Mail: the mail server, the sender, the subject and
// the recipient list with its Add and Remove.

#include "toolkit/qt/pages/OptionPage.h"

class QLineEdit;
class QListWidget;

namespace velloran {

class Prompter;

class SMTPPage : public OptionPage {
 public:
  SMTPPage(Prompter& prompter, std::function<void()> changed);

 private:
  void cmdAddSendEmail_Click();
  void cmdRemoveSendEmail_Click();

  Prompter& prompter_;
  QLineEdit* txtSendEmailTo_ = nullptr;
  QListWidget* lstToEmailAddresses_ = nullptr;
};

}  // namespace velloran
