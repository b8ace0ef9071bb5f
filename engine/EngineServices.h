#pragma once
// The engine's platform services, made from the configuration at start-up.

#include <memory>
#include <string>

#include "engine/Run.h"
#include "platform/Configuration.h"
#include "platform/ldap/LdapDirectory.h"

namespace velloran {

/// Owns the backends that a process run uses.
class EngineServices {
 public:
  /// The services wired into a run; valid while this object lives.
  Services Wired() const {
    return Services{SystemProfile(), *Settings, *Network, *Directory, *Events, *Messages,
                    SystemClock()};
  }

  std::unique_ptr<SettingsStore> Settings;
  std::unique_ptr<NetworkObjectFactory> Network;
  std::unique_ptr<EventLog> Events;
  std::unique_ptr<MessageBox> Messages;
  std::unique_ptr<DirectoryService> Directory;
};

/// The dialog message box of a program that links one. Without it,
/// VELLORAN_MESSAGEBOX=qt is refused and "auto" means the console.
struct DialogBackend {
  std::unique_ptr<MessageBox> (*Make)() = nullptr;
  bool (*DisplayPresent)() = nullptr;
};

/// Builds the backends the configuration chooses, or the failure naming the
/// variable whose value no backend takes.
Result<std::unique_ptr<EngineServices>> MakeEngineServices(const Configuration& config,
                                                           LdapDirectoryOptions ldap,
                                                           DialogBackend dialogs = {});

}  // namespace velloran
