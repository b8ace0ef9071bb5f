// velloran: the administrator's command line.

#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "engine/modDebug.h"
#include "platform/CodePage.h"
#include "tools/WhatIf.h"

namespace {

const char* kUsage =
    "Usage: velloran COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  decode-debug FILE   print the text of an engine debug file (<computer>.debug)\n"
    "  what-if INI [--connections FILE | --printers cups] [--debug]\n"
    "                      rehearse the migration of INI on a copy of a connection\n"
    "                      profile (default: the user's) or on the CUPS queues as\n"
    "                      they are, and print the outcome and the connections\n"
    "                      that would change; nothing is changed\n"
    "\n"
    "Options:\n"
    "  --help              show this help\n"
    "  --version           show the version\n";

int DecodeDebug(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::cerr << "velloran decode-debug: expects one FILE\n";
    return 2;
  }
  std::ifstream in(args[0], std::ios::binary);
  if (!in) {
    std::cerr << "velloran decode-debug: cannot open " << args[0] << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  velloran::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto text = velloran::DecodeDebugBytes(bytes);
  if (!text) {
    std::cerr << "velloran decode-debug: " << args[0] << " is " << text.error().Description << "\n";
    return 1;
  }
  std::cout << *text;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "--version") {
    std::cout << "velloran " VELLORAN_VERSION "\n";
    return 0;
  }
  // what-if reads INI files: refuse a code page setting that would misread them.
  if (velloran::Status codePage = velloran::CheckAnsiCodePageSetting(); !codePage.ok()) {
    std::cerr << "velloran: " << codePage.error().Description << "\n";
    return 2;
  }
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "decode-debug") return DecodeDebug(rest);
  if (command == "what-if") return velloran::WhatIf(rest);
  std::cerr << "velloran: unknown command \"" << command << "\"\n\n" << kUsage;
  return 2;
}
