#include "tests/support/FaultyLdap.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace velloran::test {

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

// A listening socket on a port the kernel picks, so that parallel test
// runs never meet.
int Listen(int* port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = Loopback(0);
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 16) != 0)
    throw std::runtime_error("cannot listen on loopback");
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  *port = ntohs(a.sin_port);
  return fd;
}

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

constexpr unsigned char kSearchResultEntry = 0x64;  // [APPLICATION 4]
constexpr unsigned char kSearchResultDone = 0x65;   // [APPLICATION 5]

}  // namespace

SilentLdapServer::SilentLdapServer() {
  listener_ = Listen(&port_);
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

CuttingLdapProxy::CuttingLdapProxy(int upstreamPort, Cut cut) : upstream_(upstreamPort), cut_(cut) {
  listener_ = Listen(&port_);
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
  sockaddr_in a = Loopback(upstream_);
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
