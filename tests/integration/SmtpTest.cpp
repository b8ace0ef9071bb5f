// The mail channel over real sockets: Debian's aiosmtpd for delivery, and
// scripted servers for the exact dialogue and each way it can fail.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "engine/frmWinsockContainer.h"
#include "engine/modNotification.h"
#include "engine/modSMTP.h"
#include "platform/Paths.h"
#include "tests/support/EngineProcess.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/SmtpServer.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::AiosmtpdServer;
using test::ScriptedConnection;
using test::ScriptedSmtpServer;

const std::string kOutcome =
    "\r\n>> Removed \\\\OLDSRV\\LASER\r\n.\r\n.hidden line\r\nbare\nline feed";
// What the body must read after the server has undone the transparency.
const std::string kBodyAsSent =
    "\r\n>> Removed \\\\OLDSRV\\LASER\r\n.\r\n.hidden line\r\nbare\r\nline feed";

struct Smtp : ::testing::Test {
  test::FakePlatform platform;
  test::TempDir folder;
  velloran::Run run{platform.services()};

  void SetUp() override {
    run.SmtpTick = 20ms;
    run.Settings.DebugOn = true;
    run.EngineFolder = folder.str();
    run.Settings.UseSMTP = true;
    run.Settings.SMTPServerNameOrIP = "127.0.0.1";
    run.Settings.EmailFrom = "velloran@example.com";
    run.Settings.EmailTo = {"admin@example.com", ""};
    run.Settings.EmailSubject = "Printer migration";
    run.OutcomeText = kOutcome;
  }

  void Send(int port) {
    run.Settings.ServerPort = std::to_string(port);
    SendSMTPNotification(run);
  }
  std::string StartLine() const {
    return ">> Sending nofication via STMP, server (port): 127.0.0.1(" + run.Settings.ServerPort +
           ")\r\n";
  }
  std::vector<fs::path> BackupFiles() const {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(folder.path())) out.push_back(e.path());
    return out;
  }
};

// Answers each command with the code the test gives for it.
ScriptedSmtpServer::Script Answering(std::vector<std::string> replies) {
  return [replies](ScriptedConnection& c) {
    c.Send(replies.at(0));
    for (size_t i = 1; i < replies.size(); ++i) {
      std::string line = c.ReadLine();
      if (line.empty()) return;
      if (line == "DATA\r\n" && replies[i].rfind("354", 0) == 0) {
        c.Send(replies[i]);
        c.ReadData();
        ++i;
        if (i == replies.size()) return;
      }
      c.Send(replies[i]);
    }
  };
}

std::string HeaderValue(const std::string& message, const std::string& name) {
  size_t at = message.find("\r\n" + name + ": ");
  if (at == std::string::npos) return "";
  at += name.size() + 4;
  return message.substr(at, message.find("\r\n", at) - at);
}

TEST_F(Smtp, RealServerDeliversToEveryRecipientWithHeadersAndBodyAsSent) {
  AiosmtpdServer server;
  run.Settings.EmailTo = {"first@example.com", "", "second@example.org"};
  Send(server.Port());

  auto messages = server.WaitForMessages(1);
  ASSERT_EQ(messages.size(), 1u);
  const auto& m = messages[0];
  EXPECT_EQ(m.MailFrom, "velloran@example.com");
  EXPECT_EQ(m.RcptTos, (std::vector<std::string>{"first@example.com", "second@example.org"}));
  EXPECT_EQ(m.Helo, HelloArgument(HostName(), "127.0.0.1"));

  const std::string& content = m.Content;
  EXPECT_EQ(content.rfind("From: <velloran@example.com>\r\n"
                          "To: first@example.com, second@example.org\r\n"
                          "Subject: Printer migration\r\n"
                          "Date: Mon, 07 Dec 2026 14:05:09 +0100\r\n",
                          0),
            0u)
      << content;
  EXPECT_EQ(HeaderValue(content, "Content-Type"), "text/plain; charset=us-ascii");
  EXPECT_EQ(HeaderValue(content, "Mime-Version"), "1.0");
  EXPECT_EQ(HeaderValue(content, "X-Mailer"), "Quellmark v1.0");
  std::string id = HeaderValue(content, "Message-ID");
  EXPECT_EQ(id.front(), '<');
  EXPECT_NE(id.find('@'), std::string::npos);
  size_t body = content.find("\r\n\r\n");
  ASSERT_NE(body, std::string::npos);
  // The terminator's own CR LF ends the last line.
  EXPECT_EQ(content.substr(body + 4), kBodyAsSent + "\r\n");

  EXPECT_TRUE(BackupFiles().empty());
  std::string debug = run.DebugText;
  EXPECT_NE(debug.find(">> Sending TO list: RCPT TO:<first@example.com>\r\n"
                       ">> Sending TO list: RCPT TO:<second@example.org>\r\n"
                       ">> Sending DATA start <<\r\n"),
            std::string::npos)
      << debug;
  EXPECT_TRUE(debug.ends_with(">> Sending QUIT <<\r\n")) << debug;
}

// A developer's own Python earlier on PATH (as pyenv puts it) must not
// become the recording server's installation: the system interpreter that
// has aiosmtpd would then look for its library there and not start.
TEST(RecordingSmtpServer, StartsWithAnotherPythonFirstOnPath) {
  test::TempDir other;
  auto version = test::RunProcess(
      "/usr/bin/python3", {"-c", "import sys; print('%d.%d' % sys.version_info[:2], end='')"});
  ASSERT_EQ(version.ExitCode, 0) << version.Stderr;
  fs::create_directories(other / "bin");
  fs::create_directories(other / ("lib/python" + version.Stdout));
  test::WriteFile(other / ("lib/python" + version.Stdout + "/os.py"), "");
  test::WriteFile(other / "bin/python3", "#!/bin/sh\n");
  fs::permissions(other / "bin/python3", fs::perms::owner_all);

  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  ::setenv("PATH", ((other / "bin").string() + ":" + saved).c_str(), 1);
  std::string failure;
  try {
    AiosmtpdServer server;
  } catch (const std::exception& e) {
    failure = e.what();
  }
  ::setenv("PATH", saved.c_str(), 1);
  EXPECT_EQ(failure, "");
}

TEST_F(Smtp, ADialogueThatSucceedsSendsExactlyTheseBytes) {
  ScriptedSmtpServer server(
      Answering({"220 mail ready\r\n", "250 hello\r\n", "250 sender ok\r\n", "250 recipient ok\r\n",
                 "354 go ahead\r\n", "250 queued\r\n"}));
  Send(server.Port());
  std::string received = server.Received();

  std::string hello = "HELO " + HelloArgument(HostName(), "127.0.0.1");
  size_t dataStart = received.find("DATA\r\n");
  ASSERT_NE(dataStart, std::string::npos) << received;
  std::string message = received.substr(dataStart + 6);
  std::string id = HeaderValue("\r\n" + message, "Message-ID");
  std::string expectedMessage = BuildMessageText(run.Settings, kOutcome, platform.Time.Time, id);
  EXPECT_EQ(received, hello +
                          "\r\nMAIL FROM:<velloran@example.com>\r\nRCPT TO:<admin@example.com>\r\n"
                          "DATA\r\n" +
                          expectedMessage + "\r\n.\r\nQUIT\r\n");
  EXPECT_NE(expectedMessage.find("\r\n..hidden line\r\n"), std::string::npos);

  EXPECT_EQ(run.DebugText, StartLine() +
                               ">> Connected to SMTP Server << \r\n"
                               ">> Sending HELLO: " +
                               hello +
                               "\r\n"
                               ">> Sending FROM list: MAIL FROM:<velloran@example.com>\r\n"
                               ">> Sending TO list: RCPT TO:<admin@example.com>\r\n"
                               ">> Sending DATA start <<\r\n"
                               ">> Sending DATA: " +
                               expectedMessage +
                               "\r\n"
                               ">> Sending QUIT <<\r\n");
  EXPECT_TRUE(BackupFiles().empty());
}

TEST_F(Smtp, MultiLineRepliesAndA251AreTakenWhole) {
  ScriptedSmtpServer server([](ScriptedConnection& c) {
    // The greeting comes in two pieces; HELO must wait for its last line.
    c.Send("220-mail.example.com\r\n");
    std::this_thread::sleep_for(100ms);
    c.Send("220 ready\r\n");
    c.ReadLine();
    c.Send("250-mail.example.com\r\n250 hello\r\n");
    c.ReadLine();
    c.Send("250 ok\r\n");
    c.ReadLine();
    c.Send("251 will forward\r\n");
    c.ReadLine();
    c.Send("354 go\r\n");
    c.ReadData();
    c.Send("250 queued\r\n");
  });
  Send(server.Port());
  std::string received = server.Received();
  EXPECT_NE(received.find("\r\n.\r\nQUIT\r\n"), std::string::npos) << received;
  EXPECT_TRUE(BackupFiles().empty());
}

TEST_F(Smtp, AGreetingOf421StopsBeforeHelloAndKeepsTheText) {
  ScriptedSmtpServer server(Answering({"421 too busy\r\n"}));
  Send(server.Port());
  EXPECT_EQ(server.Received(), "");
  auto files = BackupFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].filename(), "PC01_12.07.2026_14.05.09_EmailFailure.txt");
  EXPECT_EQ(test::ReadFile(files[0]), kOutcome + "\r\n");
  EXPECT_EQ(run.DebugText, StartLine() +
                               ">> Connected to SMTP Server << \r\n"
                               "ERROR: Sending SMTP email <<\r\nERROR: 0\r\nERROR DESCRIPTION: \r\n"
                               ">> Writing to back-up file: " +
                               files[0].string() + "\r\n");
}

TEST_F(Smtp, ARefusedRecipientSkipsDataAndQuit) {
  run.Settings.EmailTo = {"first@example.com", "gone@example.com"};
  ScriptedSmtpServer server(Answering(
      {"220 ready\r\n", "250 hello\r\n", "250 ok\r\n", "250 ok\r\n", "550 no such user\r\n"}));
  Send(server.Port());
  std::string received = server.Received();
  EXPECT_NE(received.find("RCPT TO:<gone@example.com>\r\n"), std::string::npos);
  EXPECT_EQ(received.find("DATA"), std::string::npos) << received;
  EXPECT_EQ(received.find("QUIT"), std::string::npos) << received;
  auto files = BackupFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].filename(), "PC01_12.07.2026_14.05.09_EmailFailure.txt");
  EXPECT_NE(run.DebugText.find("ERROR: Sending SMTP email <<\r\nERROR: 0\r\n"), std::string::npos);
}

TEST_F(Smtp, AServerThatNeverAnswersTimesOutAndKeepsTheText) {
  ScriptedSmtpServer server([](ScriptedConnection&) {});
  auto start = std::chrono::steady_clock::now();
  Send(server.Port());
  auto elapsed = std::chrono::steady_clock::now() - start;
  server.Received();
  // 30 ticks of 20 ms.
  EXPECT_GE(elapsed, 550ms);
  EXPECT_LT(elapsed, 10s);
  EXPECT_EQ(BackupFiles().size(), 1u);
  EXPECT_NE(run.DebugText.find(">> Connected to SMTP Server << \r\nERROR: Sending SMTP email <<"),
            std::string::npos);
}

TEST_F(Smtp, AConnectionClosedDuringAWaitFailsAtOnce) {
  ScriptedSmtpServer server([](ScriptedConnection& c) {
    c.Send("220 ready\r\n");
    c.ReadLine();
    c.Close();
  });
  run.SmtpTick = 1000ms;
  auto start = std::chrono::steady_clock::now();
  Send(server.Port());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(server.Received().rfind("HELO ", 0), 0u);
  EXPECT_EQ(BackupFiles().size(), 1u);
  EXPECT_EQ(run.DebugText.find("MAIL FROM"), std::string::npos);
}

TEST_F(Smtp, AServerThatClosesInTheMiddleOfTheMessageLeavesTheBackupFile) {
  ScriptedSmtpServer server([](ScriptedConnection& c) {
    c.Send("220 ready\r\n");
    for (const char* reply :
         {"250 hello\r\n", "250 sender ok\r\n", "250 rcpt ok\r\n", "354 go on\r\n"}) {
      c.ReadLine();
      c.Send(reply);
    }
    c.ReadLine();  // the first header line, then the server goes away
    c.Close();
  });
  auto start = std::chrono::steady_clock::now();
  Send(server.Port());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_NE(server.Received().find("DATA\r\n"), std::string::npos);
  auto backups = BackupFiles();
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_NE(test::ReadFile(backups[0]).find(">> Removed \\\\OLDSRV\\LASER"), std::string::npos);
  EXPECT_EQ(run.DebugText.find(">> Sending QUIT"), std::string::npos) << run.DebugText;
}

// A server that cannot be reached loses the report as surely as one that
// refuses the message: the outcome goes to the back-up file, and the log says
// why the connection failed.
TEST_F(Smtp, ARefusedConnectionKeepsTheOutcomeInTheBackupFile) {
  int port = test::FreeLoopbackPort();
  Send(port);
  auto files = BackupFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].filename(), "PC01_12.07.2026_14.05.09_EmailFailure.txt");
  EXPECT_EQ(test::ReadFile(files[0]), kOutcome + "\r\n");
  EXPECT_EQ(run.DebugText.rfind(StartLine() + "ERROR: Connecting to SMTP server <<\r\nERROR: " +
                                    std::to_string(ECONNREFUSED) + "\r\n",
                                0),
            0u)
      << run.DebugText;
  EXPECT_NE(run.DebugText.find(">> Writing to back-up file: "), std::string::npos);
}

TEST_F(Smtp, AConnectionThatHangsEndsAfterThirtyTicksWithTheBackupFile) {
  // A listener whose accept queue is full drops further SYNs, so the next
  // connection attempt neither succeeds nor fails.
  int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(listener, 0), 0);
  socklen_t len = sizeof a;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
  std::vector<int> fillers;
  for (int i = 0; i < 4; ++i) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    fillers.push_back(fd);
  }
  std::this_thread::sleep_for(50ms);
  auto start = std::chrono::steady_clock::now();
  Send(ntohs(a.sin_port));
  auto elapsed = std::chrono::steady_clock::now() - start;
  for (int fd : fillers) ::close(fd);
  ::close(listener);
  EXPECT_GE(elapsed, 550ms);
  EXPECT_LT(elapsed, 10s);
  EXPECT_EQ(BackupFiles().size(), 1u);
  EXPECT_EQ(run.DebugText.rfind(StartLine() + "ERROR: Connecting to SMTP server <<\r\nERROR: " +
                                    std::to_string(ETIMEDOUT) + "\r\n",
                                0),
            0u)
      << run.DebugText;
}

TEST_F(Smtp, AHostThatCannotBeResolvedIsLoggedAndTheOtherChannelsRun) {
  run.Settings.SMTPServerNameOrIP = "no-such-host.invalid";
  run.Settings.ServerPort = "25";
  run.Settings.UseFileOutput = true;
  run.Settings.FileOutputPath = folder.str();
  run.Settings.FileOutputName = "outcome.txt";
  run.Settings.WriteToEventLog = true;
  SendNotifications(run);
  EXPECT_NE(run.DebugText.find("server (port): no-such-host.invalid(25)\r\n"
                               "ERROR: Connecting to SMTP server <<\r\nERROR: "),
            std::string::npos)
      << run.DebugText;
  EXPECT_EQ(test::ReadFile(folder / "outcome.txt"), kOutcome + "\r\n");
  EXPECT_EQ(platform.Events.Events.size(), 1u);
  EXPECT_TRUE(fs::exists(folder / "PC01_12.07.2026_14.05.09_EmailFailure.txt"));
}

TEST_F(Smtp, ABackupFileThatCannotBeWrittenIsLogged) {
  run.EngineFolder = (folder / "missing").string();
  ScriptedSmtpServer server(Answering({"554 go away\r\n"}));
  Send(server.Port());
  server.Received();
  std::string path = (folder / "missing/PC01_12.07.2026_14.05.09_EmailFailure.txt").string();
  EXPECT_NE(run.DebugText.find(">> Writing to back-up file: " + path +
                               "\r\nERROR: Saving email failure file <<\r\nERROR: 2\r\n"
                               "ERROR DESCRIPTION: No such file or directory\r\n"),
            std::string::npos)
      << run.DebugText;
}

}  // namespace
}  // namespace velloran
