// The engine binary run as a process: INI discovery, command line, debug
// file, run-once marker and the debug-file failure event.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/Paths.h"
#include "tests/support/EngineProcess.h"

namespace velloran {
namespace {

using test::EngineFolder;
using test::ReadFile;
using test::WriteFile;

const std::string kStars(80, '*');
const std::string kBegin = kStars + "\r\n" + std::string(30, '*') + "     BEGIN DEBUG     " +
                           std::string(29, '*') + "\r\n" + kStars + "\r\n";
const std::string kCommandLine = kStars + "\r\n" + std::string(24, '*') +
                                 "     COMMAND LINE PARAMETERS    " + std::string(23, '*') +
                                 "\r\n" + kStars + "\r\n";
const std::string kEnd = kStars + "\r\n" + std::string(31, '*') + "     END DEBUG     " +
                         std::string(30, '*') + "\r\n" + kStars + "\r\n";

std::string Ini(bool debugOn, bool alwaysRun = false) {
  return std::string(
             "[GENERAL]\r\nUseActiveDirectory=False\r\nUseManualDefinitions=False\r\nAlwaysRun=") +
         (alwaysRun ? "True" : "False") +
         "\r\n[SUPPORT]\r\nDebugOn=" + (debugOn ? "True" : "False") + "\r\n";
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

struct EngineSpine : ::testing::Test {
  EngineFolder engine{VELLORAN_ENGINE_PATH};
};

TEST_F(EngineSpine, DebugOffKeepsOnlyTheOpeningLines) {
  const auto ini = engine.Folder() / "move.ini";
  WriteFile(ini, Ini(false));
  auto r = engine.Run({ini.string()});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_EQ(engine.DebugText(), kBegin + kCommandLine +
                                    ">> Command line parameter: " + ini.string() +
                                    "\r\n>> Opening INI File: " + ini.string() + "\r\n");
}

TEST_F(EngineSpine, WithoutArgumentTheFirstListedINIFileIsUsed) {
  WriteFile(engine.Folder() / "b.ini", Ini(true));
  WriteFile(engine.Folder() / "a.INI", Ini(true));
  WriteFile(engine.Folder() / ".hidden.ini", Ini(true));
  std::string first;
  for (const auto& name : PlainFileNames(engine.Folder().string()))
    if (name.size() > 4 && (name.ends_with(".ini") || name.ends_with(".INI"))) {
      first = name;
      break;
    }
  auto r = engine.Run();
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  std::string debug = engine.DebugText();
  EXPECT_NE(debug.find(">> Command line parameter: \r\n>> First found INI file : " + first +
                       "\r\n"
                       ">> Opening INI File: " +
                       engine.EnginePath(engine.Folder() / first) + "\r\n"),
            std::string::npos)
      << debug;
  EXPECT_EQ(debug.substr(debug.size() - kEnd.size()), kEnd);
}

TEST_F(EngineSpine, QuotesAreRemovedAndBlanksKeptWhereverTheyStand) {
  std::filesystem::create_directories(engine.Root() / "my dir");
  const std::string path = (engine.Root() / "my dir/move it.ini").string();
  WriteFile(path, Ini(true));
  const std::string opening = ">> Opening INI File: " + path + "\r\n";

  // Unquoted, as the batch file passes it: the words arrive split.
  auto dirPart = (engine.Root() / "my").string();
  ASSERT_EQ(engine.Run({dirPart, "dir/move", "it.ini"}).ExitCode, 0);
  std::string debug = engine.DebugText();
  EXPECT_NE(debug.find(">> Command line parameter: " + path + "\r\n" + opening), std::string::npos)
      << debug;
  EXPECT_NE(debug.find(">> DebugOn: True"), std::string::npos);

  // Wine rebuilds the Windows command line from the words it is given and
  // escapes quotes inside them; a logon script passes its text unchanged.
  if (engine.Windows()) return;
  ASSERT_EQ(engine.Run({"\"" + path + "\""}).ExitCode, 0);
  debug = engine.DebugText();
  EXPECT_NE(debug.find(">> Command line parameter: \"" + path + "\"\r\n" + opening),
            std::string::npos)
      << debug;

  const std::string middle = path.substr(0, 10) + "\"" + path.substr(10);
  ASSERT_EQ(engine.Run({middle}).ExitCode, 0);
  EXPECT_NE(engine.DebugText().find(opening), std::string::npos);
}

// A run that finds no INI file: the message shown once, the whole run in
// the debug file, and the marker of the empty INI path, which lives in the
// application key itself.
void ExpectNoINIRun(const test::EngineFolder& engine, const test::ProcessResult& r) {
  ASSERT_EQ(r.ExitCode, 3) << r.Stderr;
  EXPECT_EQ(Count(r.Stderr,
                  "[Error] Unable to find INI file. Please check your deployment and try again."),
            1u)
      << r.Stderr;
  std::string debug = engine.DebugText();
  EXPECT_NE(debug.find(">> First found INI file : \r\nERROR: Unable to find an INI File.\r\n"),
            std::string::npos);
  EXPECT_NE(debug.find(">> Getting Registry key: \r\n>> Registry Key Value: False\r\n"),
            std::string::npos);
  EXPECT_NE(debug.find(">> Finished notification, abort status: False"), std::string::npos);
  EXPECT_EQ(debug.substr(debug.size() - kEnd.size()), kEnd);
  EXPECT_EQ(engine.UserValue("Software\\Velloran", "SUCCESS"), "True");
}

TEST_F(EngineSpine, NoINIFileShowsTheMessageOnceAndLogsTheWholeRun) {
  engine.DeleteUserValue("Software\\Velloran", "SUCCESS");
  ExpectNoINIRun(engine, engine.Run());
}

TEST_F(EngineSpine, TheNoINIBoxFallsBackToTheConsoleWhenNoDisplayTakesIt) {
  if (engine.Windows()) GTEST_SKIP() << "the Windows engine shows the system's own box";
  engine.Unset = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"};
  engine.Env["VELLORAN_MESSAGEBOX"] = "qt";
  engine.Env["DISPLAY"] = ":97";
  ExpectNoINIRun(engine, engine.Run());
}

// Most logons end at the run-once marker: starting the engine must not load
// the GUI, the directory client or the CUPS client (and their TLS, ICU and
// X libraries), which only a pop-up, the directory mode or a printer step
// on CUPS queues needs.
const std::vector<std::string> kOnDemandLibraries = {
    "libQt6",          "libicu",   "libX11",    "libxcb",  "libldap",
    "liblber",         "libsasl2", "libgnutls", "libssl",  "libcrypto",
    "libcups",         "libavahi", "libgssapi", "libkrb5", "velloran-directory.so",
    "velloran-cups.so"};

bool LinuxEngine() {
  const char* other = std::getenv("VELLORAN_E2E_ENGINE");
  return !other || !*other;
}

TEST(EngineBinary, StartsWithoutGuiOrDirectoryLibraries) {
  if (!LinuxEngine()) GTEST_SKIP() << "a Linux binary's libraries";
  auto r = test::RunProcess("/usr/bin/ldd", {VELLORAN_ENGINE_PATH});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  ASSERT_NE(r.Stdout.find("libc.so"), std::string::npos) << r.Stdout;
  for (const std::string& lib : kOnDemandLibraries)
    EXPECT_EQ(r.Stdout.find(lib), std::string::npos) << lib << " in\n" << r.Stdout;
}

// What a run maps, as the dynamic loader reports it: a module loaded on
// demand shows here and not in ldd.
std::string LoadedFiles(EngineFolder& engine, const std::vector<std::string>& args) {
  const auto log = engine.Root() / "loader";
  engine.Env["LD_DEBUG"] = "files";
  engine.Env["LD_DEBUG_OUTPUT"] = log.string();
  auto r = engine.Run(args);
  engine.Env.erase("LD_DEBUG");
  engine.Env.erase("LD_DEBUG_OUTPUT");
  EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
  std::string files;
  for (const auto& entry : std::filesystem::directory_iterator(engine.Root()))
    if (entry.path().filename().string().rfind("loader.", 0) == 0) {
      files += ReadFile(entry.path());
      std::filesystem::remove(entry.path());
    }
  return files;
}

void ExpectNoOnDemandLibrary(const std::string& loaded, const std::string& run) {
  ASSERT_NE(loaded.find("libc.so"), std::string::npos) << run << ": no loader report\n" << loaded;
  for (const std::string& lib : kOnDemandLibraries)
    EXPECT_EQ(loaded.find(lib), std::string::npos) << run << " maps " << lib << ":\n" << loaded;
}

TEST_F(EngineSpine, NoOpAndProfileRunsMapNoLibraryTheyDoNotUse) {
  if (!LinuxEngine()) GTEST_SKIP() << "the Linux dynamic loader's report";
  WriteFile(engine.Connections(),
            "computer: PC01\nconnection: \\\\OLDSRV1\\Sales\nshare: \\\\NEWSRV1\\Sales\n");
  const auto ini = engine.Folder() / "move.ini";
  WriteFile(ini,
            "[GENERAL]\r\nUseActiveDirectory=False\r\nUseManualDefinitions=True\r\n"
            "AlwaysRun=False\r\n[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLDSRV1\r\n"
            "ToServers=NEWSRV1\r\n[SUPPORT]\r\nDebugOn=True\r\n");

  ExpectNoOnDemandLibrary(LoadedFiles(engine, {ini.string()}), "a profile run");
  ASSERT_NE(ReadFile(engine.Connections()).find("connection: \\\\NEWSRV1\\Sales"),
            std::string::npos)
      << ReadFile(engine.Connections());
  ExpectNoOnDemandLibrary(LoadedFiles(engine, {ini.string()}), "a no-op run");

  // A CUPS client chooses the CUPS backend at every logon; the marker ends
  // the run before anything asks for a queue.
  engine.Env["VELLORAN_PRINTERS"] = "cups";
  ExpectNoOnDemandLibrary(LoadedFiles(engine, {ini.string()}), "a no-op run on CUPS");
  EXPECT_NE(engine.DebugText().find(">> Registry Key Value: True"), std::string::npos);
}

TEST_F(EngineSpine, ASuccessfulRunIsNotRepeatedUnlessAlwaysRun) {
  const auto ini = engine.Folder() / "move.ini";
  WriteFile(ini, Ini(true));
  ASSERT_EQ(engine.Run({ini.string()}).ExitCode, 0);
  EXPECT_NE(engine.DebugText().find(">> Running Velloran, abort status: False"), std::string::npos);
  EXPECT_EQ(engine.UserValue("Software\\Velloran\\" + ini.string(), "SUCCESS"), "True");

  ASSERT_EQ(engine.Run({ini.string()}).ExitCode, 0);
  std::string debug = engine.DebugText();
  const std::string afterDump = ">> DebugOn: True\r\n>> Getting Registry key: " + ini.string() +
                                "\r\n>> Registry Key Value: True\r\n" + kEnd;
  ASSERT_GE(debug.size(), afterDump.size());
  EXPECT_EQ(debug.substr(debug.size() - afterDump.size()), afterDump);

  WriteFile(ini, Ini(true, true));
  ASSERT_EQ(engine.Run({ini.string()}).ExitCode, 0);
  EXPECT_NE(engine.DebugText().find(">> Running Velloran, abort status: False"), std::string::npos);
}

TEST_F(EngineSpine, ADebugFileThatCannotBeWrittenIsReportedAsEvent20002) {
  const auto ini = engine.Root() / "move.ini";
  WriteFile(ini, Ini(true));
  if (::geteuid() == 0)
    std::filesystem::create_directory(engine.Folder() / "PC01.debug");  // root writes anywhere
  else
    std::filesystem::permissions(
        engine.Folder(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  ASSERT_EQ(engine.Run({ini.string()}).ExitCode, 0);
  std::string events = ReadFile(engine.EventFile());
  EXPECT_EQ(events.rfind("2\t20002\tVelloran\tUnable to create debug file within folder: ", 0), 0u)
      << events;
}

TEST_F(EngineSpine, HelpAndVersionPrintToTheCallerAndRunNothing) {
  // The Windows engine is a GUI program: this shows it still prints.
  auto help = engine.Run({"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_EQ(help.Stdout.rfind("Usage: VelloranEngine [INI-FILE]\n", 0), 0u) << help.Stdout;
  auto version = engine.Run({"--version"});
  EXPECT_EQ(version.ExitCode, 0);
  EXPECT_EQ(version.Stdout, "VelloranEngine " VELLORAN_VERSION "\n");
  EXPECT_FALSE(std::filesystem::exists(engine.Folder() / "PC01.debug"));
}

TEST_F(EngineSpine, BadBackendChoiceIsAClearError) {
  for (auto [name, value] :
       {std::pair{"VELLORAN_EVENTLOG", "journal"}, std::pair{"VELLORAN_SMTP_TICK_MS", "abc"},
        std::pair{"VELLORAN_MESSAGEBOX", "gtk"}}) {
    auto env = engine.Env;
    engine.Env[name] = value;
    auto r = engine.Run();
    engine.Env = env;
    EXPECT_EQ(r.ExitCode, 2) << name;
    EXPECT_NE(r.Stderr.find(name), std::string::npos) << r.Stderr;
  }
}

}  // namespace
}  // namespace velloran
