// The outcome event and the registration of its source.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/modDebug.h"
#include "engine/modEventLog.h"
#include "tests/support/FakePlatform.h"

namespace velloran {
namespace {

const std::string kKey =
    "1|system\\currentcontrolset\\services\\eventlog\\application\\velloran|eventmessagefile";

struct EventLogFixture : ::testing::Test {
  test::FakePlatform platform;
  velloran::Run run{platform.services()};
  void SetUp() override {
    run.Settings.DebugOn = true;
    run.OutcomeText = "\r\n>> Added \\\\NEW\\P1";
  }
};

TEST_F(EventLogFixture, FirstRunRegistersTheSourceThenReports) {
  WriteApplicationEvent(run);
  ASSERT_EQ(platform.Settings.Values.count(kKey), 1u);
  EXPECT_EQ(platform.Settings.Values[kKey], "C:\\WINDOWS\\system32\\EvntMsg.dll");
  ASSERT_EQ(platform.Events.Events.size(), 1u);
  const auto& e = platform.Events.Events[0];
  EXPECT_EQ(e.Source, "Velloran");
  EXPECT_EQ(e.Type, kEventTypeInformation);
  EXPECT_EQ(e.Id, 20001u);
  EXPECT_EQ(e.Text, run.OutcomeText);
  EXPECT_EQ(run.DebugText, ">> Logged event in application event log.\r\n");
}

TEST_F(EventLogFixture, ANonEmptyMessageFileIsKeptAnEmptyOneReplaced) {
  platform.Settings.Values[kKey] = "D:\\Tools\\Other.dll";
  WriteApplicationEvent(run);
  EXPECT_EQ(platform.Settings.Values[kKey], "D:\\Tools\\Other.dll");

  platform.Settings.Values[kKey] = std::string("\0junk", 5);  // empty up to its first zero
  WriteApplicationEvent(run);
  EXPECT_EQ(platform.Settings.Values[kKey], "C:\\WINDOWS\\system32\\EvntMsg.dll");
  EXPECT_EQ(platform.Events.Events.size(), 2u);
}

TEST_F(EventLogFixture, AFailedRunIsAWarningWithTheSameId) {
  run.AbortStatus = true;
  run.OutcomeText.clear();
  WriteApplicationEvent(run);
  ASSERT_EQ(platform.Events.Events.size(), 1u);
  EXPECT_EQ(platform.Events.Events[0].Type, kEventTypeWarning);
  EXPECT_EQ(platform.Events.Events[0].Id, 20001u);
  EXPECT_EQ(platform.Events.Events[0].Text, "");
}

TEST_F(EventLogFixture, ARegistrationThatCannotBeWrittenStillReports) {
  platform.Settings.FailWrites = PlatformError{13, "Permission denied"};
  WriteApplicationEvent(run);
  EXPECT_EQ(platform.Events.Events.size(), 1u);
  EXPECT_EQ(run.DebugText, ">> Logged event in application event log.\r\n");
}

TEST_F(EventLogFixture, AnEventThatCannotBeWrittenGivesTheErrorLines) {
  platform.Events.Fails = PlatformError{2, "No such file or directory"};
  WriteApplicationEvent(run);
  EXPECT_EQ(run.DebugText,
            "ERROR: Writing event to application event log << \r\nERROR: 2\r\n"
            "ERROR DESCRIPTION: No such file or directory\r\n");
}

TEST_F(EventLogFixture, TheDebugFileFailureRegistersAndReports20002) {
  test::TempDir dir;
  std::filesystem::create_directory(dir / "PC01.debug");
  WriteDebugFile(run, (dir / "PC01.debug").string(), Bytes{1, 2});
  EXPECT_EQ(platform.Settings.Values[kKey], "C:\\WINDOWS\\system32\\EvntMsg.dll");
  ASSERT_EQ(platform.Events.Events.size(), 1u);
  EXPECT_EQ(platform.Events.Events[0].Type, kEventTypeWarning);
  EXPECT_EQ(platform.Events.Events[0].Id, 20002u);
}

}  // namespace
}  // namespace velloran
