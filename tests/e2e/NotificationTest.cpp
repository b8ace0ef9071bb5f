// The engine binary reporting a run through all four channels.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "engine/modEventLog.h"
#include "tests/support/EngineProcess.h"
#include "tests/support/SmtpServer.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using namespace test;

const std::string kStars(80, '*');

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

std::string Ini(int smtpPort, const fs::path& outFolder) {
  return "[GENERAL]\r\nUseActiveDirectory=False\r\nUseManualDefinitions=False\r\nAlwaysRun=True\r\n"
         "[NOTIFICATION SMTP]\r\nUseSMTP=True\r\nSMTPServerNameOrIP=127.0.0.1\r\nServerPort=" +
         std::to_string(smtpPort) +
         "\r\nEmailSubject=Printer migration\r\n"
         "EmailTo=first@example.com,second@example.org\r\nEmailFrom=velloran@example.com\r\n"
         "[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
         outFolder.string() +
         "\\\r\nFileOutputName=report.txt\r\nIncludeComputerName=True\r\nIncludeOutcome=True\r\n"
         "WriteToEventLog=True\r\n"
         "[NOTIFICATION CLIENT POP-UP]\r\nUseClientPopup=True\r\nUseSuccessClientPopup=True\r\n"
         "SuccessMessage=Your printers have moved.^CRLFThank "
         "you.\r\nUseFailureClientPopup=False\r\n"
         "FailureMessage=\r\n[SUPPORT]\r\nDebugOn=True\r\n";
}

struct EngineNotifications : ::testing::Test {
  EngineFolder engine{VELLORAN_ENGINE_PATH};
  fs::path out = engine.Root() / "reports";
  void SetUp() override { fs::create_directories(out); }
};

TEST_F(EngineNotifications, AllFourChannelsReportTheRun) {
  test::AiosmtpdServer server;
  const auto ini = engine.Folder() / "move.ini";
  WriteFile(ini, Ini(server.Port(), out));
  auto r = engine.Run({ini.string()});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;

  std::string debug = engine.DebugText();
  size_t mail = debug.find("     NOTFICATION VIA EMAIL    ");
  size_t file = debug.find("     NOTIFICATION VIA FILE OUTPUT     ");
  size_t popup = debug.find("     NOTIFICATION VIA CLIENT POP-UP    ");
  size_t events = debug.find("     NOTIFICATION VIA EVENT LOG    ");
  ASSERT_NE(events, std::string::npos) << debug;
  EXPECT_LT(mail, file);
  EXPECT_LT(file, popup);
  EXPECT_LT(popup, events);
  EXPECT_NE(debug.find(">> Sending QUIT <<\r\n" + kStars), std::string::npos) << debug;

  // The report file holds exactly one block: the outcome text the mail carried.
  const fs::path report = out / "PC01_SUCCESS_report.txt";
  ASSERT_TRUE(fs::exists(report)) << debug;
  std::string block = ReadFile(report);
  ASSERT_GE(block.size(), 2u);
  std::string outcome = block.substr(0, block.size() - 2);

  auto messages = server.WaitForMessages(1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].RcptTos,
            (std::vector<std::string>{"first@example.com", "second@example.org"}));
  const std::string& content = messages[0].Content;
  EXPECT_NE(content.find("\r\nTo: first@example.com, second@example.org\r\n"), std::string::npos);
  EXPECT_EQ(content.substr(content.find("\r\n\r\n") + 4), block);

  EXPECT_NE(r.Stderr.find("[Velloran] Your printers have moved.\r\nThank you."), std::string::npos)
      << r.Stderr;
  // The text's own CR LF reaches the console unchanged.
  EXPECT_EQ(r.Stderr.find("\r\r\n"), std::string::npos);

  EXPECT_EQ(ReadFile(engine.EventFile()), "4\t20001\tVelloran\t" + outcome + "\n");
  // The message file is registered from the client's own system directory
  // (Wine keeps it in lower case).
  EXPECT_EQ(engine.MachineValue(EventSourceKey("Velloran"), "EventMessageFile"),
            engine.Windows() ? "C:\\windows\\system32\\EvntMsg.dll"
                             : "C:\\WINDOWS\\system32\\EvntMsg.dll");
  // Nothing failed, so nothing was kept beside the engine.
  for (const auto& e : fs::directory_iterator(engine.Folder()))
    EXPECT_EQ(e.path().string().find("EmailFailure"), std::string::npos);
}

TEST_F(EngineNotifications, ARefusedMailIsKeptBesideTheEngineAndTheRunGoesOn) {
  test::ScriptedSmtpServer server([](test::ScriptedConnection& c) {
    c.Send("220 ready\r\n");
    c.ReadLine();
    c.Send("250 hello\r\n");
    c.ReadLine();
    c.Send("550 sender rejected\r\n");
  });
  const auto ini = engine.Folder() / "move.ini";
  WriteFile(ini, Ini(server.Port(), out));
  auto r = engine.Run({ini.string()});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_EQ(server.Received().find("RCPT"), std::string::npos);

  std::vector<fs::path> backups;
  for (const auto& e : fs::directory_iterator(engine.Folder()))
    if (std::regex_match(
            e.path().filename().string(),
            std::regex(R"(PC01_\d\d\.\d\d\.\d{4}_\d\d\.\d\d\.\d\d_EmailFailure\.txt)")))
      backups.push_back(e.path());
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(ReadFile(backups[0]), ReadFile(out / "PC01_SUCCESS_report.txt"));
  EXPECT_NE(engine.DebugText().find(">> Writing to back-up file: " + engine.EnginePath(backups[0])),
            std::string::npos);
  EXPECT_EQ(ReadFile(engine.EventFile()).rfind("4\t20001\t", 0), 0u);
}

// A display named in the session that cannot take the pop-up (a stale
// forwarded display, or none at all when the dialog is asked for) must not
// cost the run any of its reports.
TEST_F(EngineNotifications, APopupNoDisplayCanTakeStillLeavesEveryReport) {
  if (engine.Windows()) GTEST_SKIP() << "the Windows engine shows the system's own box";
  test::AiosmtpdServer server;
  const auto ini = engine.Folder() / "move.ini";
  WriteFile(ini, Ini(server.Port(), out));
  engine.Unset = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"};
  const std::string refusedTcpDisplay =
      "127.0.0.1:" + std::to_string(test::FreeLoopbackPort() - 6000);
  const std::pair<std::string, std::string> sessions[] = {
      {"auto", refusedTcpDisplay},
      {"qt", ":97"},
      {"auto", ":97"},
  };
  size_t run = 0;
  for (const auto& [choice, display] : sessions) {
    SCOPED_TRACE("VELLORAN_MESSAGEBOX=" + choice + " DISPLAY=" + display);
    ++run;
    fs::remove(engine.UserHive());
    engine.Env["VELLORAN_MESSAGEBOX"] = choice;
    engine.Env["DISPLAY"] = display;
    auto r = engine.Run({ini.string()});
    ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
    EXPECT_NE(r.Stderr.find("[Velloran] Your printers have moved.\r\nThank you."),
              std::string::npos)
        << r.Stderr;
    const std::string debug = engine.DebugText();
    EXPECT_NE(debug.find(">> Showing client pop-up success message. <<"), std::string::npos);
    const std::string end = kStars + "\r\n" + std::string(31, '*') + "     END DEBUG     " +
                            std::string(30, '*') + "\r\n" + kStars + "\r\n";
    ASSERT_GT(debug.size(), end.size());
    EXPECT_EQ(debug.substr(debug.size() - end.size()), end);
    EXPECT_NE(ReadFile(engine.UserHive()).find("SUCCESS=True"), std::string::npos);
    EXPECT_EQ(Count(ReadFile(engine.EventFile()), "4\t20001\tVelloran\t"), run);
    EXPECT_EQ(server.WaitForMessages(run).size(), run);
    // Every run appended its block to the one report file.
    const std::string report = ReadFile(out / "PC01_SUCCESS_report.txt");
    EXPECT_EQ(Count(report, "My Networked Printers"), run) << report;
  }
}

TEST(MessageBoxProgram, RefusesBadCommandLinesAndPlatformsThatShowNothing) {
  const std::string program =
      (fs::path(VELLORAN_ENGINE_PATH).parent_path() / "VelloranMessageBox").string();
  auto help = test::RunProcess(program, {"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_NE(help.Stdout.find("Usage: VelloranMessageBox"), std::string::npos);
  EXPECT_EQ(test::RunProcess(program, {"none", "ok", "Velloran"}).ExitCode, 2);
  EXPECT_EQ(test::RunProcess(program, {"loud", "ok", "Velloran", "Hi"}).ExitCode, 2);
  EXPECT_EQ(test::RunProcess(program, {"--ready-fd", "x", "none", "ok", "Velloran", "Hi"}).ExitCode,
            2);
  // Offscreen would leave the logon waiting on a box nobody can answer.
  auto r = test::RunProcess(program, {"none", "ok", "Velloran", "Hi"},
                            {{"QT_QPA_PLATFORM", "offscreen"}});
  EXPECT_EQ(r.ExitCode, 3) << r.Stderr;
}

}  // namespace
}  // namespace velloran
