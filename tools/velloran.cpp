// velloran: the administrator's command line.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/modDebug.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/Configuration.h"
#include "platform/Console.h"
#include "platform/EnvironmentHelp.h"
#include "platform/FolderTree.h"
#include "platform/NetworkFolder.h"
#include "platform/RegularFile.h"
#include "tools/Check.h"
#include "tools/InstallDrivers.h"
#include "tools/OutputText.h"
#ifndef _WIN32
#include "tools/RestoreQueue.h"
#endif
#include "tools/Summary.h"
#include "tools/WhatIf.h"

namespace {

const char* kUsage =
    "Usage: velloran COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  decode-debug FILE [--raw]\n"
    "                      print the text of an engine debug file (<computer>.debug)\n"
#ifdef _WIN32
    "  what-if INI [--printers system | --connections FILE] [--debug]\n"
    "                      rehearse the migration of INI on this user's printer\n"
    "                      connections as they are (or on a copy of a connection\n"
    "                      profile), and print the outcome and the connections\n"
    "                      that would change; nothing is changed\n"
#else
    "  what-if INI [--connections FILE | --printers cups] [--debug]\n"
    "                      rehearse the migration of INI on a copy of a connection\n"
    "                      profile (default: the user's) or on the CUPS queues as\n"
    "                      they are, and print the outcome and the connections\n"
    "                      that would change; nothing is changed\n"
#endif
    "  check INI [--server NAME]... [--json]\n"
    "                      ask the new print servers whether the queues that INI\n"
    "                      maps clients to exist; nothing is changed\n"
    "  install-drivers INI [--server NAME]... [--connections FILE] [--dry-run]\n"
    "          [--json]\n"
    "                      install on this computer the printer drivers of the new\n"
    "                      queues that INI maps clients to (as an administrator\n"
    "                      or the system)\n"
    "  summary SHARE [--computers FILE] [--old-server NAME]...\n"
    "          [--csv|--json|--html FILE] [--no-progress]\n"
    "                      fleet report from the output, e-mail back-up and debug\n"
    "                      files on a deployment share, also as one HTML page;\n"
    "                      nothing is changed\n"
#ifndef _WIN32
    "  restore-queue FILE  put back a CUPS queue the engine saved before deleting it\n"
#endif
    "\n"
    "velloran COMMAND --help shows the help of one command.\n"
    "\n"
    "Options:\n"
    "  --help              show this help\n"
    "  --version           show the version\n"
    "\n";

#ifdef _WIN32
const char* kDetails =
    "\nDetails: README.txt and guide\\index.html, beside velloran.exe in its zip\n";
#else
const char* kDetails = "\nDetails: man velloran, /usr/share/doc/velloran/guide/ (installed)\n";
#endif

// A debug file holds one run's lines in UTF-16: even a run over thousands of
// connections stays far below this.
constexpr std::uintmax_t kMaxDebugFileBytes = 256u << 20;

const char* kDecodeDebugUsage =
    "Usage: velloran decode-debug FILE [--raw]\n"
    "\n"
    "Prints the text of an engine debug file (<computer>.debug), which the engine\n"
#ifdef _WIN32
    "stores encoded. FILE may be a UNC path (\\\\server\\share\\PC01.debug).\n"
#else
    "stores encoded. FILE may be a UNC path (\\\\server\\share\\PC01.debug): it is\n"
    "read through the CIFS mount of that share.\n"
#endif
    "\n"
    "Any client can write a debug file, so on a terminal a control character\n"
    "other than tab, CR and LF is shown as an escape (\\x1B, \\u009B); so is a\n"
    "byte that is no UTF-8.\n"
    "\n"
    "Options:\n"
    "  --raw    the decoded text exactly, control characters and all, on a\n"
    "           terminal as well (a file or a pipe always gets it so)\n"
    "\n"
    "Exit status: 0 decoded, 1 FILE cannot be read, is not a debug file or is cut\n"
    "short (its text is printed all the same), 2 bad arguments.\n";

const char* kWhatIfUsage =
#ifdef _WIN32
    "Usage: velloran what-if INI [--printers system | --connections FILE] [--debug]\n"
    "\n"
    "Rehearses the migration that INI describes on this user's printer connections\n"
    "and default printer, read once as they are, or on a copy of a connection\n"
    "profile, and prints the outcome and the connections that would change.\n"
    "Nothing is changed: no connection is added or removed, the default printer\n"
    "stays, no driver is installed, no notification is sent and no run-once marker\n"
    "is written. The new servers are not asked whether their queues exist\n"
    "(velloran check INI asks them).\n"
    "\n"
    "Options:\n"
    "  --printers system   rehearse on this user's connections (the default)\n"
    "  --connections FILE  rehearse on a copy of this connection profile instead\n"
#else
    "Usage: velloran what-if INI [--connections FILE | --printers cups] [--debug]\n"
    "\n"
    "Rehearses the migration that INI describes on a copy of a connection profile\n"
    "(default: the user's, $XDG_STATE_HOME/velloran/connections.txt) or on this\n"
    "machine's CUPS queues as they are, and prints the outcome and the connections\n"
    "that would change. Nothing is changed: no queue, no notification is sent and\n"
    "no run-once marker is written.\n"
    "\n"
    "Options:\n"
    "  --connections FILE  the connection profile to rehearse on\n"
    "  --printers cups     rehearse on the CUPS queues (read once; the new servers\n"
    "                      are asked whether their queues exist)\n"
#endif
    "  --debug             print the debug log of the rehearsal as well\n"
    "\n"
    "Moves that a target's driver would hold back are listed with the driver and\n"
    "the cause.\n"
    "\n"
    "Exit status: 0 the run would succeed, 1 it would record a failure or hold a\n"
    "move back, 2 the rehearsal could not run (a profile with lines that are not\n"
    "profile lines among the causes: their numbers are named).\n";

bool AsksForHelp(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

int DecodeDebug(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  bool raw = false;
  for (const std::string& a : args) {
    if (a == "--raw") {
      raw = true;
    } else if (a.starts_with("--")) {
      std::cerr << "velloran decode-debug: unexpected argument \"" << a << "\"\n";
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 1) {
    std::cerr << "velloran decode-debug: expects one FILE\n";
    return 2;
  }
  // Anything but a regular file of a size a run can write (a folder, a pipe,
  // /dev/zero) is refused before it is read.
  std::error_code ec;
  // The path as the clients name it (\\server\share\PC01.debug) is read
  // through the CIFS mount of that share on this machine.
  const std::string& given = files[0];
  const std::string path = velloran::LocalFolderPath(given);
  if (velloran::kUNCPathsNeedMount && given.starts_with("\\\\") && path == given) {
    std::cerr << "velloran decode-debug: " << given
              << " is not mounted here: mount the share (mount -t cifs) first, or give the path "
                 "of the file on its mount\n";
    return 1;
  }
  velloran::Status readable = velloran::CheckReadableRegularFile(path);
  const auto size =
      readable.ok() ? std::filesystem::file_size(velloran::PathFromText(path), ec) : 0;
  if (!readable.ok() || ec) {
    std::cerr << "velloran decode-debug: cannot open " << path << ": "
              << (readable.ok() ? ec.message() : readable.error().Description) << "\n";
    return 1;
  }
  if (size > kMaxDebugFileBytes) {
    std::cerr << "velloran decode-debug: " << path << " is not a debug file: " << size
              << " bytes, more than any run writes\n";
    return 1;
  }
  auto content = velloran::ReadWholeFile(path);
  if (!content) {
    std::cerr << "velloran decode-debug: cannot read " << path << ": "
              << content.error().Description << "\n";
    return 1;
  }
  velloran::Bytes bytes(content->begin(), content->end());
  auto text = velloran::DecodeDebugBytes(bytes);
  if (!text) {
    std::cerr << "velloran decode-debug: " << given << " is " << text.error().Description << "\n";
    return 1;
  }
  // What there is still goes out: the start of a cut file is worth reading.
  // The text is what a client wrote: a terminal would obey the escape
  // sequences in it. A file or a pipe gets the bytes to keep or search. The
  // engine's length line is for the check below, not for the reader.
  const std::string shown(velloran::WithoutLengthLine(*text));
  if (raw || !velloran::IsTerminal(velloran::StandardStream::Output))
    std::cout << shown;
  else
    std::cout << velloran::output::TerminalText(shown);
  std::cout.flush();
  if (std::string why = velloran::DebugTextCutShort(*text); !why.empty()) {
    std::cerr << "velloran decode-debug: " << given << " is cut short (" << why
              << "): the run wrote more than this file holds\n";
    return 1;
  }
  return 0;
}

int Dispatch(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string& command = args[0];
  if (command == "help" && args.size() == 2) {
    // "velloran help summary" is "velloran summary --help".
    return Dispatch({args[1], "--help"});
  }
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage << velloran::EnvironmentHelp() << kDetails;
    return 0;
  }
  if (command == "--version") {
    std::cout << "velloran " VELLORAN_VERSION "\n";
    return 0;
  }
  // what-if reads INI files: refuse a code page setting that would misread them.
  auto config = velloran::ReadConfiguration();
  velloran::Status codePage =
      config ? velloran::UseAnsiCodePage(config->CodePage) : velloran::Status(config.error());
  if (!codePage.ok()) {
    std::cerr << "velloran: " << codePage.error().Description << "\n";
    return 2;
  }
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "decode-debug") {
    if (AsksForHelp(rest)) return std::cout << kDecodeDebugUsage, 0;
    return DecodeDebug(rest);
  }
  if (command == "what-if") {
    if (AsksForHelp(rest)) return std::cout << kWhatIfUsage, 0;
    return velloran::WhatIf(rest);
  }
  if (command == "summary") return velloran::Summary(rest);
  if (command == "check") return velloran::Check(rest);
  if (command == "install-drivers") return velloran::InstallDrivers(rest);
#ifndef _WIN32
  if (command == "restore-queue") return velloran::RestoreQueue(rest);
#endif
  std::cerr << "velloran: unknown command \"" << command << "\"\n\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  velloran::UseUtf8StandardStreams();
  return Dispatch(velloran::CommandLineArguments(argc, argv));
}
