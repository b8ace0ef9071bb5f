#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "engine/SystemEntry.h"
#include "platform/win32/Backends-win32.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

// The text after the program name exactly as it was passed: a path with
// runs of blanks or without quotes comes through unchanged. The program
// name ends at its closing quote when it starts with one, else at the first
// blank.
std::string CommandLineText(int, const char* const*) {
  const wchar_t* p = ::GetCommandLineW();
  if (!p) return "";
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return FromWide(p, wcslen(p));
}

namespace {
bool StreamOpen(FILE* stream) { return ::_get_osfhandle(::_fileno(stream)) >= 0; }
}  // namespace

// The engine is a GUI program so that a logon script shows no console
// window; streams a caller redirected are there already, and a console the
// program was started from is borrowed for --help and the console box.
void PrepareStandardStreams() {
  const bool out = StreamOpen(stdout), err = StreamOpen(stderr);
  if ((!out || !err) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
    if (!out) static_cast<void>(std::freopen("CONOUT$", "w", stdout));
    if (!err) static_cast<void>(std::freopen("CONOUT$", "w", stderr));
  }
  // Texts that already hold CR LF must not get a second CR.
  if (StreamOpen(stdout)) ::_setmode(::_fileno(stdout), _O_BINARY);
  if (StreamOpen(stderr)) ::_setmode(::_fileno(stderr), _O_BINARY);
}

DialogBackend SystemDialogs() { return {&MakeWindowsMessageBox, &InteractiveDesktop}; }

}  // namespace velloran
