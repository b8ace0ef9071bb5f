#include "platform/SystemBackends.h"

#include "platform/Backends.h"
#include "platform/Paths.h"

namespace velloran {

std::unique_ptr<SettingsStore> MakeSystemSettingsStore() {
  return MakeFileSettingsStore(EnvOr("VELLORAN_USER_HIVE", JoinPath(UserConfigFolder(), "user.hive")),
                               EnvOr("VELLORAN_MACHINE_HIVE", "/var/lib/velloran/machine.hive"));
}

std::string DefaultPrintersChoice() {
  return "profile:" + JoinPath(UserStateFolder(), "connections.txt");
}

Result<std::unique_ptr<NetworkObjectFactory>> MakeSystemNetworkFactory(std::string_view choice) {
  return MakeNetworkFactory(choice);
}

std::string DefaultEventLogChoice() { return "syslog"; }

}  // namespace velloran
