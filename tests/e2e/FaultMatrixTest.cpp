// The engine binary against what goes wrong on real clients: full disks,
// files that cannot be changed, pipes and folders where files belong, many
// clients at once. Each time the run completes, the failure is reported
// through its channel, and no file is left half-written or lost.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "tests/support/EngineProcess.h"
#include "tests/support/FaultyLdap.h"
#include "tests/support/Slapd.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using namespace test;

std::string Ini(const fs::path& outFolder, const std::string& extra = "") {
  return "[GENERAL]\r\nUseActiveDirectory=False\r\nUseManualDefinitions=True\r\nAlwaysRun=True\r\n"
         "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLD\r\nToServers=NEW\r\n"
         "[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
         outFolder.string() +
         "\r\nFileOutputName=report.txt\r\nIncludeComputerName=True\r\nIncludeOutcome=False\r\n"
         "WriteToEventLog=True\r\n[SUPPORT]\r\nDebugOn=True\r\n" +
         extra;
}

/// A tmpfs of a few pages, filled up to its last bytes on request. Mounting
/// needs root (CI runs as root); elsewhere the test says why it is skipped.
class SmallDisk {
 public:
  explicit SmallDisk(const fs::path& at, size_t bytes) : at_(at) {
    fs::create_directories(at);
    const std::string options = "size=" + std::to_string(bytes);
    mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }
  /// Takes every free page with a filler file.
  void Fill() {
    std::ofstream filler(at_ / ".filler", std::ios::binary);
    std::string page(4096, 'f');
    while (filler.write(page.data(), static_cast<std::streamsize>(page.size())) && filler.flush()) {
    }
  }

 private:
  fs::path at_;
  bool mounted_ = false;
};

#define REQUIRE_MOUNTED(disk) \
  if (!(disk).Mounted())      \
  GTEST_SKIP() << "mounting a tmpfs is not permitted here (needs root): skipped"

struct FaultMatrix : ::testing::Test {
  EngineFolder engine{VELLORAN_ENGINE_PATH};
  fs::path out = engine.Root() / "reports";
  fs::path ini = engine.Folder() / "move.ini";
  void SetUp() override {
    fs::create_directories(out);
    WriteFile(engine.Connections(), "computer: PC01\nconnection: \\\\OLD\\P1\n");
  }
  std::string Events() {
    return fs::exists(engine.EventFile()) ? ReadFile(engine.EventFile()) : "";
  }
  /// The error numbers each engine reports: errno on POSIX, the system's
  /// error codes on Windows.
  std::string DiskFull() const { return engine.Windows() ? "112" : "28"; }
  std::string NotPermitted() const { return engine.Windows() ? "5" : "1"; }
};

TEST_F(FaultMatrix, AFullDiskUnderTheOutputFileKeepsItsBlocksWhole) {
  SmallDisk disk(out, 16 * 1024);
  REQUIRE_MOUNTED(disk);
  // The earlier clients' blocks end 96 bytes before a page boundary: this
  // run's block fits only in part.
  const std::string earlier = std::string(4096 - 96 - 2, 'x') + "\r\n";
  WriteFile(out / "PC01_report.txt", earlier);
  disk.Fill();
  WriteFile(ini, Ini(out));
  auto r = engine.Run({ini.string()});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_EQ(ReadFile(out / "PC01_report.txt"), earlier);
  const std::string debug = engine.DebugText();
  EXPECT_TRUE(
      Contains(debug, "ERROR: Saving notification output file <<\r\nERROR: " + DiskFull() + "\r\n"))
      << debug;
  // The other channels and the rest of the run go on.
  EXPECT_TRUE(Contains(Events(), "\t20001\tVelloran\t"));
  EXPECT_TRUE(Contains(debug, "     END DEBUG     "));
  EXPECT_TRUE(Contains(ReadFile(engine.Connections()), "connection: \\\\NEW\\P1\n"));
}

TEST_F(FaultMatrix, AFullDiskUnderTheDebugFileAndTheHiveKeepsTheOldFiles) {
  // The debug file goes beside the engine: the engine lives on the full disk.
  const auto engineSize = fs::file_size(engine.Engine());
  SmallDisk disk(engine.Root() / "full", engineSize + 64 * 1024);
  REQUIRE_MOUNTED(disk);
  const fs::path hive = engine.Root() / "full/user.hive";
  const fs::path folder = engine.Root() / "full/deploy";
  fs::create_directories(folder);
  const fs::path copy = folder / engine.Engine().filename();
  fs::copy_file(engine.Engine(), copy);
  engine.Env["VELLORAN_USER_HIVE"] = hive.string();
  WriteFile(hive, "; Velloran settings hive\n[Software\\Velloran\\other.ini]\nSUCCESS=True\n");
  WriteFile(folder / "PC01.debug", "old debug file");
  WriteFile(folder / "move.ini", Ini(out));
  disk.Fill();
  auto r = engine.RunCopy(copy, {(folder / "move.ini").string()});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_EQ(ReadFile(folder / "PC01.debug"), "old debug file");
  const std::string events = Events();
  EXPECT_TRUE(Contains(
      events, "\t20002\tVelloran\tUnable to create debug file within folder: " + DiskFull() + ": "))
      << events;
  // The Windows engine keeps its marker in the registry, not on this disk.
  if (!engine.Windows()) {
    EXPECT_EQ(ReadFile(hive),
              "; Velloran settings hive\n[Software\\Velloran\\other.ini]\nSUCCESS=True\n");
    EXPECT_TRUE(
        Contains(events, "\t20003\tVelloran\tUnable to store the run-once marker for INI file "))
        << events;
  }
  // No temp file of an atomic write is left behind.
  for (const auto& entry : fs::directory_iterator(folder))
    EXPECT_TRUE(entry.path().filename() == "PC01.debug" || entry.path().filename() == "move.ini" ||
                entry.path() == copy)
        << entry.path();
  EXPECT_TRUE(Contains(ReadFile(out / "PC01_report.txt"), "Printer migrated: P1 (OLD)"));
}

TEST_F(FaultMatrix, ImmutableFilesAreReportedNotReplaced) {
  const fs::path report = out / "PC01_report.txt";
  WriteFile(report, "earlier block\r\n");
  fs::create_directories(engine.UserHive().parent_path());
  WriteFile(engine.UserHive(), "; Velloran settings hive\n");
  auto chattr = [](const char* flag, const fs::path& p) {
    auto r = test::RunProcess("/usr/bin/chattr", {flag, p.string()});
    return r.ExitCode == 0;
  };
  if (!chattr("+i", report) || !chattr("+i", engine.UserHive()))
    GTEST_SKIP()
        << "chattr +i is not permitted here (needs root on a file system with attributes): skipped";
  WriteFile(ini, Ini(out));
  auto r = engine.Run({ini.string()});
  chattr("-i", report);
  chattr("-i", engine.UserHive());
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_EQ(ReadFile(report), "earlier block\r\n");
  EXPECT_EQ(ReadFile(engine.UserHive()), "; Velloran settings hive\n");
  const std::string debug = engine.DebugText();
  EXPECT_TRUE(Contains(
      debug, "ERROR: Saving notification output file <<\r\nERROR: " + NotPermitted() + "\r\n"))
      << debug;
  // The Windows engine's marker lives in the registry, which no file attribute guards.
  if (engine.Windows()) return;
  EXPECT_TRUE(Contains(debug, "ERROR: Setting Registry key: " + ini.string() + "\r\nERROR: 1\r\n"))
      << debug;
  EXPECT_TRUE(Contains(Events(), "\t20003\tVelloran\t"));
}

TEST_F(FaultMatrix, PipesAndFoldersWhereFilesBelongNeitherHangNorCount) {
  // The report file is a FIFO nobody reads, the debug file's name a folder.
  ASSERT_EQ(::mkfifo((out / "PC01_report.txt").c_str(), 0600), 0);
  fs::create_directory(engine.Folder() / "PC01.debug");
  WriteFile(ini, Ini(out));
  auto r = engine.Run({ini.string()});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  const std::string events = Events();
  EXPECT_TRUE(Contains(events, "\t20001\tVelloran\t"));
  EXPECT_TRUE(
      Contains(events, "\t20002\tVelloran\tUnable to create debug file within folder: 21: "))
      << events;

  // An INI file that is a FIFO: the run reports, but the user is not marked.
  const fs::path pipe = engine.Folder() / "pipe.ini";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  auto piped = engine.Run({pipe.string()});
  ASSERT_EQ(piped.ExitCode, 3) << piped.Stderr;
  EXPECT_FALSE(Contains(ReadFile(engine.UserHive()), "pipe.ini"));
}

TEST_F(FaultMatrix, LinksPlantedWhereTheEngineWritesAreRefusedThroughEachChannel) {
  // Report and engine folders are writable by many; a link by the name of
  // a file the engine writes must not carry its bytes elsewhere (run as
  // root, anywhere at all). Each refusal takes its channel's failure path.
  if (engine.Windows()) GTEST_SKIP() << "links need a privilege on Windows";
  const fs::path victims = engine.Root() / "victims";
  fs::create_directories(victims);
  for (const char* name : {"report", "debug", "hive", "events"})
    WriteFile(victims / name, std::string("precious ") + name + "\n");
  fs::create_symlink(victims / "report", out / "PC01_report.txt");
  fs::create_symlink(victims / "debug", engine.Folder() / "PC01.debug");
  fs::create_directories(engine.UserHive().parent_path());
  fs::create_symlink(victims / "hive", engine.UserHive());
  WriteFile(ini, Ini(out));
  auto r = engine.Run({ini.string()});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  // The debug file could not be written: its refusal is event 20002, the
  // marker's 20003, and the report's is in the debug text, which the run
  // after this one (links gone) shows.
  const std::string events = Events();
  EXPECT_TRUE(
      Contains(events, "\t20002\tVelloran\tUnable to create debug file within folder: 40: "))
      << events;
  EXPECT_TRUE(Contains(events, "\t20003\tVelloran\t")) << events;
  EXPECT_TRUE(Contains(events, "\t20001\tVelloran\t")) << events;

  // The event log file itself as a link: the failure is in the debug log.
  fs::remove(engine.Folder() / "PC01.debug");
  fs::remove(engine.UserHive());
  fs::remove(engine.EventFile());
  fs::create_symlink(victims / "events", engine.EventFile());
  r = engine.Run({ini.string()});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  const std::string debug = engine.DebugText();
  EXPECT_TRUE(Contains(debug,
                       "ERROR: Saving notification output file <<\r\nERROR: 40\r\n"
                       "ERROR DESCRIPTION: Symbolic link refused"))
      << debug;
  EXPECT_TRUE(Contains(debug, "ERROR: Writing event to application event log << \r\nERROR: 40\r\n"))
      << debug;
  EXPECT_TRUE(Contains(debug, "     END DEBUG     "));

  for (const char* name : {"report", "debug", "hive", "events"})
    EXPECT_EQ(ReadFile(victims / name), std::string("precious ") + name + "\n") << name;
  EXPECT_TRUE(fs::is_symlink(out / "PC01_report.txt"));
}

TEST_F(FaultMatrix, SixteenClientsAppendingAtOnceLoseNoBlock) {
  constexpr int kClients = 16, kRunsEach = 20;
  WriteFile(engine.Connections(), "computer: PC01\nconnection: Local Laser\n");
  WriteFile(ini, Ini(out));
  std::vector<pid_t> clients;
  for (int c = 0; c < kClients; ++c) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int failed = 0;
      for (int i = 0; i < kRunsEach; ++i)
        if (engine.Run({ini.string()}).ExitCode != 0) ++failed;
      ::_exit(failed == 0 ? 0 : 1);
    }
    clients.push_back(pid);
  }
  for (pid_t pid : clients) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  // Every run reports the same block; a torn or interleaved one would break
  // the repetition.
  const std::string all = ReadFile(out / "PC01_report.txt");
  const std::string block = all.substr(0, all.find("\r\n\r\n") + 2);
  ASSERT_TRUE(Contains(block, "Non-Networked Printer: Local Laser (DO NOTHING)")) << block;
  std::string expected;
  for (int i = 0; i < kClients * kRunsEach; ++i) expected += block;
  EXPECT_EQ(all, expected);
}

// Directory servers that fail part-way: one that takes the connection and
// never answers, one whose connection is cut after the first page of the
// queues. The run ends within the reply timeout, reports on the directory's
// failure paths, moves nobody (the manual modes are skipped too), marks
// nothing done and leaves whole files.
TEST_F(FaultMatrix, DirectoryServersThatStopAnsweringFailTheRunInBoundedTime) {
  // The Windows directory client's bind takes no time limit from us; only
  // its search does.
  if (engine.Windows()) GTEST_SKIP() << "the reply timeout is the LDAP client's";
  using test::Slapd;
  const std::string ou = std::string("ou=Printers,") + Slapd::kSuffix;
  std::vector<test::PrintQueue> queues;
  for (int i = 1; i <= 2500; ++i)
    queues.push_back({"NEW-Q" + std::to_string(i), {"Q" + std::to_string(i)}});
  queues.push_back({"NEW-P1", {"P1"}});
  Slapd server{test::OrganizationalUnitLdif("Printers") + test::PrintQueueLdif(ou, queues)};
  test::SilentLdapServer silent;
  test::CuttingLdapProxy cutting(server.Port(), {.Entries = 1000});
  engine.Env["VELLORAN_LDAP_TIMEOUT"] = "2";
  engine.Env["VELLORAN_LDAP_BIND"] = "anonymous";
  const std::string profile = ReadFile(engine.Connections());

  struct Case {
    std::string Server, Message, Error;
  };
  for (const Case& c :
       {Case{silent.HostPort(), "Error accessing Active Directory. Try installing an MDAC update.",
             "> Error Number: -2147023436\r\n> Error Description: Timed out"},
        Case{cutting.HostPort(), "Error quering Active Directory printers.",
             "> Error Number: -2147016646\r\n> Error Description: Can't contact LDAP server "
             "(ldap://" +
                 cutting.HostPort() + ")"}}) {
    SCOPED_TRACE(c.Message);
    fs::remove_all(out);
    fs::create_directories(out);
    WriteFile(ini,
              "[GENERAL]\r\nUseActiveDirectory=True\r\nUseManualDefinitions=True\r\n"
              "AlwaysRun=False\r\n[ACTIVE DIRECTORY]\r\nDomainName=" +
                  c.Server + "/" + ou +
                  "\r\n[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLD\r\nToServers=NEW\r\n"
                  "[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
                  out.string() +
                  "\r\nFileOutputName=report.txt\r\nIncludeComputerName=False\r\n"
                  "IncludeOutcome=False\r\nWriteToEventLog=True\r\n[SUPPORT]\r\nDebugOn=True\r\n");
    const auto start = std::chrono::steady_clock::now();
    auto r = engine.Run({ini.string()});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ASSERT_EQ(r.ExitCode, 1) << r.Stderr;
    EXPECT_EQ(ReadFile(out / "report.txt"),
              "\r\n* ----- My Networked Printers ----- *\r\nP1 (OLD)\r\n" + c.Message + "\r\n" +
                  c.Error + "\r\n");
    EXPECT_EQ(ReadFile(engine.Connections()), profile);
    EXPECT_EQ(engine.UserValue("Software\\Velloran\\" + ini.string(), "SUCCESS"), "False");
    const std::string debug = engine.DebugText();
    EXPECT_FALSE(Contains(debug, "MOVING USING SERVER TO SERVER"));
    EXPECT_TRUE(Contains(debug, "     END DEBUG     ")) << debug;
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
  }
  EXPECT_GE(silent.Accepted(), 1);
  EXPECT_EQ(cutting.Cuts(), 1);
}

}  // namespace
}  // namespace velloran
