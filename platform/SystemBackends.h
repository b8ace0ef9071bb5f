#pragma once
// The backends of the operating system the program runs on, for what the
// environment leaves unchosen. One implementation per OS, picked by the build.

#include <memory>
#include <string>
#include <string_view>

#include "platform/Configuration.h"
#include "platform/Error.h"
#include "platform/NetworkObject.h"
#include "platform/SettingsStore.h"

namespace velloran {

/// The settings store: on POSIX the hive files the configuration names; on
/// Windows the registry.
std::unique_ptr<SettingsStore> MakeSystemSettingsStore(const Configuration& config);

/// What VELLORAN_PRINTERS means when unset: the connection profile in the
/// user's state folder on POSIX, "system" on Windows.
std::string DefaultPrintersChoice();

/// MakeNetworkFactory's choices, plus "system" where the OS keeps the user's
/// printer connections itself.
Result<std::unique_ptr<NetworkObjectFactory>> MakeSystemNetworkFactory(std::string_view choice);

/// What VELLORAN_EVENTLOG means when unset ("syslog"; "eventlog" on Windows).
std::string DefaultEventLogChoice();

}  // namespace velloran
