#include "tests/support/FaultyLdap.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/support/Loopback.h"

namespace velloran::test {

namespace {

// Waits up to 100 ms for a connection; -1 when none came.
int AcceptSoon(int listener) {
  pollfd p{listener, POLLIN, 0};
  if (::poll(&p, 1, 100) != 1) return -1;
  return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The length of the first whole LDAP message in `buf` (a BER SEQUENCE) and
// the tag of its operation; 0 while the message is incomplete.
size_t WholeMessage(const std::string& buf, unsigned char* op) {
  if (buf.size() < 2) return 0;
  size_t header = 2, length = static_cast<unsigned char>(buf[1]);
  if (length & 0x80) {
    size_t bytes = length & 0x7f;
    if (buf.size() < 2 + bytes) return 0;
    length = 0;
    for (size_t i = 0; i < bytes; ++i)
      length = length << 8 | static_cast<unsigned char>(buf[2 + i]);
    header += bytes;
  }
  if (buf.size() < header + length) return 0;
  // messageID INTEGER, then the operation's application tag.
  size_t idLength = static_cast<unsigned char>(buf[header + 1]);
  *op = static_cast<unsigned char>(buf[header + 2 + idLength]);
  return header + length;
}

constexpr unsigned char kBindRequest = 0x60;        // [APPLICATION 0]
constexpr unsigned char kBindResponse = 0x61;       // [APPLICATION 1]
constexpr unsigned char kSearchResultEntry = 0x64;  // [APPLICATION 4]
constexpr unsigned char kSearchResultDone = 0x65;   // [APPLICATION 5]
constexpr unsigned char kExtendedRequest = 0x77;    // [APPLICATION 23]
constexpr unsigned char kExtendedResponse = 0x78;   // [APPLICATION 24]

// A BER length of at most 127 bytes, which every answer here is.
std::string Tlv(unsigned char tag, const std::string& value) {
  return std::string(1, static_cast<char>(tag)) + static_cast<char>(value.size()) + value;
}

// An LDAPResult answer to the request whose message ID (with its INTEGER
// header) is `id`.
std::string Answer(const std::string& id, unsigned char op, int resultCode,
                   const std::string& diagnostic) {
  const std::string result = Tlv(0x0a, std::string(1, static_cast<char>(resultCode))) +
                             Tlv(0x04, "") + Tlv(0x04, diagnostic);
  return Tlv(0x30, id + Tlv(op, result));
}

}  // namespace

SilentLdapServer::SilentLdapServer() {
  listener_ = ListenOnLoopback(&port_);
  thread_ = std::thread([this] { Serve(); });
}

SilentLdapServer::~SilentLdapServer() {
  stop_ = true;
  thread_.join();
  for (int fd : held_) ::close(fd);
  ::close(listener_);
}

void SilentLdapServer::Serve() {
  while (!stop_) {
    int fd = AcceptSoon(listener_);
    if (fd < 0) continue;
    held_.push_back(fd);
    ++accepted_;
  }
}

NoTlsLdapServer::NoTlsLdapServer(StartTls answer) : answer_(answer) {
  listener_ = ListenOnLoopback(&port_);
  thread_ = std::thread([this] { Serve(); });
}

NoTlsLdapServer::~NoTlsLdapServer() {
  stop_ = true;
  thread_.join();
  for (auto& talk : talks_) talk.join();
  ::close(listener_);
}

std::string NoTlsLdapServer::Received() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

void NoTlsLdapServer::Serve() {
  while (!stop_) {
    int fd = AcceptSoon(listener_);
    if (fd >= 0) talks_.emplace_back([this, fd] { Talk(fd); });
  }
}

void NoTlsLdapServer::Talk(int client) {
  std::string request;
  bool hanging = false;
  char buf[4096];
  while (!stop_) {
    pollfd p{client, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    ssize_t n = ::recv(client, buf, sizeof buf, 0);
    if (n <= 0) break;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      received_.append(buf, static_cast<size_t>(n));
    }
    if (hanging) continue;  // a TLS handshake that gets no answer
    request.append(buf, static_cast<size_t>(n));
    unsigned char op = 0;
    for (size_t whole; (whole = WholeMessage(request, &op)) > 0; request.erase(0, whole)) {
      const size_t header = static_cast<unsigned char>(request[1]) & 0x80
                                ? 2 + (static_cast<unsigned char>(request[1]) & 0x7f)
                                : 2;
      const std::string id =
          request.substr(header, 2 + static_cast<unsigned char>(request[header + 1]));
      std::string reply;
      if (op == kBindRequest) {
        ++binds_;
        reply = Answer(id, kBindResponse, 49, "refused by the test server");  // invalidCredentials
      } else if (op == kExtendedRequest && answer_ == StartTls::Decline) {
        reply = Answer(id, kExtendedResponse, 2, "unsupported extended operation");
      } else if (op == kExtendedRequest) {
        reply = Answer(id, kExtendedResponse, 0, "");
        hanging = true;
      }
      if (!reply.empty() && !SendAll(client, reply.data(), reply.size())) break;
    }
  }
  ::close(client);
}

CuttingLdapProxy::CuttingLdapProxy(int upstreamPort, Cut cut) : upstream_(upstreamPort), cut_(cut) {
  listener_ = ListenOnLoopback(&port_);
  thread_ = std::thread([this] { Serve(); });
}

CuttingLdapProxy::~CuttingLdapProxy() {
  stop_ = true;
  thread_.join();
  for (auto& relay : relays_) relay.join();
  ::close(listener_);
}

void CuttingLdapProxy::Serve() {
  while (!stop_) {
    int fd = AcceptSoon(listener_);
    if (fd >= 0) relays_.emplace_back([this, fd] { Relay(fd); });
  }
}

void CuttingLdapProxy::Relay(int client) {
  int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = LoopbackAddress(upstream_);
  if (::connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(server);
    ::close(client);
    return;
  }
  std::string answer;  // from the server, not yet passed on
  size_t sent = 0, entries = 0;
  bool cut = false;
  char buf[16384];
  while (!stop_ && !cut) {
    pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    if (::poll(p, 2, 100) <= 0) continue;
    if (p[0].revents) {
      ssize_t n = ::recv(client, buf, sizeof buf, 0);
      if (n <= 0 || !SendAll(server, buf, static_cast<size_t>(n))) break;
    }
    if (p[1].revents) {
      ssize_t n = ::recv(server, buf, sizeof buf, 0);
      if (n <= 0) break;
      answer.append(buf, static_cast<size_t>(n));
      if (cut_.Bytes > 0) {
        size_t pass = std::min(answer.size(), cut_.Bytes - sent);
        if (!SendAll(client, answer.data(), pass)) break;
        sent += pass;
        answer.erase(0, pass);
        cut = sent == cut_.Bytes;
        continue;
      }
      unsigned char op = 0;
      while (!cut) {
        size_t whole = WholeMessage(answer, &op);
        if (whole == 0) break;
        if (!SendAll(client, answer.data(), whole)) break;
        answer.erase(0, whole);
        if (op == kSearchResultEntry) ++entries;
        cut = op == kSearchResultDone && entries >= cut_.Entries;
      }
    }
  }
  if (cut) ++cuts_;
  ::close(server);
  ::close(client);
}

}  // namespace velloran::test
