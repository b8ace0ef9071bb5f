#include "tests/support/SmtpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "tests/support/EngineProcess.h"

namespace velloran::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Connects and reads the greeting: the server is up once it says 220.
bool Greets(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = LoopbackAddress(port);
  bool ok = false;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
    pollfd p{fd, POLLIN, 0};
    char buf[64] = {};
    if (::poll(&p, 1, 2000) == 1 && ::recv(fd, buf, sizeof buf - 1, 0) >= 3)
      ok = std::string_view(buf).substr(0, 3) == "220";
    ::send(fd, "QUIT\r\n", 6, MSG_NOSIGNAL);
  }
  ::close(fd);
  return ok;
}

// Every accepted message becomes one file: envelope lines, an empty line,
// then the content as received.
constexpr const char* kRecorder = R"(import os

class Recorder:
    def __init__(self, outdir):
        self.outdir = outdir
        self.count = 0

    @classmethod
    def from_cli(cls, parser, *args):
        return cls(*args)

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.outdir, "%06d" % self.count)
        head = "FROM %s\nHELO %s\n" % (envelope.mail_from, session.host_name)
        head += "".join("RCPT %s\n" % r for r in envelope.rcpt_tos)
        with open(base + ".tmp", "wb") as f:
            f.write(head.encode("utf-8", "surrogateescape") + b"\n" + envelope.original_content)
        os.rename(base + ".tmp", base + ".msg")
        return "250 Message accepted for delivery"
)";

}  // namespace

// ---- aiosmtpd -------------------------------------------------------------

AiosmtpdServer::AiosmtpdServer() {
  fs::create_directories(dir_ / "mail");
  WriteFile(dir_ / "velloran_recorder.py", kRecorder);
  // Another test run may take the port between the probe and the bind.
  for (int attempt = 0; attempt < 5; ++attempt)
    if (Start()) return;
  throw std::runtime_error("aiosmtpd did not start; see " + (dir_ / "server.log").string());
}

AiosmtpdServer::~AiosmtpdServer() { Stop(); }

bool AiosmtpdServer::Start() {
  port_ = FreeLoopbackPort();
  const std::string listen = "127.0.0.1:" + std::to_string(port_);
  const std::string mail = (dir_ / "mail").string();
  const std::string log = (dir_ / "server.log").string();
  // Debian's aiosmtpd belongs to the system's interpreter, whatever else
  // comes first on PATH.
  pid_ = StartServer(
      {.Program = "/usr/bin/python3",
       .Args = {"-m", "aiosmtpd", "-n", "-l", listen, "-c", "velloran_recorder.Recorder", mail},
       .Log = log,
       .AppendToLog = true,
       .Env = {{"PYTHONPATH", dir_.str()}}});
  if (WaitForServer(pid_, 15s, 50ms, [this] { return Greets(port_); })) return true;
  Stop();
  return false;
}

void AiosmtpdServer::Stop() { StopProcess(pid_, 2s); }

std::vector<AiosmtpdServer::Message> AiosmtpdServer::Messages() const {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir_ / "mail"))
    if (e.path().extension() == ".msg") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  std::vector<Message> out;
  for (const auto& f : files) {
    std::string raw = ReadFile(f);
    size_t blank = raw.find("\n\n");
    Message m;
    std::istringstream head(raw.substr(0, blank));
    for (std::string line; std::getline(head, line);) {
      if (line.rfind("FROM ", 0) == 0) m.MailFrom = line.substr(5);
      if (line.rfind("HELO ", 0) == 0) m.Helo = line.substr(5);
      if (line.rfind("RCPT ", 0) == 0) m.RcptTos.push_back(line.substr(5));
    }
    m.Content = blank == std::string::npos ? "" : raw.substr(blank + 2);
    out.push_back(std::move(m));
  }
  return out;
}

std::vector<AiosmtpdServer::Message> AiosmtpdServer::WaitForMessages(
    size_t count, std::chrono::milliseconds timeout) const {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    auto messages = Messages();
    if (messages.size() >= count || std::chrono::steady_clock::now() >= deadline) return messages;
    std::this_thread::sleep_for(20ms);
  }
}

// ---- scripted server -------------------------------------------------------

void ScriptedConnection::Send(std::string_view text) {
  if (fd_ >= 0) ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL);
}

bool ScriptedConnection::Fill() {
  if (fd_ < 0) return false;
  pollfd p{fd_, POLLIN, 0};
  // A client that neither sends nor hangs up within this long is stuck.
  if (::poll(&p, 1, 20000) != 1) return false;
  char buf[4096];
  ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
  if (n <= 0) return false;
  pending_.append(buf, static_cast<size_t>(n));
  std::lock_guard<std::mutex> lock(*mutex_);
  received_->append(buf, static_cast<size_t>(n));
  return true;
}

std::string ScriptedConnection::ReadUntil(std::string_view terminator) {
  for (;;) {
    size_t at = pending_.find(terminator);
    if (at != std::string::npos) {
      std::string out = pending_.substr(0, at + terminator.size());
      pending_.erase(0, at + terminator.size());
      return out;
    }
    if (!Fill()) return std::exchange(pending_, {});
  }
}

std::string ScriptedConnection::ReadLine() { return ReadUntil("\r\n"); }
std::string ScriptedConnection::ReadData() { return ReadUntil("\r\n.\r\n"); }

void ScriptedConnection::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

ScriptedSmtpServer::ScriptedSmtpServer(Script script) : script_(std::move(script)) {
  listenFd_ = ListenOnLoopback(&port_, 4);
  thread_ = std::thread([this] { Serve(); });
}

ScriptedSmtpServer::~ScriptedSmtpServer() {
  if (thread_.joinable()) thread_.join();
  if (listenFd_ >= 0) ::close(listenFd_);
}

void ScriptedSmtpServer::Serve() {
  pollfd p{listenFd_, POLLIN, 0};
  if (::poll(&p, 1, 20000) != 1) return;
  int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    accepted_ = true;
  }
  ScriptedConnection c;
  c.fd_ = fd;
  c.received_ = &received_;
  c.mutex_ = &mutex_;
  script_(c);
  while (c.Fill()) c.pending_.clear();
  c.Close();
}

std::string ScriptedSmtpServer::Received() {
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

bool ScriptedSmtpServer::Accepted() {
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  return accepted_;
}

}  // namespace velloran::test
