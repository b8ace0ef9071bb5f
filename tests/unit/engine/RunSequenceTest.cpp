#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/modEventLog.h"
#include "engine/modINIFile.h"
#include "engine/modMain.h"
#include "engine/modNotification.h"
#include "engine/modPrinters.h"
#include "tests/support/FakePlatform.h"

namespace velloran {
namespace {

struct RunSequence : ::testing::Test {
  test::FakePlatform platform;
  test::TempDir dir;
  velloran::Run run{platform.services()};

  void SetUp() override {
    run.EngineFolder = dir.str();
    run.INIFilePath = (dir / "move.ini").string();
    run.Settings.DebugOn = true;
  }
  std::string Marker() {
    auto v = platform.Settings.ReadValue(Hive::CurrentUser, SuccessMarkerKey(run.INIFilePath),
                                         "SUCCESS");
    return v && v->has_value() ? **v : "<none>";
  }
  void SetMarker(const std::string& value) {
    ASSERT_TRUE(
        platform.Settings
            .WriteValue(Hive::CurrentUser, SuccessMarkerKey(run.INIFilePath), "SUCCESS", value)
            .ok());
  }
};

TEST_F(RunSequence, MarkerRecordsTheOutcomeUnderTheINIPath) {
  EXPECT_EQ(SuccessMarkerKey("\\\\srv\\share\\a.ini"), "Software\\Velloran\\\\\\srv\\share\\a.ini");
  RunMigration(run);
  EXPECT_EQ(Marker(), "True");
  run.AbortStatus = true;
  SetSuccessMarker(run);
  EXPECT_EQ(Marker(), "False");
}

TEST_F(RunSequence, OnlyAStoredTrueSkipsTheRun) {
  // Anything but the engine's own "True" means "not done yet": running again
  // costs one pass over connections that are already moved.
  for (const char* stored : {"False", "true", "TRUE", "yes", ""}) {
    SetMarker(stored);
    run.DebugText.clear();
    EXPECT_FALSE(IsMarkedSuccessful(run)) << stored;
    EXPECT_EQ(run.DebugText, ">> Getting Registry key: " + run.INIFilePath +
                                 "\r\n>> Registry Key Value: False\r\n");
  }
  SetMarker("True");
  EXPECT_TRUE(IsMarkedSuccessful(run));
}

TEST_F(RunSequence, AMarkedRunDoesNothingButReadTheMarker) {
  SetMarker("True");
  run.AbortStatus = true;  // must not be cleared by a skipped run
  RunMigration(run);
  EXPECT_EQ(run.DebugText,
            ">> Getting Registry key: " + run.INIFilePath + "\r\n>> Registry Key Value: True\r\n");
  EXPECT_TRUE(platform.Network.Calls.empty());
  EXPECT_TRUE(run.AbortStatus);

  run.Settings.AlwaysRun = true;
  RunMigration(run);
  EXPECT_FALSE(run.AbortStatus);
  EXPECT_NE(run.DebugText.find(">> Finished notification, abort status: False"), std::string::npos);
}

TEST_F(RunSequence, StepsAreLoggedInOrder) {
  run.Settings.UseActiveDirectory = true;
  RunMigration(run);
  const std::string stars(80, '*');
  EXPECT_EQ(run.DebugText,
            ">> Getting Registry key: " + run.INIFilePath +
                "\r\n>> Registry Key Value: False\r\n"
                ">> Running Velloran, abort status: False\r\n" +
                stars + "\r\n" + std::string(28, '*') + "     NETWORK PRINTERS    " +
                std::string(27, '*') + "\r\n" + stars + "\r\n" +
                ">> Getting client's list of printers <<\r\n"
                ">> * ----- My Networked Printers ----- * <<\r\n"
                ">> Finished getting network printers, abort status: False\r\n" +
                stars + "\r\n" + std::string(28, '*') + "     MOVING USING AD    " +
                std::string(27, '*') + "\r\n" + stars + "\r\n" +
                // No directory service: the mode fails and the manual modes are skipped.
                ">> Moving Printers Using AD <<\r\n"
                "ERROR: Accessing Active Directory. <<\r\nERROR: 429\r\n"
                "ERROR DESCRIPTION: ActiveX component can't create object\r\n"
                ">> Finished getting list of AD printers, abort status: True\r\n"
                ">> Finished moving printers using AD, abort status: True\r\n"
                ">> Finished moving via AD, abort status: True\r\n"
                ">> Finished moving manual, abort status: True\r\n"
                ">> Finished notification, abort status: True\r\n");
}

TEST_F(RunSequence, TheDumpListsBlankSlotsAndHonoursDebugOn) {
  test::WriteFile(
      run.INIFilePath,
      "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLD\r\nToServers=NEW\r\n"
      "[DEPLOYMENT]\r\nCreateWebLaunchPage=True\r\nMDACOption=-3\r\n[SUPPORT]\r\nDebugOn=True\r\n");
  ReadINISettings(run);
  const std::string& d = run.DebugText;
  EXPECT_NE(d.find(">> Server to Server Pairs <<\r\n>> From Server: OLD\r\n>> To Server: NEW\r\n"
                   ">> From Server: \r\n>> To Server: \r\n>> Printer to Printer Pairs <<\r\n"),
            std::string::npos)
      << d;
  EXPECT_NE(
      d.find(
          ">> CreateHTMLLaunchPage: True\r\n>> CreateBatchFile: False\r\n>> IncludeMDAC: False\r\n"
          ">> MDACOption: -3\r\n>> DebugOn: True\r\n"),
      std::string::npos);
  EXPECT_EQ(d.substr(0, 82), std::string(80, '*') + "\r\n");

  test::WriteFile(run.INIFilePath, "[SUPPORT]\r\nDebugOn=False\r\n");
  run.Settings.DebugOn = true;
  run.DebugText.clear();
  ReadINISettings(run);
  EXPECT_EQ(run.DebugText, "");
}

// The dump numbers every list the way the file does: an empty list shows one
// blank slot, a single entry is followed by one, longer lists show no blank.
TEST_F(RunSequence, TheDumpShowsTheFilesSlotsForEveryListLength) {
  const std::string blankPair = ">> From Server: \r\n>> To Server: \r\n";
  const std::string blankAddress = ">> To Email Address: \r\n";
  auto pair = [](const std::string& n) {
    return ">> From Server: O" + n + "\r\n>> To Server: N" + n + "\r\n";
  };
  auto address = [](const std::string& n) { return ">> To Email Address: a" + n + "@x.test\r\n"; };
  const struct {
    size_t Entries;
    std::string Pairs, Addresses;
  } cases[] = {
      {0, blankPair, blankAddress},
      {1, pair("1") + blankPair, address("1") + blankAddress},
      {2, pair("1") + pair("2"), address("1") + address("2")},
      {3, pair("1") + pair("2") + pair("3"), address("1") + address("2") + address("3")},
  };
  auto between = [](const std::string& text, const std::string& from, const std::string& to) {
    const size_t start = text.find(from);
    if (start == std::string::npos) return std::string("<no " + from + ">");
    const size_t end = text.find(to, start + from.size());
    return text.substr(start + from.size(), end - start - from.size());
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Entries);
    run.Settings = INISettings{};
    run.Settings.DebugOn = true;
    for (size_t i = 1; i <= c.Entries; ++i) {
      const std::string n = std::to_string(i);
      run.Settings.ServerPairs.push_back({"O" + n, "N" + n});
      run.Settings.EmailTo.push_back("a" + n + "@x.test");
    }
    run.DebugText.clear();
    DumpINISettings(run);
    EXPECT_EQ(between(run.DebugText, ">> Server to Server Pairs <<\r\n", ">> Printer to Printer"),
              c.Pairs);
    EXPECT_EQ(between(run.DebugText, ">> Email To Addresses <<\r\n", ">> EmailFrom"), c.Addresses);
  }
}

TEST_F(RunSequence, AFailedDirectoryModeKeepsTheManualModesFromRunning) {
  platform.Network.Connections = {"\\\\OLD\\P1"};
  run.Settings.UseManualDefinitions = true;
  run.Settings.ServerPairs = {{"OLD", "NEW"}};
  run.Settings.UseActiveDirectory = true;  // no directory service: the mode fails
  RunMigration(run);
  EXPECT_TRUE(run.AbortStatus);
  EXPECT_EQ(platform.Network.Calls, (std::vector<std::string>{"enum"}));
  EXPECT_EQ(Marker(), "False");

  // The same manual pairs do run when nothing failed before them.
  run.Settings.UseActiveDirectory = false;
  run.Settings.AlwaysRun = true;
  platform.Network.Calls.clear();
  RunMigration(run);
  EXPECT_FALSE(run.AbortStatus) << run.OutcomeText;
  EXPECT_EQ(platform.Network.Calls,
            (std::vector<std::string>{"enum", "remove \\\\OLD\\P1", "add \\\\NEW\\P1"}));
  EXPECT_EQ(Marker(), "True");
}

TEST_F(RunSequence, AnINIFileThatCannotBeReadNeverMarksTheUserDone) {
  // A share offline at the first logon, a folder or a pipe by the file's
  // name: the run reports, but a later logon must still migrate the user.
  const std::string folder = (dir / "folder.ini").string();
  const std::string fifo = (dir / "pipe.ini").string();
  std::filesystem::create_directory(folder);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A file past the size any settings file has reads as one without keys;
  // that must not pass for a file that asks for nothing.
  const std::string big = (dir / "big.ini").string();
  test::WriteFile(big, "[GENERAL]\r\nUseManualDefinitions=True\r\n");
  std::filesystem::resize_file(big, std::uintmax_t{9} << 20);
  for (const std::string& path : {(dir / "absent.ini").string(), folder, fifo, big}) {
    run = velloran::Run(platform.services());
    run.Settings.DebugOn = true;
    run.CommandLine = "\"" + path + "\"";
    OpenINIFile(run);
    EXPECT_TRUE(run.INIFileUnreadable) << path;
    EXPECT_NE(run.DebugText.find("ERROR: Reading INI file: " + path + "\r\nERROR: "),
              std::string::npos)
        << run.DebugText;
    EXPECT_FALSE(run.Settings.UseManualDefinitions);
    RunMigration(run);
    EXPECT_EQ(Marker(), "<none>") << path;
    ASSERT_FALSE(platform.Events.Events.empty()) << path;
    EXPECT_EQ(platform.Events.Events.back().Id, kEventIdINIFile);
    EXPECT_TRUE(
        platform.Events.Events.back().Text.starts_with("Unable to read INI file " + path + ": "))
        << platform.Events.Events.back().Text;
  }
  EXPECT_NE(platform.Events.Events.back().Text.find("9437184 bytes"), std::string::npos);

  for (const auto& [key, value] : platform.Settings.Values)
    EXPECT_EQ(key.find("|success"), std::string::npos) << key;

  // Once the file is back, the run counts.
  run = velloran::Run(platform.services());
  run.CommandLine = (dir / "absent.ini").string();
  test::WriteFile(dir / "absent.ini", "[GENERAL]\r\nAlwaysRun=False\r\n");
  OpenINIFile(run);
  EXPECT_FALSE(run.INIFileUnreadable);
  RunMigration(run);
  EXPECT_EQ(Marker(), "True");
}

TEST_F(RunSequence, TheExitStatusPutsAMissingINIFileBeforeAFailedRun) {
  // Without an INI file the inventory still runs; when it fails too, the
  // missing file is the cause a deployment tool must be told.
  platform.Network.EnumFails = PlatformError{1722, "The RPC server is unavailable."};
  for (const std::string& argument : {std::string(), (dir / "absent.ini").string()}) {
    run = velloran::Run(platform.services());
    run.EngineFolder = dir.str();
    run.CommandLine = argument;
    OpenINIFile(run);
    RunMigration(run);
    EXPECT_TRUE(run.AbortStatus) << argument;
    EXPECT_EQ(ExitStatus(run), kExitNoINIFile) << argument;
  }

  test::WriteFile(dir / "move.ini", "[GENERAL]\r\nAlwaysRun=False\r\n");
  run = velloran::Run(platform.services());
  run.CommandLine = (dir / "move.ini").string();
  OpenINIFile(run);
  RunMigration(run);
  EXPECT_EQ(ExitStatus(run), kExitNotAllMigrated);

  // Migrated before: the run stops at the marker, and that is success.
  platform.Network.EnumFails.reset();
  run.AbortStatus = false;
  RunMigration(run);
  ASSERT_EQ(Marker(), "True");
  run = velloran::Run(platform.services());
  run.CommandLine = (dir / "move.ini").string();
  OpenINIFile(run);
  RunMigration(run);
  EXPECT_EQ(ExitStatus(run), kExitDone);
}

TEST_F(RunSequence, AnOutputFileNameThatIsAPathIsRefused) {
  // With neither computer name nor outcome in front, the name alone decides
  // where the engine appends.
  const auto out = dir / "out";
  std::filesystem::create_directory(out);
  for (const std::string name : {"../escaped.txt", "..\\escaped.txt", "..", "sub/x.txt"}) {
    run = velloran::Run(platform.services());
    run.CommandLine = (dir / "move.ini").string();
    test::WriteFile(
        dir / "move.ini",
        "[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" + out.string() +
            "\r\nFileOutputName=" + name + "\r\n[SUPPORT]\r\nDebugOn=True\r\n");
    run.Settings.DebugOn = true;
    OpenINIFile(run);
    SendNotifications(run);
    EXPECT_FALSE(std::filesystem::exists(dir / "escaped.txt")) << name;
    EXPECT_NE(
        run.DebugText.find("ERROR: Reading INI file: FileOutputName " + name + "\r\nERROR: 22"),
        std::string::npos)
        << run.DebugText;
  }
  EXPECT_TRUE(std::filesystem::is_empty(out));

  // A plain name is written where it says.
  run = velloran::Run(platform.services());
  run.CommandLine = (dir / "move.ini").string();
  test::WriteFile(dir / "move.ini",
                  "[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
                      out.string() + "\r\nFileOutputName=..report.txt\r\n");
  OpenINIFile(run);
  SendNotifications(run);
  EXPECT_TRUE(std::filesystem::exists(out / "..report.txt"));
}

TEST_F(RunSequence, AMarkerThatCannotBeStoredIsReportedButChangesNothingElse) {
  platform.Settings.FailWrites = PlatformError{30, "Read-only file system"};
  RunMigration(run);
  EXPECT_FALSE(run.AbortStatus);
  EXPECT_NE(run.DebugText.find("ERROR: Setting Registry key: " + run.INIFilePath +
                               "\r\nERROR: 30\r\nERROR DESCRIPTION: Read-only file system\r\n"),
            std::string::npos)
      << run.DebugText;
  ASSERT_FALSE(platform.Events.Events.empty());
  const test::RecordedEvent& e = platform.Events.Events.back();
  EXPECT_EQ(e.Id, kEventIdRunOnceMarker);
  EXPECT_EQ(e.Type, kEventTypeWarning);
  EXPECT_EQ(e.Text, "Unable to store the run-once marker for INI file " + run.INIFilePath +
                        ": 30: Read-only file system");
}

}  // namespace
}  // namespace velloran
