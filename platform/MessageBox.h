#pragma once
// Modal message boxes.

#include <string>
#include <string_view>

// windows.h renames these by macro (to their A/W forms); the seam keeps its
// own names where windows.h was included before it.
#ifdef _WIN32
#undef MessageBox
#endif

namespace velloran {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MessageAnswer { OK, Cancel, Yes, No };

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  /// Shows the box and waits for the answer; backends without a user answer
  /// the first button at once.
  virtual MessageAnswer Show(std::string_view text, std::string_view title, MessageIcon icon,
                             MessageButtons buttons) = 0;
};

/// The answer of the first button of a set: what a box that nobody can
/// answer gives back.
inline MessageAnswer FirstButton(MessageButtons buttons) {
  return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel
             ? MessageAnswer::Yes
             : MessageAnswer::OK;
}

}  // namespace velloran
