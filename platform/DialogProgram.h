#pragma once
// The dialog message box as a program of its own. The GUI library is loaded
// only in that program, only when a box is shown: a run without a pop-up
// pays nothing for it, and a display that refuses us (the GUI library ends
// its process then) or a crash costs only that program, never the run.
//
// The program takes `--ready-fd N ICON BUTTONS TITLE TEXT`, writes one byte
// to descriptor N once the box is on screen, and exits with the answer's
// code. Any other end means the box could not be shown.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/MessageBox.h"

namespace velloran {

/// The program's file name beside the engine.
inline constexpr const char* kDialogProgramName = "VelloranMessageBox";

/// How long the program may take to put its box on screen before the run
/// stops waiting for it. A display that accepts the connection and then
/// never answers would otherwise hold the logon forever.
inline constexpr int kDialogShowDeadlineMs = 20000;

std::string_view DialogIconWord(MessageIcon icon);
std::optional<MessageIcon> DialogIconFromWord(std::string_view word);
std::string_view DialogButtonsWord(MessageButtons buttons);
std::optional<MessageButtons> DialogButtonsFromWord(std::string_view word);

/// Exit codes 10 to 13; below them are the C library's and the shell's.
int DialogExitCode(MessageAnswer answer);
std::optional<MessageAnswer> DialogAnswerFromExitCode(int code);

/// Shows each box by running `program`; when the program cannot be started,
/// ends without an answer or misses the deadline, the box goes to
/// `fallback` instead, after one line on stderr that says why.
std::unique_ptr<MessageBox> MakeDialogProgramMessageBox(std::string program,
                                                        std::unique_ptr<MessageBox> fallback,
                                                        int showDeadlineMs = kDialogShowDeadlineMs);

}  // namespace velloran
