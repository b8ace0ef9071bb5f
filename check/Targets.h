#pragma once
// Which queues a migration's pairs need on the new servers, and how the
// servers' answers decide each one.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "check/ShareLister.h"
#include "common/INISettings.h"

namespace velloran::check {

enum class PairKind { Servers, Printers, Mixed };

enum class TargetStatus { Found, Missing, NotAPrinter, Unreachable, AccessDenied, NotCheckable };

/// One queue a client will connect to, or a new server as a whole where the
/// queues it must offer cannot be known.
struct Target {
  PairKind Kind = PairKind::Servers;
  /// Position of the pair in its section, from 1.
  int Pair = 0;
  /// The pair as written: server names (servers), printer names
  /// (printers), "\\SERVER\PRINTER" (mixed).
  std::string From, To;
  /// Empty when no server can be named (a printers pair without servers).
  std::string Server;
  /// Empty when the target is the server as a whole.
  std::string Share;
  TargetStatus Status = TargetStatus::NotCheckable;
  std::string Detail;
  /// The found queue's driver, where the server tells it (Windows).
  std::string Driver;
  /// That driver is not installed on this computer.
  bool DriverMissing = false;

  /// "\\SERVER\SHARE", "\\SERVER", or "SHARE" alone without a server.
  std::string Path() const;
};

/// "servers", "printers", "mixed".
std::string_view KindName(PairKind kind);
/// "found", "missing", "not a printer", "server unreachable", "access
/// denied", "not checkable".
std::string_view StatusName(TargetStatus status);
/// "servers 2: OLD -> NEW".
std::string PairLabel(const Target& target);

/// The servers to ask for the pairs of `settings`, each once (names compare
/// without regard to case), in the order the pairs name them. Printers pairs
/// are asked of `printerServers`; without them they ask nothing.
std::vector<ServerQuestion> PlanQuestions(const INISettings& settings,
                                          const std::vector<std::string>& printerServers);

/// The answer for a server named in a question, or null when it has none.
using AnswerFor = std::function<const ServerAnswer*(std::string_view server)>;

/// The drivers that found queues need and this computer lacks, each once,
/// in the order of the targets: what to install before the first logon.
std::vector<std::string> DriversToInstall(const std::vector<Target>& targets);

/// Every target of the pairs, in section order (servers, printers, mixed)
/// and pair order, each decided by its server's answer.
std::vector<Target> DecideTargets(const INISettings& settings,
                                  const std::vector<std::string>& printerServers,
                                  const AnswerFor& answers);

}  // namespace velloran::check
