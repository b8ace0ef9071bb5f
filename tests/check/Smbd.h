#pragma once
// Standalone Samba file and print servers on loopback addresses of their
// own, guest access, and addresses that refuse or swallow connections: the
// print servers the target check asks.

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/Fakes.h"

namespace velloran::test {

/// A loopback address (127.x.y.z) on which nothing listens on port 445,
/// different for each call and each test process.
std::string FreeSmbAddress();

class Smbd {
 public:
  /// Serves `printers` (printable shares whose jobs are thrown away) and
  /// `disks` on `address`, port 445 only, to guests unless `guests` is
  /// false (then it refuses every logon of ours). Needs root for the port.
  Smbd(const std::string& address, const std::vector<std::string>& printers,
       const std::vector<std::string>& disks, bool guests = true);
  ~Smbd();
  Smbd(const Smbd&) = delete;
  Smbd& operator=(const Smbd&) = delete;

  const std::string& Address() const { return address_; }
  std::string Log() const;

 private:
  void Stop();

  TempDir dir_;
  std::string address_;
  pid_t pid_ = -1;
};

/// Takes connections on ADDRESS:445 and never says a word.
class SilentServer {
 public:
  explicit SilentServer(const std::string& address);
  ~SilentServer();
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace velloran::test
