// The dispatcher, the output file and the pop-up against fakes.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/modNotification.h"
#include "tests/support/FakePlatform.h"

namespace velloran {
namespace {

const std::string kStars(80, '*');

std::string Banner(int left, const std::string& title, int right) {
  return kStars + "\r\n" + std::string(static_cast<size_t>(left), '*') + title +
         std::string(static_cast<size_t>(right), '*') + "\r\n" + kStars + "\r\n";
}

struct NotificationFixture : ::testing::Test {
  test::FakePlatform platform;
  test::TempDir dir;
  velloran::Run run{platform.services()};

  void SetUp() override {
    run.Settings.DebugOn = true;
    run.EngineFolder = dir.str();
    run.OutcomeText = "\r\n>> Removed \\\\OLD\\P1\r\n>> Added \\\\NEW\\P1";
    run.Settings.FileOutputPath = dir.str();
    run.Settings.FileOutputName = "report.txt";
  }
};

TEST_F(NotificationFixture, AllSwitchesOffDoNothing) {
  SendNotifications(run);
  EXPECT_EQ(run.DebugText, "");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_TRUE(platform.Messages.Shown.empty());
  EXPECT_TRUE(platform.Events.Events.empty());
}

TEST_F(NotificationFixture, ChannelsRunInTheFixedOrderEachAfterItsBanner) {
  auto& s = run.Settings;
  s.UseSMTP = s.UseFileOutput = s.UseClientPopup = s.UseSuccessClientPopup = s.WriteToEventLog =
      true;
  // No server name: the mail channel fails before any socket work.
  s.SMTPServerNameOrIP = "";
  s.ServerPort = "25";
  s.SuccessMessage = "Done";
  SendNotifications(run);

  const std::string path = (dir / "report.txt").string();
  std::string expected = Banner(24, "     NOTFICATION VIA EMAIL    ", 24) +
                         ">> Sending nofication via STMP, server (port): (25)\r\n"
                         "ERROR: Connecting to SMTP server <<\r\nERROR: 1\r\nERROR DESCRIPTION: "
                         "Host not found (authoritative)\r\n"
                         ">> Writing to back-up file: " +
                         (dir / "PC01_12.07.2026_14.05.09_EmailFailure.txt").string() + "\r\n" +
                         Banner(22, "     NOTIFICATION VIA FILE OUTPUT     ", 21) +
                         ">> Writing to notification output file: " + path + "\r\n" +
                         Banner(21, "     NOTIFICATION VIA CLIENT POP-UP    ", 20) +
                         ">> Showing client pop-up success message. <<\r\n" +
                         Banner(23, "     NOTIFICATION VIA EVENT LOG    ", 22) +
                         ">> Logged event in application event log.\r\n";
  EXPECT_EQ(run.DebugText, expected);
  EXPECT_EQ(test::ReadFile(path), run.OutcomeText + "\r\n");
  ASSERT_EQ(platform.Messages.Shown.size(), 1u);
  ASSERT_EQ(platform.Events.Events.size(), 1u);
  EXPECT_EQ(platform.Events.Events[0].Text, run.OutcomeText);
}

TEST_F(NotificationFixture, PopupPicksTheMessageByOutcomeAndNeverSubstitutes) {
  auto& s = run.Settings;
  s.UseClientPopup = true;
  s.SuccessMessage = "Printers moved.^CRLFHave a nice day.^crlf";
  s.FailureMessage = "Call the help desk.";

  // Neither message switched on: banner only.
  SendNotifications(run);
  EXPECT_EQ(run.DebugText, Banner(21, "     NOTIFICATION VIA CLIENT POP-UP    ", 20));
  EXPECT_TRUE(platform.Messages.Shown.empty());

  // A failed run with only the success message on shows nothing.
  s.UseSuccessClientPopup = true;
  run.AbortStatus = true;
  ShowClientPopup(run);
  EXPECT_TRUE(platform.Messages.Shown.empty());

  run.AbortStatus = false;
  ShowClientPopup(run);
  ASSERT_EQ(platform.Messages.Shown.size(), 1u);
  const auto& shown = platform.Messages.Shown[0];
  EXPECT_EQ(shown.Text, "Printers moved.\r\nHave a nice day.^crlf");
  EXPECT_EQ(shown.Title, "Velloran");
  EXPECT_EQ(shown.Icon, MessageIcon::None);
  EXPECT_EQ(shown.Buttons, MessageButtons::OK);

  s.UseFailureClientPopup = true;
  run.AbortStatus = true;
  run.DebugText.clear();
  ShowClientPopup(run);
  EXPECT_EQ(run.DebugText, ">> Showing client pop-up failure message. <<\r\n");
  EXPECT_EQ(platform.Messages.Shown.back().Text, "Call the help desk.");
}

TEST(ExpandLineBreaks, ReplacesEveryExactMarker) {
  EXPECT_EQ(ExpandLineBreaks(""), "");
  EXPECT_EQ(ExpandLineBreaks("^CRLF"), "\r\n");
  EXPECT_EQ(ExpandLineBreaks("a^CRLF^CRLFb^CRLF"), "a\r\n\r\nb\r\n");
  EXPECT_EQ(ExpandLineBreaks("^CRL^CRLFF ^Crlf"), "^CRL\r\nF ^Crlf");
}

TEST_F(NotificationFixture, EmptySuccessMessageStillShowsABox) {
  run.Settings.UseSuccessClientPopup = true;
  ShowClientPopup(run);
  ASSERT_EQ(platform.Messages.Shown.size(), 1u);
  EXPECT_EQ(platform.Messages.Shown[0].Text, "");
  EXPECT_EQ(platform.Messages.Shown[0].Title, "Velloran");
}

TEST_F(NotificationFixture, OutputFileNameFollowsTheSwitches) {
  auto& s = run.Settings;
  EXPECT_EQ(NotificationFilePath(run), (dir / "report.txt").string());
  s.IncludeOutcome = true;
  EXPECT_EQ(NotificationFilePath(run), (dir / "SUCCESS_report.txt").string());
  s.IncludeComputerName = true;
  run.AbortStatus = true;
  EXPECT_EQ(NotificationFilePath(run), (dir / "PC01_FAILED_report.txt").string());
  platform.Network.CreateFails = PlatformError{429, "no object"};
  s.IncludeOutcome = false;
  EXPECT_EQ(NotificationFilePath(run), (dir / "Computer UNKNOWN_report.txt").string());
  // An empty folder names the root, as the clients join it, not the current folder.
  s.FileOutputPath = "";
  EXPECT_EQ(NotificationFilePath(run), "/Computer UNKNOWN_report.txt");
}

TEST_F(NotificationFixture, EachRunAppendsOneBlock) {
  run.Settings.UseFileOutput = true;
  SendNotifications(run);
  run.OutcomeText = "\r\nsecond run";
  SendNotifications(run);
  EXPECT_EQ(test::ReadFile(dir / "report.txt"),
            "\r\n>> Removed \\\\OLD\\P1\r\n>> Added \\\\NEW\\P1\r\n\r\nsecond run\r\n");
}

TEST_F(NotificationFixture, AnUnreachableFolderIsLoggedAndLaterChannelsRun) {
  auto& s = run.Settings;
  s.UseFileOutput = s.UseClientPopup = s.UseFailureClientPopup = s.WriteToEventLog = true;
  s.FileOutputPath = (dir / "no such folder").string();
  run.AbortStatus = true;
  std::string outcome = run.OutcomeText;
  SendNotifications(run);
  EXPECT_NE(run.DebugText.find(">> Writing to notification output file: " + s.FileOutputPath +
                               "/report.txt\r\n"
                               "ERROR: Saving notification output file <<\r\n"
                               "ERROR: 2\r\n"
                               "ERROR DESCRIPTION: No such file or directory\r\n" +
                               Banner(21, "     NOTIFICATION VIA CLIENT POP-UP    ", 20)),
            std::string::npos)
      << run.DebugText;
  EXPECT_EQ(platform.Messages.Shown.size(), 1u);
  EXPECT_EQ(platform.Events.Events.size(), 1u);
  EXPECT_TRUE(run.AbortStatus);
  EXPECT_EQ(run.OutcomeText, outcome);
}

}  // namespace
}  // namespace velloran
