#pragma once
// LDAP servers that fail the way real ones do on a bad day, which slapd
// cannot be made to do: one that takes connections and never answers, and
// a proxy in front of a real server that cuts the connection part-way
// through an answer. Both listen on a free loopback port and run on a
// thread of the test until destroyed.

#include <atomic>
#include <cstddef>
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
