#include "engine/CommandLine.h"
#include "engine/SystemEntry.h"
#include "engine/modINIFile.h"
#include "platform/Backends.h"
#include "platform/Companion.h"
#include "platform/DialogProgram.h"
#include "platform/Display.h"
#include "platform/Paths.h"

namespace velloran {

namespace {

std::unique_ptr<MessageBox> MakeDialogBox() {
  return MakeDialogProgramMessageBox(CompanionFile(kDialogProgramName), MakeConsoleMessageBox());
}

}  // namespace

// The shell has already split the text; joining the words with one blank
// gives back a path that contained single blanks.
std::string CommandLineText(int argc, const char* const* argv) {
  return CommandLineFromArgv(argc, argv);
}

DialogBackend SystemDialogs() { return {&MakeDialogBox, &DisplayPresent}; }

}  // namespace velloran

namespace velloran {

// A POSIX program always has its parent's streams, and they never translate
// line ends.
void PrepareStandardStreams() {}

}  // namespace velloran
