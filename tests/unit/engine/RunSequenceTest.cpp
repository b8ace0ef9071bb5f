#include <gtest/gtest.h>

#include "engine/modINIFile.h"
#include "engine/modMain.h"
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
    auto v = platform.Settings.ReadValue(Hive::CurrentUser, SuccessMarkerKey(run.INIFilePath), "SUCCESS");
    return v && v->has_value() ? **v : "<none>";
  }
  void SetMarker(const std::string& value) {
    ASSERT_TRUE(platform.Settings.WriteValue(Hive::CurrentUser, SuccessMarkerKey(run.INIFilePath), "SUCCESS", value).ok());
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
    EXPECT_EQ(run.DebugText, ">> Getting Registry key: " + run.INIFilePath + "\r\n>> Registry Key Value: False\r\n");
  }
  SetMarker("True");
  EXPECT_TRUE(IsMarkedSuccessful(run));
}

TEST_F(RunSequence, AMarkedRunDoesNothingButReadTheMarker) {
  SetMarker("True");
  run.AbortStatus = true;  // must not be cleared by a skipped run
  RunMigration(run);
  EXPECT_EQ(run.DebugText, ">> Getting Registry key: " + run.INIFilePath + "\r\n>> Registry Key Value: True\r\n");
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
            ">> Getting Registry key: " + run.INIFilePath + "\r\n>> Registry Key Value: False\r\n"
            ">> Running Velloran, abort status: False\r\n" +
                stars + "\r\n" + std::string(28, '*') + "     NETWORK PRINTERS    " + std::string(27, '*') +
                "\r\n" + stars + "\r\n" +
                ">> Getting client's list of printers <<\r\n"
                ">> * ----- My Networked Printers ----- * <<\r\n"
                ">> Finished getting network printers, abort status: False\r\n" + stars + "\r\n" +
                std::string(28, '*') + "     MOVING USING AD    " + std::string(27, '*') + "\r\n" + stars +
                "\r\n" +
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
  test::WriteFile(run.INIFilePath,
                  "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLD\r\nToServers=NEW\r\n"
                  "[DEPLOYMENT]\r\nCreateWebLaunchPage=True\r\nMDACOption=-3\r\n[SUPPORT]\r\nDebugOn=True\r\n");
  ReadINISettings(run);
  const std::string& d = run.DebugText;
  EXPECT_NE(d.find(">> Server to Server Pairs <<\r\n>> From Server: OLD\r\n>> To Server: NEW\r\n"
                   ">> From Server: \r\n>> To Server: \r\n>> Printer to Printer Pairs <<\r\n"),
            std::string::npos)
      << d;
  EXPECT_NE(d.find(">> CreateHTMLLaunchPage: True\r\n>> CreateBatchFile: False\r\n>> IncludeMDAC: False\r\n"
                   ">> MDACOption: -3\r\n>> DebugOn: True\r\n"),
            std::string::npos);
  EXPECT_EQ(d.substr(0, 82), std::string(80, '*') + "\r\n");

  test::WriteFile(run.INIFilePath, "[SUPPORT]\r\nDebugOn=False\r\n");
  run.Settings.DebugOn = true;
  run.DebugText.clear();
  ReadINISettings(run);
  EXPECT_EQ(run.DebugText, "");
}

}  // namespace
}  // namespace velloran
