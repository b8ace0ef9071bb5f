// VelloranEngine: one run per start. The only argument is the INI file's
// path; everything else comes from the INI file (and, for the platform
// backends, from the VELLORAN_* environment variables).

#include <iostream>
#include <string_view>

#include "engine/EngineServices.h"
#include "engine/SystemEntry.h"
#include "engine/modMain.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"

namespace {
const char* kUsage =
    "Usage: VelloranEngine [INI-FILE]\n"
    "\n"
    "Moves this user's network printer connections as the INI file says, reports\n"
    "the outcome and writes <computer>.debug beside the program. The whole text\n"
    "after the program name is the INI file's path (double quotes removed); with\n"
    "none, the first *.ini file beside the program is used.\n"
    "\n"
    "Platform backends are chosen by VELLORAN_PRINTERS, VELLORAN_USER_HIVE,\n"
    "VELLORAN_MACHINE_HIVE, VELLORAN_MESSAGEBOX, VELLORAN_EVENTLOG,\n"
    "VELLORAN_LDAP_BIND, VELLORAN_SMTP_TICK_MS and VELLORAN_CODEPAGE\n"
    "(see README.md).\n"
    "Read a debug file with: velloran decode-debug FILE\n";
}  // namespace

int main(int argc, char** argv) {
  using namespace velloran;
  PrepareStandardStreams();
  // A lone --help or --version is never an INI path anyone deploys.
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    std::cout << kUsage;
    return 0;
  }
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::cout << "VelloranEngine " VELLORAN_VERSION "\n";
    return 0;
  }
  auto config = ReadConfiguration();
  if (!config) {
    std::cerr << "VelloranEngine: " << config.error().Description << std::endl;
    return 2;
  }
  // Every INI text is read in this code page: a wrong one misreads them all.
  if (Status codePage = UseAnsiCodePage(config->CodePage); !codePage.ok()) {
    std::cerr << "VelloranEngine: " << codePage.error().Description << std::endl;
    return 2;
  }
  auto services = MakeEngineServices(*config, LdapOptionsFromEnvironment(), SystemDialogs());
  if (!services) {
    std::cerr << "VelloranEngine: " << services.error().Description << std::endl;
    return 2;
  }
  Run run((*services)->Wired());
  run.SmtpTick = config->SmtpTick;
  run.CommandLine = CommandLineText(argc, argv);
  run.EngineFolder = ExecutableFolder();
  Main(run);
  return 0;
}
