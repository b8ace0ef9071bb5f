// VelloranEngine: one run per start. The only argument is the INI file's
// path; everything else comes from the INI file (and, for the platform
// backends, from the VELLORAN_* environment variables).

#include <iostream>
#include <string_view>

#include "engine/EngineServices.h"
#include "engine/SystemEntry.h"
#include "engine/modMain.h"
#include "platform/CodePage.h"
#include "platform/EnvironmentHelp.h"
#include "platform/Paths.h"

namespace {
const char* kUsage =
    "Usage: VelloranEngine [INI-FILE]\n"
    "\n"
    "Moves this user's network printer connections as the INI file says, reports\n"
    "the outcome and writes <computer>.debug beside the program (an engine\n"
    "installed in a system folder writes it to /var/log/velloran when root runs\n"
    "it, else to $XDG_STATE_HOME/velloran). The whole text after the program\n"
    "name is the INI file's path (double quotes removed); with none, the first\n"
    "*.ini file beside the program is used.\n"
    "\n"
    "Read a debug file with: velloran decode-debug FILE\n"
    "\n"
    "Exit status:\n"
    "  0  every connection the INI file (or the directory) maps was migrated, or\n"
    "     there was nothing to do (none to move, or this user was migrated before)\n"
    "  1  not all were migrated: a move failed or was held back (the reports say\n"
    "     which); a later start tries again\n"
    "  2  an environment variable below holds a value that cannot work (nothing\n"
    "     was run)\n"
    "  3  no INI file could be read: none was named and none lies beside the\n"
    "     program, or the one named is missing, unreadable, not a regular file or\n"
    "     larger than any settings file; the run still reports as it would\n"
    "\n";

#ifdef _WIN32
constexpr const char* kMore =
    "\nDetails: README.txt and guide\\index.html beside the engine (the Windows zip).\n";
#else
constexpr const char* kMore =
    "\nDetails: man VelloranEngine, /usr/share/doc/velloran/guide/ (installed)\n";
#endif
}  // namespace

int main(int argc, char** argv) {
  using namespace velloran;
  PrepareStandardStreams();
  // A lone --help or --version is never an INI path anyone deploys.
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    std::cout << kUsage << EnvironmentHelp() << kMore;
    return 0;
  }
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::cout << "VelloranEngine " VELLORAN_VERSION "\n";
    return 0;
  }
  auto config = ReadConfiguration();
  if (!config) {
    std::cerr << "VelloranEngine: " << config.error().Description << std::endl;
    return kExitBadEnvironment;
  }
  // Every INI text is read in this code page: a wrong one misreads them all.
  if (Status codePage = UseAnsiCodePage(config->CodePage); !codePage.ok()) {
    std::cerr << "VelloranEngine: " << codePage.error().Description << std::endl;
    return kExitBadEnvironment;
  }
  auto services = MakeEngineServices(*config, LdapOptionsFromEnvironment(), SystemDialogs());
  if (!services) {
    std::cerr << "VelloranEngine: " << services.error().Description << std::endl;
    return kExitBadEnvironment;
  }
  Run run((*services)->Wired());
  run.SmtpTick = config->SmtpTick;
  run.CommandLine = CommandLineText(argc, argv);
  run.EngineFolder = ExecutableFolder();
  if (std::string files = EngineFilesFolder(run.EngineFolder); files != run.EngineFolder)
    run.FilesFolder = files;
  Main(run);
  return ExitStatus(run);
}
