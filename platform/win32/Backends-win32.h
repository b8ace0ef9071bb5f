#pragma once
// Constructors of the Windows backends (no windows.h here: the engine's
// entry includes this).

#include <memory>

#include "platform/MessageBox.h"
#include "platform/NetworkObject.h"
#include "platform/SettingsStore.h"
#include "platform/SpoolerDrivers.h"

namespace velloran {

/// The registry as the settings store.
std::unique_ptr<SettingsStore> MakeRegistrySettingsStore();

/// Network objects created through COM by programmatic identifier.
std::unique_ptr<NetworkObjectFactory> MakeComNetworkFactory();

/// Adds the user's connection to "\\SERVER\SHARE" through the spooler with
/// its no-prompt flag: a driver that would need a question fails the add.
Status AddPrinterConnectionWithoutPrompt(std::string_view path);

/// The spooler and the Point and Print policy values of this computer.
std::unique_ptr<SpoolerSystem> MakeWindowsSpooler();

/// MessageBoxA.
std::unique_ptr<MessageBox> MakeWindowsMessageBox();

/// True when the process runs on a window station a user can see (not a
/// service's or a scheduled task's hidden one).
bool InteractiveDesktop();

}  // namespace velloran
