#include "engine/CommandLine.h"

namespace velloran {

std::string CommandLineFromArgv(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

}  // namespace velloran
