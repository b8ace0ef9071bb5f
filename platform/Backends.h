#pragma once
// Constructors of the backends that programs choose at start-up.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Error.h"
#include "platform/EventLog.h"
#include "platform/MessageBox.h"
#include "platform/NetworkObject.h"
#include "platform/SettingsStore.h"

namespace velloran {

/// A settings store with one file per hive. The user hive is created
/// readable by its owner only.
std::unique_ptr<SettingsStore> MakeFileSettingsStore(std::string userHivePath,
                                                     std::string machineHivePath);

/// "syslog" (ident = source, warning or info priority, ID in the text) or
/// "file:PATH" (one record appended per event).
Result<std::unique_ptr<EventLog>> MakeEventLog(std::string_view choice);

/// Syslog over the local socket at `socketPath` ("/dev/log"), so that a
/// record that cannot be delivered is a failure rather than silence.
std::unique_ptr<EventLog> MakeSyslogEventLog(std::string socketPath);

/// The event log as a file: one record per event (type, ID, source and
/// message, tab-separated), appended under a lock.
std::unique_ptr<EventLog> MakeFileEventLog(std::string path);

/// Writes "[title] text" to stderr and answers the first button at once.
std::unique_ptr<MessageBox> MakeConsoleMessageBox();

/// "profile:PATH" (connection profile file), "cups" (the machine's CUPS
/// queues) or "none" (every creation of the network object fails).
Result<std::unique_ptr<NetworkObjectFactory>> MakeNetworkFactory(std::string_view choice);

/// The lines of a connection profile as they stand with its change records
/// applied: lower-case key and trimmed value, in file order.
Result<std::vector<std::pair<std::string, std::string>>> ReadConnectionProfileLines(
    const std::string& path);

/// The network object over a connection profile file. Lines of `ownKeys`
/// are not refused: a program that keeps keys of its own in the same file
/// (a test stand-in) reads them itself.
std::unique_ptr<NetworkObjectFactory> MakeConnectionProfile(std::string path,
                                                            std::vector<std::string> ownKeys = {});

/// Reads a connection profile without changing it: the failure every call of
/// its network object would give (a file that cannot be read, lines that are
/// not profile lines, with their numbers), or ok.
Status CheckConnectionProfile(const std::string& path);

}  // namespace velloran
