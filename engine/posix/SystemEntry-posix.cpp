#include "engine/SystemEntry.h"

#include "engine/CommandLine.h"
#include "engine/modINIFile.h"
#include "platform/qt/QtMessageBox.h"

namespace velloran {

// The shell has already split the text; joining the words with one blank
// gives back a path that contained single blanks.
std::string CommandLineText(int argc, const char* const* argv) { return CommandLineFromArgv(argc, argv); }

DialogBackend SystemDialogs() { return {&MakeQtMessageBox, &DisplayPresent}; }

}  // namespace velloran

namespace velloran {

// A POSIX program always has its parent's streams, and they never translate
// line ends.
void PrepareStandardStreams() {}

}  // namespace velloran
