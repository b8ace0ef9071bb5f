#pragma once
// SMTP servers for the mail tests: Debian's aiosmtpd as a real server, and a
// scripted one that answers exactly as a test says and records every byte.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/support/Fakes.h"
#include "tests/support/Loopback.h"

namespace velloran::test {

/// aiosmtpd under /usr/bin/python3 on a free loopback port, recording each
/// accepted message with its envelope. Stopped by its PID.
class AiosmtpdServer {
 public:
  struct Message {
    std::string MailFrom, Helo;
    std::vector<std::string> RcptTos;
    /// The message as received, transparency dots removed.
    std::string Content;
  };

  AiosmtpdServer();
  ~AiosmtpdServer();
  AiosmtpdServer(const AiosmtpdServer&) = delete;
  AiosmtpdServer& operator=(const AiosmtpdServer&) = delete;

  int Port() const { return port_; }
  /// The messages accepted so far, in order.
  std::vector<Message> Messages() const;
  /// Waits until `count` messages have arrived or `timeout` passed.
  std::vector<Message> WaitForMessages(
      size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

 private:
  bool Start();
  void Stop();
  TempDir dir_;
  int port_ = 0;
  pid_t pid_ = -1;
};

/// One accepted connection of a ScriptedSmtpServer.
class ScriptedConnection {
 public:
  void Send(std::string_view text);
  /// The next line with its CR LF, or what came before the client closed.
  std::string ReadLine();
  /// The DATA text up to and including "\r\n.\r\n".
  std::string ReadData();
  /// Hangs up.
  void Close();

 private:
  friend class ScriptedSmtpServer;
  std::string ReadUntil(std::string_view terminator);
  bool Fill();
  int fd_ = -1;
  std::string pending_;
  std::string* received_ = nullptr;
  std::mutex* mutex_ = nullptr;
};

/// Accepts one connection and runs the script on it; afterwards it keeps
/// reading until the client hangs up, so Received() holds every byte sent.
class ScriptedSmtpServer {
 public:
  using Script = std::function<void(ScriptedConnection&)>;
  explicit ScriptedSmtpServer(Script script);
  ~ScriptedSmtpServer();
  int Port() const { return port_; }
  /// Waits for the connection to end and returns everything received.
  std::string Received();
  /// Whether a client connected at all.
  bool Accepted();

 private:
  void Serve();
  Script script_;
  int listenFd_ = -1;
  int port_ = 0;
  bool accepted_ = false;
  std::string received_;
  std::mutex mutex_;
  std::thread thread_;
};

}  // namespace velloran::test
