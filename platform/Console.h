#pragma once
// A console program's edges: its arguments and its standard streams carry
// UTF-8 program text on every system.

#include <string>
#include <vector>

namespace velloran {

/// The program's arguments after its name, as UTF-8. On Windows they come
/// from the wide command line, so a name outside the ANSI code page
/// survives; elsewhere they are `argv` as given.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

/// Readies standard output and error for UTF-8 text. On Windows a console
/// gets the text as characters (any the console's font can show), and
/// anything else (a file, a pipe) the same bytes as on Linux: UTF-8 with
/// "\n" line ends. Elsewhere nothing changes.
void UseUtf8StandardStreams();

enum class StandardStream { Output, Error };

/// Whether the stream is a terminal that a progress line ("\r", erase to
/// the end of the line) may be drawn on.
bool IsTerminal(StandardStream stream);

}  // namespace velloran
