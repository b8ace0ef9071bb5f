#pragma once
// The one thing every part of the wizard asks of a front-end: a message box.

#include <string_view>

#include "platform/MessageBox.h"

namespace velloran {

class Prompter {
 public:
  virtual ~Prompter() = default;
  /// A modal message box; the first button is the default.
  virtual MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon icon,
                            MessageButtons buttons) = 0;
  void Tell(std::string_view text, std::string_view title, MessageIcon icon) {
    Ask(text, title, icon, MessageButtons::OK);
  }
};

}  // namespace velloran
