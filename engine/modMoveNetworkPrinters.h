#pragma once
// The manual modes and the reconnect step that every mode, the directory
// mode included, moves a connection with.
#include <memory>
#include <string>
#include <string_view>

#include "engine/Run.h"

namespace velloran {
/// The three manual modes: printer, server and mixed pairs.
void MoveManualPrinters(Run& run);
/// Connections whose printer is a from-printer get the to-printer, same server.
void MovePrinterToPrinter(Run& run);
/// Connections on a from-server move to the to-server, same share.
void MoveServerToServer(Run& run);
/// Connections matching server and printer get the new server and printer.
void MoveMixedToMixed(Run& run);

/// Two backslashes, server, backslash, share.
std::string ConnectionPath(const std::string& server, const std::string& share);

/// Reports a connection that already points where a mode would move it.
void ReportAlreadyMigrated(Run& run, const NetworkPrinter& client);

/// What an administrator does about a failed add whose error says that the
/// queue's driver could not be installed for the user; empty for every other
/// failure.
std::string_view DriverCause(const PlatformError& error);

/// Removes `oldPath`, adds `newPath` and, when the add fails, adds `oldPath`
/// back. `network` is the mode's network object or the failure to create it,
/// in which case the removal fails with that failure.
void ReconnectPrinter(Run& run, Result<std::unique_ptr<NetworkObject>>& network,
                      const NetworkPrinter& client, const std::string& oldPath,
                      const std::string& newPath);
}  // namespace velloran
