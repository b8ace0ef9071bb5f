#pragma once
// Private CUPS schedulers on loopback for the printer tests: print servers
// that share queues, and a client scheduler whose queues point at them.

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/EngineProcess.h"
#include "tests/support/Fakes.h"
#include "tests/support/Loopback.h"

namespace velloran::test {

/// A port that is free on every one of the loopback addresses.
int FreePortOn(const std::vector<std::string>& addresses);

class Cupsd {
 public:
  /// A print server on ADDRESS:PORT: anyone may print and administer.
  Cupsd(const std::string& address, int port);
  /// A workstation's scheduler on a Unix socket in its folder: creating and
  /// deleting queues is for root and the lpadmin group, as on a real client.
  Cupsd();

  ~Cupsd();
  Cupsd(const Cupsd&) = delete;
  Cupsd& operator=(const Cupsd&) = delete;

  /// What CUPS_SERVER (or lpadmin -h) names: "ADDRESS:PORT" or the socket.
  const std::string& Address() const { return address_; }
  std::string Folder() const { return dir_.str(); }
  /// The environment that points CUPS's own programs at this scheduler.
  std::map<std::string, std::string> Env() const { return {{"CUPS_SERVER", address_}}; }

  /// Runs lpadmin, lpstat, lp, ... against this scheduler; throws when it fails.
  std::string Command(const std::string& program, const std::vector<std::string>& args) const;
  /// A raw queue on /dev/null with a generic driver, shared.
  void AddSharedQueue(const std::string& name) const;
  /// A queue of this (client) scheduler, made the way an administrator would.
  void AddQueue(const std::string& name, const std::string& deviceUri, bool driverless) const;
  /// Queue name -> device URI, as lpstat -v tells it.
  std::map<std::string, std::string> Devices() const;
  /// Completed jobs of a queue, one line each (lpstat -W completed -o).
  std::string CompletedJobs(const std::string& queue) const;
  std::string ErrorLog() const;

 private:
  void Start();
  void Stop();

  TempDir dir_;
  std::string address_;
  bool open_ = false;
  pid_t pid_ = -1;
};

/// A CUPS program's full path (lpadmin, lpstat, lp, cupsd); throws naming
/// the Debian package when it is missing.
std::string CupsProgram(const std::string& name);

}  // namespace velloran::test
