#pragma once
// The driver questions answered the way the Windows spooler and its Point
// and Print policy answer them. What the system is asked (policy values in
// the registry, the spooler's calls) sits behind SpoolerSystem, so that the
// decision is the same code on every system and is tested with a fake.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"
#include "platform/PrinterDriver.h"

namespace velloran {

/// The policy values that decide who may install a print server's driver,
/// each as the registry holds it (nullopt: the value is not set).
struct PointAndPrintPolicy {
  // Under ...\Windows NT\Printers\PointAndPrint.
  std::optional<uint32_t> RestrictDriverInstallationToAdministrators;
  std::optional<uint32_t> Restricted;
  std::optional<uint32_t> TrustedServers;
  /// Servers named by the Point and Print Restrictions, as written (";" between).
  std::string ServerList;
  std::optional<uint32_t> NoWarningNoElevationOnInstall;
  std::optional<uint32_t> UpdatePromptSettings;
  // Under ...\Windows NT\Printers\PackagePointAndPrint.
  std::optional<uint32_t> PackagePointAndPrintOnly;
  std::optional<uint32_t> PackagePointAndPrintServerList;
  /// The approved servers (the data of the values under ListofServers).
  std::vector<std::string> PackageServers;
  // Under ...\Windows NT\Printers\WPP.
  std::optional<uint32_t> WindowsProtectedPrintGroupPolicyState;
  std::optional<uint32_t> WindowsProtectedPrintMode;
};

/// One driver to be installed from one server, as far as the rules care.
struct DriverInstallCase {
  /// "SERVER", without backslashes.
  std::string Server;
  /// The client has the driver by that name, but older than the server's.
  bool Update = false;
  /// The server's driver is package-aware.
  bool PackageAware = false;
  /// This process runs elevated (an administrator's full token, or the system).
  bool Elevated = false;
};

/// Whether the case may install under the policy, and what decided.
DriverRules DecideDriverRules(const PointAndPrintPolicy& policy, const DriverInstallCase& install);

/// Whether `server` is among the names of a ";"-separated list (blanks and
/// leading backslashes ignored, without regard to case).
bool ServerListNames(std::string_view list, std::string_view server);

/// A queue's driver as its server describes it.
struct ServerDriver {
  PrinterDriver Driver;
  bool PackageAware = false;
};

/// What the driver questions ask of the system.
class SpoolerSystem {
 public:
  virtual ~SpoolerSystem() = default;
  virtual Result<PointAndPrintPolicy> ReadPolicy() = 0;
  virtual bool Elevated() = 0;
  /// The driver of the queue "\\SERVER\SHARE" on its server, for this
  /// computer's environment; nullopt when the queue has none.
  virtual Result<std::optional<ServerDriver>> QueueDriver(std::string_view share) = 0;
  /// The drivers installed on this computer for its own environment.
  virtual Result<std::vector<PrinterDriver>> LocalDrivers() = 0;
  /// Whether the running account already has a connection to the queue.
  virtual Result<bool> HasConnection(std::string_view share) = 0;
  /// Connects the running account to the queue, never waiting on a prompt.
  virtual Status Connect(std::string_view share) = 0;
  virtual Status Disconnect(std::string_view share) = 0;
};

/// The driver questions over `system`.
std::unique_ptr<PrinterDrivers> MakeSpoolerDrivers(std::unique_ptr<SpoolerSystem> system);

}  // namespace velloran
