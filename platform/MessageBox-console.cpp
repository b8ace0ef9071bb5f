#include <iostream>

#include "platform/Backends.h"

namespace velloran {

namespace {
// For clients without a display (and for tests): nobody can answer, so the
// text goes to stderr and the first button is taken at once.
class ConsoleMessageBox : public MessageBox {
 public:
  MessageAnswer Show(std::string_view text, std::string_view title, MessageIcon,
                     MessageButtons buttons) override {
    std::cerr << "[" << title << "] " << text << std::endl;
    return FirstButton(buttons);
  }
};
}  // namespace

std::unique_ptr<MessageBox> MakeConsoleMessageBox() { return std::make_unique<ConsoleMessageBox>(); }

}  // namespace velloran
