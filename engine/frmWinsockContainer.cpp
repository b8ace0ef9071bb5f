#include "engine/frmWinsockContainer.h"

#include <array>
#include <asio.hpp>
#include <cctype>
#include <cerrno>
#include <utility>

#include "common/PortNumber.h"
#include "engine/ComputerName.h"
#include "engine/modDebug.h"
#include "engine/modNotification.h"
#include "engine/modSMTP.h"
#include "platform/AppendFile.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"

namespace velloran {

struct frmWinsockContainer::Io {
  asio::io_context context;
  asio::ip::tcp::socket socket{context};
  asio::steady_timer timer{context};
  std::array<char, 4096> readBuffer{};
};

namespace {

PlatformError FromAsio(const asio::error_code& ec) {
  return PlatformError{static_cast<int32_t>(ec.value()), ec.message()};
}

// A name a server can take after HELO: letters, digits, hyphens and dots,
// with at least one letter so that a dotted address is not taken for one.
bool IsDomainName(std::string_view name) {
  if (name.empty() || name.size() > 253 || name.front() == '.' || name.back() == '.' ||
      name.front() == '-')
    return false;
  bool letter = false;
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    if (std::isalpha(u))
      letter = true;
    else if (!std::isdigit(u) && c != '-' && c != '.')
      return false;
  }
  return letter;
}

}  // namespace

int ReplyCode(std::string_view reply) {
  std::string_view word = reply.substr(0, reply.find(' '));
  int code = 0;
  // More digits than any reply code has cannot match one; stop before overflow.
  for (size_t i = 0; i < word.size() && i < 9; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(word[i]))) break;
    code = code * 10 + (word[i] - '0');
  }
  return code;
}

bool IsCompleteReply(std::string_view buffer) {
  if (buffer.size() < 2 || buffer.substr(buffer.size() - 2) != "\r\n") return false;
  std::string_view body = buffer.substr(0, buffer.size() - 2);
  size_t start = body.rfind("\r\n");
  std::string_view last = start == std::string_view::npos ? body : body.substr(start + 2);
  // "250-first line" announces more lines of the same reply.
  bool continuation = last.size() >= 4 && std::isdigit(static_cast<unsigned char>(last[0])) &&
                      std::isdigit(static_cast<unsigned char>(last[1])) &&
                      std::isdigit(static_cast<unsigned char>(last[2])) && last[3] == '-';
  return !continuation;
}

// ---- timMain ---------------------------------------------------------------

void frmWinsockContainer::TimerControl::Enabled(bool on) {
  ++generation_;
  form_.io_->timer.cancel();
  enabled_ = on;
  if (on) Arm();
}

void frmWinsockContainer::TimerControl::Arm() {
  unsigned generation = generation_;
  form_.io_->timer.expires_after(form_.tick_);
  form_.io_->timer.async_wait([this, generation](const asio::error_code& ec) {
    if (ec || generation != generation_ || !enabled_) return;
    Arm();
    form_.timMain_Timer();
  });
}

// ---- wnsMain ---------------------------------------------------------------

Status frmWinsockContainer::WinsockControl::Connect(const std::string& host,
                                                    const std::string& port) {
  if (state_ != sckClosed) return ErrnoError(EISCONN);
  const auto portNumber = ParsePortNumber(port);
  if (!portNumber)
    return PlatformError{EINVAL, "The port \"" + port + "\" is not a number from 1 to 65535."};
  // An empty name would make the resolver pick this machine.
  if (host.empty()) return FromAsio(asio::error::host_not_found);

  asio::ip::tcp::resolver resolver(form_.io_->context);
  asio::error_code ec;
  auto endpoints = resolver.resolve(host, port, asio::ip::resolver_base::numeric_service, ec);
  if (ec) return FromAsio(ec);

  state_ = sckConnecting;
  unsigned generation = ++generation_;
  asio::async_connect(
      form_.io_->socket, endpoints,
      [this, generation](const asio::error_code& error, const asio::ip::tcp::endpoint&) {
        if (generation != generation_) return;
        if (error) {
          state_ = sckError;
          form_.wnsMain_Error(FromAsio(error));
          return;
        }
        state_ = sckConnected;
        StartReading();
        // The dialogue waits for replies, so it must not run
        // inside this handler: the pump delivers it.
        form_.connectPending_ = true;
      });
  return Status::Ok();
}

void frmWinsockContainer::WinsockControl::StartReading() {
  unsigned generation = generation_;
  auto& io = *form_.io_;
  io.socket.async_read_some(asio::buffer(io.readBuffer),
                            [this, generation](const asio::error_code& ec, size_t n) {
                              if (generation != generation_) return;
                              if (n > 0) {
                                arrived_.append(form_.io_->readBuffer.data(), n);
                                form_.wnsMain_DataArrival(n);
                                if (generation != generation_) return;
                              }
                              if (ec == asio::error::eof) {
                                // The server hung up: there is nothing left to wait for.
                                Close();
                                return;
                              }
                              if (ec) {
                                state_ = sckError;
                                form_.wnsMain_Error(FromAsio(ec));
                                return;
                              }
                              StartReading();
                            });
}

Status frmWinsockContainer::WinsockControl::SendData(std::string_view data) {
  if (state_ != sckConnected) return ErrnoError(ENOTCONN);
  struct Pending {
    std::string data;
    bool done = false;
    asio::error_code ec;
  };
  // The handler may outlive this call when the socket closes meanwhile.
  auto pending = std::make_shared<Pending>();
  pending->data.assign(data);
  unsigned generation = generation_;
  asio::async_write(form_.io_->socket, asio::buffer(pending->data),
                    [pending](const asio::error_code& ec, size_t) {
                      pending->done = true;
                      pending->ec = ec;
                    });
  while (!pending->done && state_ == sckConnected) {
    if (!form_.WaitForEvents()) break;
  }
  if (!pending->done) return ErrnoError(ENOTCONN);
  if (pending->ec) {
    PlatformError error = FromAsio(pending->ec);
    if (generation == generation_) {
      state_ = sckError;
      form_.wnsMain_Error(error);
    }
    return error;
  }
  return Status::Ok();
}

std::string frmWinsockContainer::WinsockControl::GetData() { return std::exchange(arrived_, {}); }

void frmWinsockContainer::WinsockControl::Close() {
  ++generation_;
  asio::error_code ignored;
  form_.io_->socket.close(ignored);
  state_ = sckClosed;
}

std::string frmWinsockContainer::WinsockControl::LocalHostName() const {
  asio::error_code ec;
  std::string name = asio::ip::host_name(ec);
  return ec ? std::string() : name;
}

std::string frmWinsockContainer::WinsockControl::LocalIP() const {
  asio::error_code ec;
  auto endpoint = form_.io_->socket.local_endpoint(ec);
  return ec ? std::string() : endpoint.address().to_string();
}

// ---- the window ------------------------------------------------------------

frmWinsockContainer::frmWinsockContainer(Run& run, std::chrono::milliseconds tickLength)
    : timMain(*this), wnsMain(*this), run_(run), tick_(tickLength), io_(std::make_unique<Io>()) {
  timMain.Enabled(true);
}

frmWinsockContainer::~frmWinsockContainer() = default;

void frmWinsockContainer::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  wnsMain.Close();
  timMain.Enabled(false);
}

void frmWinsockContainer::DoEvents() {
  if (io_->context.stopped()) io_->context.restart();
  io_->context.poll();
  if (connectPending_ && loaded_) {
    connectPending_ = false;
    wnsMain_Connect();
  }
}

bool frmWinsockContainer::WaitForEvents() {
  if (io_->context.stopped()) io_->context.restart();
  bool ran = io_->context.run_one() > 0;
  bool connect = connectPending_;
  DoEvents();
  return ran || connect;
}

std::string HelloArgument(std::string_view hostName, std::string_view localAddress) {
  if (IsDomainName(hostName)) return std::string(hostName);
  if (localAddress.find(':') != std::string_view::npos)
    return "[IPv6:" + std::string(localAddress) + "]";
  return "[" + std::string(localAddress) + "]";
}

std::string frmWinsockContainer::HelloName() const {
  return HelloArgument(wnsMain.LocalHostName(), wnsMain.LocalIP());
}

void frmWinsockContainer::timMain_Timer() {
  ++TickCount;
  if (TickCount >= 30) {
    wnsMain.Close();
    timMain.Enabled(false);
    // Inside the dialogue the running wait sees the closed socket and its
    // failure path saves the text; before it, the connection never came.
    if (!inDialogue_) {
      ConnectFailed(PlatformError{ETIMEDOUT, "The connection to the SMTP server timed out."});
      return;
    }
    Unload();
  }
}

void frmWinsockContainer::wnsMain_DataArrival(size_t) {
  ReplyBuffer += wnsMain.GetData();
  if (IsCompleteReply(ReplyBuffer)) ReplyComplete = true;
}

void frmWinsockContainer::wnsMain_Error(const PlatformError& error) {
  if (inDialogue_) LastError = error;
  timMain.Enabled(false);
  wnsMain.Close();
  // Inside the dialogue the running wait sees the closed socket and the
  // failure path saves the text; before it the connection was refused.
  if (!inDialogue_) ConnectFailed(error);
}

void frmWinsockContainer::ConnectFailed(const PlatformError& error) {
  if (!loaded_) return;
  // The mail is the one report an administrator may be counting on, and a
  // server that cannot be reached loses it as surely as one that refuses
  // the message: the outcome goes to the back-up file either way.
  WriteErrorToDebugLog(run_, "ERROR: Connecting to SMTP server <<", error);
  WriteBackupFile();
  Unload();
}

void frmWinsockContainer::WaitForReply(int16_t code, int16_t alsoAccepted) {
  TickCount = 0;
  timMain.Enabled(true);
  while (!ReplyComplete) {
    if (wnsMain.State() == WinsockControl::sckClosed) {
      SendFailed = true;
      break;
    }
    if (!WaitForEvents()) {
      SendFailed = true;
      break;
    }
  }
  timMain.Enabled(false);
  std::string reply = std::exchange(ReplyBuffer, {});
  ReplyComplete = false;
  int received = ReplyCode(reply);
  if (received != code && (alsoAccepted == 0 || received != alsoAccepted)) {
    wnsMain.Close();
    SendFailed = true;
  }
}

void frmWinsockContainer::SendCommand(const std::string& command) {
  if (Status sent = wnsMain.SendData(command); !sent.ok()) LastError = sent.error();
  DoEvents();
}

void frmWinsockContainer::wnsMain_Connect() {
  inDialogue_ = true;
  const INISettings& s = run_.Settings;

  WriteToDebugLog(run_, ">> Connected to SMTP Server << ");
  WaitForReply(220);

  if (!SendFailed) {
    std::string command = "HELO " + HelloName();
    WriteToDebugLog(run_, ">> Sending HELLO: " + command);
    SendCommand(command + "\r\n");
    WaitForReply(250);
  }
  if (!SendFailed) {
    std::string command = "MAIL FROM:<" + OneLine(s.EmailFrom) + ">";
    WriteToDebugLog(run_, ">> Sending FROM list: " + command);
    SendCommand(command + "\r\n");
    WaitForReply(250);
  }
  // One RCPT per address: servers refuse a joined "<a;b>" path outright.
  // Without any address the empty path goes out and is refused, which keeps
  // the outcome in the back-up file.
  std::vector<std::string> recipients = RecipientAddresses(s);
  if (recipients.empty()) recipients.emplace_back();
  for (const auto& address : recipients) {
    if (SendFailed) break;
    std::string command = "RCPT TO:<" + OneLine(address) + ">";
    WriteToDebugLog(run_, ">> Sending TO list: " + command);
    SendCommand(command + "\r\n");
    WaitForReply(250, 251);
  }
  if (!SendFailed) {
    WriteToDebugLog(run_, ">> Sending DATA start <<");
    SendCommand("DATA\r\n");
    WaitForReply(354);
  }
  if (!SendFailed) {
    LocalTime now = run_.Svc.Time->Now();
    // An address literal is a valid right-hand side of a Message-ID too.
    std::string message =
        BuildMessageText(s, run_.OutcomeText, now, NewMessageId(now, HelloName()));
    WriteToDebugLog(run_, ">> Sending DATA: " + message);
    SendCommand(message);
    SendCommand("\r\n.\r\n");
    WaitForReply(250);
  }
  if (!SendFailed) {
    WriteToDebugLog(run_, ">> Sending QUIT <<");
    SendCommand("QUIT\r\n");
    wnsMain.Close();
  }

  if (SendFailed) SaveBackupFile();
  inDialogue_ = false;
  Unload();
}

void frmWinsockContainer::SaveBackupFile() {
  WriteErrorToDebugLog(run_, "ERROR: Sending SMTP email <<", LastError);
  WriteBackupFile();
}

void frmWinsockContainer::WriteBackupFile() {
  LocalTime now = run_.Svc.Time->Now();
  std::string path =
      JoinPath(run_.OwnFilesFolder(),
               GetClientComputerName(run_) + "_" + BackupFileTimestamp(now) + "_EmailFailure.txt");
  WriteToDebugLog(run_, ">> Writing to back-up file: " + path);
  Status saved = AppendBlockToFile(path, Utf8ToAnsi(run_.OutcomeText + "\r\n"));
  if (CountsAsError(saved)) {
    WriteErrorToDebugLog(run_, "ERROR: Saving email failure file <<", saved.error());
  }
}

}  // namespace velloran
