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
using test::EngineFolder;
using test::ReadFile;
using test::WriteFile;

const std::string kStars(80, '*');

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
            engine.Windows() ? "C:\\windows\\system32\\EvntMsg.dll" : "C:\\WINDOWS\\system32\\EvntMsg.dll");
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

}  // namespace
}  // namespace velloran
