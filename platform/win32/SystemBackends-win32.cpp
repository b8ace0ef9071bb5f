#include "platform/SystemBackends.h"

#include "platform/Backends.h"
#include "platform/win32/Backends-win32.h"

namespace velloran {

std::unique_ptr<SettingsStore> MakeSystemSettingsStore(const Configuration&) {
  return MakeRegistrySettingsStore();
}

std::string DefaultPrintersChoice() { return "system"; }

// The connection profile works here as well, for rehearsing a migration on
// a Windows computer without touching its connections.
Result<std::unique_ptr<NetworkObjectFactory>> MakeSystemNetworkFactory(std::string_view choice) {
  if (choice == "system") return MakeComNetworkFactory();
  if (choice == "none" || (choice.rfind("profile:", 0) == 0 && choice.size() > 8)) return MakeNetworkFactory(choice);
  return PlatformError{kInvalidSetting, "VELLORAN_PRINTERS must be system, profile:PATH or none, not \"" + std::string(choice) + "\""};
}

std::string DefaultEventLogChoice() { return "eventlog"; }

}  // namespace velloran
