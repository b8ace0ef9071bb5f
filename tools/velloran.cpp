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
#include "platform/RegularFile.h"
#include "tools/WhatIf.h"

namespace {

const char* kUsage =
    "Usage: velloran COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  decode-debug FILE   print the text of an engine debug file (<computer>.debug)\n"
    "  what-if INI [--connections FILE] [--debug]\n"
    "                      rehearse the migration of INI on a copy of a connection\n"
    "                      profile (default: the user's) and print the outcome and\n"
    "                      the connections that would change; nothing is changed\n"
    "\n"
    "Options:\n"
    "  --help              show this help\n"
    "  --version           show the version\n";

// A debug file holds one run's lines in UTF-16: even a run over thousands of
// connections stays far below this.
constexpr std::uintmax_t kMaxDebugFileBytes = 256u << 20;

int DecodeDebug(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::cerr << "velloran decode-debug: expects one FILE\n";
    return 2;
  }
  // Anything but a regular file of a size a run can write (a folder, a pipe,
  // /dev/zero) is refused before it is read.
  std::error_code ec;
  const std::string& path = args[0];
  velloran::Status readable = velloran::CheckReadableRegularFile(path);
  const auto size = readable.ok() ? std::filesystem::file_size(path, ec) : 0;
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
    std::cerr << "velloran decode-debug: cannot read " << path << ": " << content.error().Description << "\n";
    return 1;
  }
  velloran::Bytes bytes(content->begin(), content->end());
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
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "decode-debug") return DecodeDebug(rest);
  if (command == "what-if") return velloran::WhatIf(rest);
  std::cerr << "velloran: unknown command \"" << command << "\"\n\n" << kUsage;
  return 2;
}
