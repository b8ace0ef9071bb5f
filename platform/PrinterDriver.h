#pragma once
// Printer drivers: which driver a target queue uses on its server, whether
// this client has it, and whether this user may install it. Today's Windows
// lets only administrators install a driver from a print server, and an add
// that needs one fails or waits on a prompt; the engine asks these questions
// before it removes the old connection, so that a move the driver would stop
// keeps the old connection and is tried again at a later logon.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Error.h"

namespace velloran {

/// The one driver protected print mode lets a queue use.
inline constexpr std::string_view kIppClassDriver = "Microsoft IPP Class Driver";

/// A driver as a server or a client names it.
struct PrinterDriver {
  std::string Name;
  /// The driver's version as the spooler packs it (four 16-bit parts, most
  /// significant first); 0 when it is not known, which no version is older than.
  uint64_t Version = 0;

  bool operator==(const PrinterDriver&) const = default;
};

/// What decides whether this user may install a server's driver.
struct DriverRules {
  /// The user (or this process) may install or update a driver from the server.
  bool UserMayInstall = true;
  /// Protected print mode is on: only queues on the IPP class driver can be added.
  bool ProtectedPrint = false;
  /// Where UserMayInstall is false, what said so (a policy value, "not
  /// elevated"), for the report.
  std::string Why;

  bool operator==(const DriverRules&) const = default;
};

/// The driver questions of one printer-connection backend.
class PrinterDrivers {
 public:
  virtual ~PrinterDrivers() = default;
  /// The driver the queue "\\SERVER\SHARE" uses on its server; nullopt when
  /// the queue needs none; a failure when the server cannot be asked.
  virtual Result<std::optional<PrinterDriver>> QueueDriver(std::string_view share) = 0;
  /// The same for a connection that is to replace the connection `replacing`:
  /// a backend that reaches the new queue the way it reached the old one
  /// (the CUPS backend keeps the old queue's scheme and port) asks that way.
  virtual Result<std::optional<PrinterDriver>> QueueDriverReplacing(std::string_view share,
                                                                    std::string_view replacing) {
    static_cast<void>(replacing);
    return QueueDriver(share);
  }
  /// Whether this client has the driver: the same name, not older.
  virtual Result<bool> HasDriver(const PrinterDriver& driver) = 0;
  /// The rules that apply to installing drivers from the named server
  /// ("SERVER", without backslashes).
  virtual Result<DriverRules> Rules(std::string_view server) = 0;
  /// Installs the queue's driver on this computer from its server, as an
  /// administrator or as the system would.
  virtual Status InstallDriver(std::string_view share, const PrinterDriver& driver) = 0;
};

}  // namespace velloran
