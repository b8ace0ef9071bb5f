#include "platform/SystemBackends.h"

#include "platform/Backends.h"
#include "platform/Paths.h"

namespace velloran {

std::unique_ptr<SettingsStore> MakeSystemSettingsStore(const Configuration& config) {
  return MakeFileSettingsStore(config.UserHive, config.MachineHive);
}

std::string DefaultPrintersChoice() { return "profile:" + DefaultConnectionProfile(); }

Result<std::unique_ptr<NetworkObjectFactory>> MakeSystemNetworkFactory(std::string_view choice) {
  return MakeNetworkFactory(choice);
}

std::string DefaultEventLogChoice() { return "syslog"; }

}  // namespace velloran
