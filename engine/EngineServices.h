#pragma once
// The engine's platform services, chosen from the environment at start-up.

#include <memory>
#include <string>

#include "engine/Run.h"

namespace velloran {

/// Owns the backends that a process run uses.
struct EngineServices {
  std::unique_ptr<SettingsStore> Settings;
  std::unique_ptr<NetworkObjectFactory> Network;
  std::unique_ptr<EventLog> Events;
  std::unique_ptr<MessageBox> Messages;
  Services Wired;
};

/// The dialog message box of a program that links one. Without it,
/// VELLORAN_MESSAGEBOX=qt is refused and "auto" means the console.
struct DialogBackend {
  std::unique_ptr<MessageBox> (*Make)() = nullptr;
  bool (*DisplayPresent)() = nullptr;
};

/// Builds the services from VELLORAN_PRINTERS, VELLORAN_USER_HIVE,
/// VELLORAN_MACHINE_HIVE, VELLORAN_MESSAGEBOX and VELLORAN_EVENTLOG, or the
/// failure naming the variable that holds a value it cannot use.
Result<std::unique_ptr<EngineServices>> ServicesFromEnvironment(DialogBackend dialogs = {});

/// The connection profile used when VELLORAN_PRINTERS is unset.
std::string DefaultConnectionProfile();

}  // namespace velloran
