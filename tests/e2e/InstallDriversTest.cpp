// velloran install-drivers over a connection profile: the drivers of the
// new queues go into the profile as installed-driver lines, once, and only
// from servers the INI file names; an INI file that others may change is
// refused.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/AtomicFile.h"
#include "tests/support/EngineProcess.h"
#include "tests/support/Fakes.h"
#include "tests/support/Loopback.h"
#include "tests/support/Slapd.h"

namespace velloran {
namespace {

using test::Contains;
using test::RunProcess;

namespace fs = std::filesystem;

struct InstallDrivers : ::testing::Test {
  test::TempDir dir;
  fs::path profile = dir / "connections.txt";

  void SetUp() override {
    test::WriteFile(profile,
                    "computer: PC01\n"
                    "connection: \\\\OLDSRV\\LASER\n"
                    "connection: \\\\OLDSRV\\Color\n"
                    "connection: \\\\OLDSRV\\PLAIN\n"
                    "share: \\\\NEWSRV\\LASER\n"
                    "share: \\\\NEWSRV\\COLOR\n"
                    "share: \\\\NEWSRV\\PLAIN\n"
                    "share: \\\\MIXSRV\\Plotter\n"
                    "share: \\\\PRN1\\Wide\n"
                    "driver: \\\\NEWSRV\\LASER = Laser PCL6\n"
                    "driver: \\\\NEWSRV\\COLOR = Color PS\n"
                    "driver: \\\\MIXSRV\\Plotter = Laser PCL6\n"
                    "driver: \\\\PRN1\\Wide = Wide Format\n"
                    "installed-driver: Color PS\n");
  }

  std::string Ini(const std::string& sections, const std::string& name = "move.ini") {
    const fs::path path = dir / name;
    test::WriteFile(
        path, "[GENERAL]\r\nUseActiveDirectory=False\r\nUseManualDefinitions=True\r\n" + sections);
    return path.string();
  }
  std::string ServersIni() {
    return Ini(
        "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLDSRV\r\nToServers=NEWSRV\r\n"
        "[MANUAL DEFINITIONS MIXED]\r\nFromServers=OLDMIX\r\nFromPrinters=Plot\r\n"
        "ToServers=MIXSRV\r\nToPrinters=Plotter\r\n");
  }
  test::ProcessResult Run(std::vector<std::string> args,
                          std::map<std::string, std::string> env = {}) {
    args.insert(args.begin(), "install-drivers");
    return RunProcess(VELLORAN_TOOL_PATH, args, env, "", {"VELLORAN_PRINTERS"});
  }
  std::string Profile() const { return ReadWholeFile(profile.string()).value(); }
  size_t Count(const std::string& text, const std::string& what) const {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
};

TEST_F(InstallDrivers, InstallsWhatIsMissingOnceAndIsIdempotent) {
  const std::string ini = ServersIni();
  auto first = Run({ini, "--connections", profile.string()});
  ASSERT_EQ(first.ExitCode, 0) << first.Stdout << first.Stderr;
  // Two queues use the laser driver: it is installed once, from the first.
  // PLAIN needs no driver, and is not a line.
  EXPECT_EQ(first.Stdout,
            "installed: Laser PCL6 (\\\\NEWSRV\\LASER)\n"
            "already present: Color PS (\\\\NEWSRV\\Color)\n"
            "\n"
            "1 installed, 1 already present, 0 failed.\n");
  EXPECT_EQ(Count(Profile(), "installed-driver: Laser PCL6"), 1u) << Profile();

  const std::string after = Profile();
  auto second = Run({ini, "--connections", profile.string()});
  ASSERT_EQ(second.ExitCode, 0) << second.Stdout << second.Stderr;
  EXPECT_TRUE(Contains(second.Stdout, "already present: Laser PCL6")) << second.Stdout;
  EXPECT_FALSE(Contains(second.Stdout, "installed: ")) << second.Stdout;
  EXPECT_EQ(Profile(), after);
}

TEST_F(InstallDrivers, ADryRunSaysWhatItWouldInstallAndChangesNothing) {
  const std::string before = Profile();
  auto r = Run({ServersIni(), "--connections", profile.string(), "--dry-run"});
  ASSERT_EQ(r.ExitCode, 0) << r.Stdout << r.Stderr;
  EXPECT_TRUE(Contains(r.Stdout, "would install: Laser PCL6 (\\\\NEWSRV\\LASER)")) << r.Stdout;
  EXPECT_EQ(Profile(), before);
}

TEST_F(InstallDrivers, JsonHasOneEntryPerDriverAndTheEnvironmentNamesTheProfile) {
  // Without --connections the profile is the one the engine would use.
  auto r = Run({ServersIni(), "--json"}, {{"VELLORAN_PRINTERS", "profile:" + profile.string()}});
  ASSERT_EQ(r.ExitCode, 0) << r.Stdout << r.Stderr;
  EXPECT_TRUE(Contains(Profile(), "installed-driver: Laser PCL6")) << Profile();
  EXPECT_TRUE(Contains(r.Stdout,
                       "{\"driver\": \"Laser PCL6\", \"queue\": \"\\\\\\\\NEWSRV\\\\LASER\", "
                       "\"status\": \"installed\", \"cause\": \"\"}"))
      << r.Stdout;
  EXPECT_TRUE(Contains(r.Stdout, "\"status\": \"already present\"")) << r.Stdout;
  EXPECT_EQ(Count(r.Stdout, "\"driver\": "), 2u) << r.Stdout;
  EXPECT_TRUE(Contains(r.Stdout, "\"dryRun\": false")) << r.Stdout;
  EXPECT_TRUE(Contains(r.Stdout,
                       "\"installed\": 1,\n  \"present\": 1,\n  \"toInstall\": 0,\n  "
                       "\"failed\": 0\n}\n"))
      << r.Stdout;
}

TEST_F(InstallDrivers, ServersTheIniFileDoesNotNameAreRefused) {
  // The printers pair is asked on PRN1, which the INI file never names: its
  // driver is not installed, and the run counts as failed.
  const std::string ini =
      Ini("[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLDSRV\r\nToServers=NEWSRV\r\n"
          "[MANUAL DEFINITIONS PRINTERS]\r\nFromPrinters=Narrow\r\nToPrinters=Wide\r\n");
  auto r = Run({ini, "--connections", profile.string(), "--server", "PRN1"});
  EXPECT_EQ(r.ExitCode, 1) << r.Stdout << r.Stderr;
  EXPECT_TRUE(Contains(r.Stdout, "failed: \\\\PRN1: refused")) << r.Stdout;
  EXPECT_FALSE(Contains(Profile(), "installed-driver: Wide Format")) << Profile();
  // What the file does name is still installed.
  EXPECT_TRUE(Contains(Profile(), "installed-driver: Laser PCL6")) << Profile();

  // Without --server, a printers pair has no server to install from.
  r = Run({ini, "--connections", profile.string()});
  EXPECT_EQ(r.ExitCode, 1) << r.Stdout << r.Stderr;
  EXPECT_TRUE(Contains(r.Stdout, "failed: Wide: no server")) << r.Stdout;

  // Named by the file (as a servers pair's server), PRN1 is a source.
  const std::string named =
      Ini("[MANUAL DEFINITIONS SERVERS]\r\nFromServers=PRN1\r\nToServers=NEWSRV\r\n"
          "[MANUAL DEFINITIONS PRINTERS]\r\nFromPrinters=Narrow\r\nToPrinters=Wide\r\n",
          "named.ini");
  r = Run({named, "--connections", profile.string(), "--server", "prn1"});
  EXPECT_TRUE(Contains(r.Stdout, "installed: Wide Format (\\\\prn1\\Wide)")) << r.Stdout;
}

TEST_F(InstallDrivers, AQueueThatCannotBeFoundFailsTheRun) {
  const std::string ini =
      Ini("[MANUAL DEFINITIONS MIXED]\r\nFromServers=OLDMIX\r\nFromPrinters=Plot\r\n"
          "ToServers=MIXSRV\r\nToPrinters=Gone\r\n");
  auto r = Run({ini, "--connections", profile.string()});
  EXPECT_EQ(r.ExitCode, 1) << r.Stdout << r.Stderr;
  EXPECT_TRUE(Contains(r.Stdout, "failed: \\\\MIXSRV\\Gone: missing")) << r.Stdout;
}

TEST_F(InstallDrivers, AnIniFileOthersMayChangeIsRefused) {
  const std::string ini = ServersIni();
  const std::string before = Profile();
  struct Case {
    fs::path Path;
    mode_t Mode;
    const char* Who;
  };
  for (const Case& c : {Case{ini, 0666, "everyone"}, Case{dir.path(), 0777, "everyone"}}) {
    struct stat st {};
    ASSERT_EQ(::stat(c.Path.c_str(), &st), 0);
    ASSERT_EQ(::chmod(c.Path.c_str(), c.Mode), 0);
    auto r = Run({ini, "--connections", profile.string()});
    ASSERT_EQ(::chmod(c.Path.c_str(), st.st_mode & 07777), 0);
    EXPECT_EQ(r.ExitCode, 2) << r.Stdout << r.Stderr;
    EXPECT_TRUE(Contains(r.Stderr, c.Path.string() + " may be changed by " + c.Who)) << r.Stderr;
    EXPECT_EQ(Profile(), before);
  }
  // A sticky folder that everyone may write to (/tmp) lets nobody replace
  // the file in it.
  ASSERT_EQ(::chmod(dir.path().c_str(), 01777), 0);
  auto r = Run({ini, "--connections", profile.string(), "--dry-run"});
  ASSERT_EQ(::chmod(dir.path().c_str(), 0700), 0);
  EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
}

TEST_F(InstallDrivers, BadArgumentsExitWithTwo) {
  const std::string ini = ServersIni();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{},
        {"--dry-run"},
        {ini, "--bogus"},
        {ini, "--server"},
        {ini, "--connections"},
        {ini, ini},
        {(dir / "absent.ini").string()},
        {ini, "--connections", (dir / "absent.txt").string()}}) {
    auto r = Run(args);
    EXPECT_EQ(r.ExitCode, 2) << testing::PrintToString(args) << r.Stderr;
    EXPECT_FALSE(r.Stderr.empty());
  }
  auto help = Run({"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_TRUE(Contains(help.Stdout, "Usage: velloran install-drivers INI")) << help.Stdout;
}

TEST_F(InstallDrivers, InDirectoryModeThePublishedQueuesAreTheTargets) {
  const std::string printers = std::string("ou=Printers,") + test::Slapd::kSuffix;
  test::Slapd server{
      test::OrganizationalUnitLdif("Printers") +
      test::PrintQueueLdif(printers, {{"NEWSRV-Laser", {"LASER"}}, {"NEWSRV-Color", {"COLOR"}}})};
  const fs::path ini = dir / "directory.ini";
  test::WriteFile(ini,
                  "[GENERAL]\r\nUseActiveDirectory=True\r\nUseManualDefinitions=False\r\n"
                  "[ACTIVE DIRECTORY]\r\nDomainName=" +
                      server.HostPort() + "/" + printers + "\r\n");
  auto r = Run({ini.string(), "--connections", profile.string()});
  EXPECT_EQ(r.ExitCode, 0) << r.Stdout << r.Stderr;
  EXPECT_TRUE(Contains(r.Stdout, "installed: Laser PCL6 (\\\\NEWSRV\\LASER)")) << r.Stdout;
  EXPECT_TRUE(Contains(r.Stdout, "already present: Color PS (\\\\NEWSRV\\COLOR)")) << r.Stdout;

  // A directory that cannot be reached is a failed run, not an empty one.
  test::WriteFile(ini,
                  "[GENERAL]\r\nUseActiveDirectory=True\r\nUseManualDefinitions=False\r\n"
                  "[ACTIVE DIRECTORY]\r\nDomainName=127.0.0.1:" +
                      std::to_string(test::FreeLoopbackPort()) + "/" + printers + "\r\n");
  r = Run({ini.string(), "--connections", profile.string()});
  EXPECT_EQ(r.ExitCode, 1) << r.Stdout << r.Stderr;
  EXPECT_TRUE(Contains(r.Stdout, "failed: the directory")) << r.Stdout;
}

TEST_F(InstallDrivers, OverCupsNoDriverIsNeeded) {
  auto r = Run({ServersIni()}, {{"VELLORAN_PRINTERS", "cups"}});
  EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_TRUE(Contains(r.Stdout, "no driver is needed")) << r.Stdout;
}

}  // namespace
}  // namespace velloran
