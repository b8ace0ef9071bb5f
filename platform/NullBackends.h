#pragma once
// Backends for a service a program does not have, or must not touch. A run
// always holds every service; what "missing" means is decided here, once,
// rather than by each caller testing for null.

#include "platform/Clock.h"
#include "platform/Directory.h"
#include "platform/EventLog.h"
#include "platform/MessageBox.h"
#include "platform/NetworkObject.h"
#include "platform/SettingsStore.h"

namespace velloran {

/// "ActiveX component can't create object": the failure of every service
/// below that stands for a component the system lacks.
PlatformError CannotCreateObject();

/// A network object that cannot be created (VELLORAN_PRINTERS=none).
NetworkObjectFactory& UnavailableNetwork();
/// A directory that cannot be bound.
DirectoryService& UnavailableDirectory();
/// A settings store that can be neither read nor written.
SettingsStore& UnavailableSettingsStore();
/// An event log that takes no events.
EventLog& UnavailableEventLog();

/// A settings store that holds nothing and forgets what it is given: a
/// rehearsal leaves no run-once marker behind.
SettingsStore& DiscardingSettingsStore();
/// An event log that accepts every event and keeps none.
EventLog& DiscardingEventLog();
/// A message box that shows nothing and answers the first button.
MessageBox& SilentMessageBox();

}  // namespace velloran
