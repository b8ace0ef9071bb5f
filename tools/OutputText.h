#pragma once
// What every command of `velloran` prints passes through here. The text
// comes from files clients wrote and from what servers answered, so a name
// may hold escape sequences that retitle a window, move the cursor or
// recolour a terminal (a Windows console with virtual-terminal processing
// obeys them as well), bytes that are no UTF-8, or a leading "=" that a
// spreadsheet would run as a formula.

#include <string>
#include <string_view>

namespace velloran::output {

/// One line for a person: every control character (C0 with tab, CR and LF,
/// DEL, C1) is shown as "\xHH" or "\uHHHH", and a byte that is no UTF-8 as
/// "\xHH".
std::string TerminalLine(std::string_view utf8);

/// Lines for a person: as TerminalLine, but tab, CR and LF are kept.
std::string TerminalText(std::string_view utf8);

/// A JSON string literal that every reader accepts: controls and the two
/// line separators escaped, and a byte that is no UTF-8 as U+FFFD.
std::string JsonString(std::string_view utf8);

/// A CSV field: controls other than tab, CR and LF shown as in
/// TerminalText, a field that starts like a formula given a leading
/// apostrophe, and quotes where the field needs them.
std::string CsvField(std::string_view utf8);

}  // namespace velloran::output
