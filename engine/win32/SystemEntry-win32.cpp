#include "engine/SystemEntry.h"
#include "platform/win32/Backends-win32.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

// The text after the program name exactly as it was passed: a path with
// runs of blanks or without quotes comes through unchanged. The program
// name ends at its closing quote when it starts with one, else at the first
// blank.
std::string CommandLineText(int, const char* const*) {
  const char* p = ::GetCommandLineA();
  if (!p) return "";
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

DialogBackend SystemDialogs() { return {&MakeWindowsMessageBox, &InteractiveDesktop}; }

}  // namespace velloran
