#pragma once
// One engine run: the run-wide state and the platform services it uses.
// Main owns the only instance; every module procedure takes it.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "common/INISettings.h"
#include "platform/Clock.h"
#include "platform/Directory.h"
#include "platform/Error.h"
#include "platform/EventLog.h"
#include "platform/MessageBox.h"
#include "platform/NetworkObject.h"
#include "platform/SettingsStore.h"
#include "platform/profile/Profile.h"

namespace velloran {

/// One printer connection split into its parts; also a directory entry.
struct NetworkPrinter {
  std::string PrinterName;
  std::string ServerName;
  std::string ShareName;
  bool operator==(const NetworkPrinter&) const = default;
};

/// A move kept from happening because of the target's driver.
struct HeldBackMove {
  std::string From;  // the connection kept, "\\SERVER\SHARE"
  std::string To;    // the target not added
  PrinterDriver Driver;
  std::string Cause;
  bool operator==(const HeldBackMove&) const = default;
};

/// A service the run uses and does not own. It is made from a reference, so
/// it is never null: a service the program lacks is one of the backends of
/// platform/NullBackends.h, which say once what "missing" means.
template <typename T>
class ServiceRef {
 public:
  ServiceRef(T& service) : p_(&service) {}  // NOLINT(implicit)
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }

 private:
  T* p_;
};

/// The operating-system services of a run. Tests build their own.
struct Services {
  ServiceRef<ProfileFunctions> Profile;
  ServiceRef<SettingsStore> Settings;
  ServiceRef<NetworkObjectFactory> Network;
  ServiceRef<DirectoryService> Directory;
  ServiceRef<EventLog> Events;
  ServiceRef<MessageBox> Messages;
  ServiceRef<Clock> Time;
};

struct Run {
  explicit Run(Services services) : Svc(services) {}

  Services Svc;

  /// The argument text after the program name, quotes still in it.
  std::string CommandLine;
  /// The folder of the running program file, without a trailing separator.
  std::string EngineFolder;
  /// Where the debug file and the e-mail back-up go when that is not
  /// EngineFolder (an engine installed in a system folder); empty otherwise.
  std::string FilesFolder;
  const std::string& OwnFilesFolder() const {
    return FilesFolder.empty() ? EngineFolder : FilesFolder;
  }
  /// One tick of the SMTP reply timer (30 ticks per reply wait).
  std::chrono::milliseconds SmtpTick{1000};

  bool AbortStatus = false;
  /// The run's report; every addition starts with CR LF.
  std::string OutcomeText;
  std::string INIFilePath;
  /// The INI file named or found could not be read: such a run never stores
  /// the run-once marker, so it runs again once the file is back.
  bool INIFileUnreadable = false;
  INISettings Settings;
  /// Entry 0 always empty; networked connections from 1.
  std::vector<NetworkPrinter> ClientPrinters;
  /// Entry 0 always empty; published print queues from 1.
  std::vector<NetworkPrinter> ADPrinters;
  /// The moves the target's driver held back this run, in order.
  std::vector<HeldBackMove> DriverHolds;
  /// Collected debug lines, each ended by CR LF.
  std::string DebugText;
};

}  // namespace velloran
