#pragma once
// LDAP servers that fail the way real ones do on a bad day, which slapd
// cannot be made to do: one that takes connections and never answers, one
// that will not (or only seemingly) speak TLS, and a proxy in front of a
// real server that cuts the connection part-way through an answer. Each
// listens on a free loopback port and runs on a thread of the test until
// destroyed.

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velloran::test {

/// Accepts every connection and holds it open without reading or writing.
class SilentLdapServer {
 public:
  SilentLdapServer();
  ~SilentLdapServer();
  SilentLdapServer(const SilentLdapServer&) = delete;
  SilentLdapServer& operator=(const SilentLdapServer&) = delete;

  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  /// Connections accepted so far.
  int Accepted() const { return accepted_; }

 private:
  void Serve();
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepted_{0};
  std::vector<int> held_;
  std::thread thread_;
};

/// Speaks just enough LDAP to be asked for StartTLS, and either declines it
/// (as a server without a certificate, or a man in the middle, does) or
/// agrees and then says nothing more, so that the handshake never ends.
/// Binds it is sent are refused; everything clients send is kept.
class NoTlsLdapServer {
 public:
  enum class StartTls { Decline, AgreeThenHang };
  explicit NoTlsLdapServer(StartTls answer);
  ~NoTlsLdapServer();
  NoTlsLdapServer(const NoTlsLdapServer&) = delete;
  NoTlsLdapServer& operator=(const NoTlsLdapServer&) = delete;

  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  /// Bind requests received so far.
  int Binds() const { return binds_; }
  /// Every byte clients sent, all connections together.
  std::string Received() const;

 private:
  void Serve();
  void Talk(int client);
  int listener_ = -1;
  int port_ = 0;
  StartTls answer_;
  std::atomic<bool> stop_{false};
  std::atomic<int> binds_{0};
  mutable std::mutex mutex_;
  std::string received_;
  std::vector<std::thread> talks_;
  std::thread thread_;
};

/// Forwards connections to `upstreamPort` on 127.0.0.1 and closes both sides
/// once the server has sent `entries` search result entries (in all, on
/// that connection) and then finished a search, that is, at the end of the
/// page that holds the entries; or, with `bytes` set instead, in the middle
/// of the answer, after that many bytes from the server.
class CuttingLdapProxy {
 public:
  struct Cut {
    size_t Entries = 0;
    size_t Bytes = 0;
  };
  CuttingLdapProxy(int upstreamPort, Cut cut);
  ~CuttingLdapProxy();
  CuttingLdapProxy(const CuttingLdapProxy&) = delete;
  CuttingLdapProxy& operator=(const CuttingLdapProxy&) = delete;

  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  /// Connections cut so far.
  int Cuts() const { return cuts_; }

 private:
  void Serve();
  void Relay(int client);
  int listener_ = -1;
  int port_ = 0;
  int upstream_;
  Cut cut_;
  std::atomic<bool> stop_{false};
  std::atomic<int> cuts_{0};
  std::vector<std::thread> relays_;
  std::thread thread_;
};

}  // namespace velloran::test
