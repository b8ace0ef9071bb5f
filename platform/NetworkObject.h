#pragma once
// The network object: the user's printer connections and the computer name.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"
#include "platform/PrinterDriver.h"

// windows.h renames these by macro (to their A/W forms); the seam keeps its
// own names where windows.h was included before it.
#ifdef _WIN32
#undef GetDefaultPrinter
#undef SetDefaultPrinter
#endif

namespace velloran {

/// One object per caller, created fresh and released when the caller ends.
class NetworkObject {
 public:
  virtual ~NetworkObject() = default;
  /// Items in pairs: item 2k the port, item 2k+1 the connection name of the
  /// k-th connection; network connections start with two backslashes.
  virtual Result<std::vector<std::string>> EnumPrinterConnections() = 0;
  /// The same items, each one that could not be read kept as its failure, so
  /// that a caller can tell an unreadable connection from one with an empty
  /// name. Backends whose items cannot fail one by one keep this default.
  virtual Result<std::vector<Result<std::string>>> EnumPrinterConnectionItems();
  virtual Status RemovePrinterConnection(std::string_view path, bool force, bool updateProfile) = 0;
  virtual Status AddWindowsPrinterConnection(std::string_view path) = 0;
  /// The user's default printer: a connection path ("\\SERVER\SHARE") or a local
  /// printer's name; empty when none is set.
  virtual Result<std::string> GetDefaultPrinter() = 0;
  /// Makes the named connection the user's default printer.
  virtual Status SetDefaultPrinter(std::string_view path) = 0;
  virtual Result<std::string> ComputerName() = 0;
  /// The driver questions for this backend's connections; null where the
  /// backend cannot tell, and the engine then adds as it always did.
  virtual PrinterDrivers* Drivers() { return nullptr; }
};

/// Creates network objects by programmatic identifier ("WScript.Network").
class NetworkObjectFactory {
 public:
  virtual ~NetworkObjectFactory() = default;
  virtual Result<std::unique_ptr<NetworkObject>> Create(std::string_view progId) = 0;
  /// Told once at the end of a run whether it ended well: what a backend
  /// kept so that the administrator could undo the run's changes by hand
  /// is needed no longer after a good run, and is kept after any other.
  virtual void RunEnded(bool /*succeeded*/) {}
};

/// The computer's name from a fresh "WScript.Network" object; "Computer
/// UNKNOWN" when the object cannot be created, "" when the name cannot be read.
std::string ComputerNameFrom(NetworkObjectFactory& network);

}  // namespace velloran
