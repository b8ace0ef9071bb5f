#pragma once
// What a print server offers: the seam between the target check and the
// protocols that ask servers (SMB share lists, IPP queue attributes, the
// Windows share and printer calls). Tests use an in-memory lister.

#include <chrono>
#include <string>
#include <vector>

namespace velloran::check {

enum class ShareKind { Printer, Disk, Other };

struct Share {
  std::string Name;
  ShareKind Kind = ShareKind::Printer;
  /// The queue's driver, where the protocol tells it (Windows); empty
  /// otherwise.
  std::string Driver;
  /// The driver is not installed on this computer: a user who is not an
  /// administrator cannot connect to the queue until it is.
  bool DriverMissing = false;
};

/// Everything the targets on one server need to know, asked at once.
struct ServerQuestion {
  /// As the INI file holds it: a name or an address.
  std::string Server;
  /// Shares that targets name on this server.
  std::vector<std::string> Shares;
  /// Every printer share of the server is needed (a servers pair compares
  /// the old server's list with the new one's).
  bool WholeList = false;
};

enum class ServerState {
  Answered,
  Unreachable,
  AccessDenied,
  /// The server answered but cannot tell what was asked (an IPP server
  /// that lists no queues).
  NotCheckable,
};

struct ServerAnswer {
  ServerState State = ServerState::Unreachable;
  /// Why the server could not be asked, in words.
  std::string Detail;
  /// What the server offers: its whole list when `WholeList`, else at least
  /// each asked share it has.
  std::vector<Share> Shares;
  bool WholeList = false;
  /// Asked shares the server would not describe to us.
  std::vector<std::string> Denied;
  /// The server said nothing before the deadline: the check words every
  /// time-out alike, with its length.
  bool TimedOut = false;
};

using Clock = std::chrono::steady_clock;

class ShareLister {
 public:
  virtual ~ShareLister() = default;
  /// Asks one server. Called on a thread of its own, several servers at
  /// once. It should give up by `deadline`; the check stops waiting then
  /// anyway and drops a later answer, so an implementation must own what it
  /// touches.
  virtual ServerAnswer Ask(const ServerQuestion& question, Clock::time_point deadline) = 0;
};

}  // namespace velloran::check
