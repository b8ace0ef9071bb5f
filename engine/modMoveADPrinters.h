#pragma once
// The directory mode: every print queue the directory publishes, and each
// connection moved to the server that publishes its share.
#include <string>
#include <string_view>
#include <vector>

#include "engine/Run.h"

namespace velloran {
/// Moves each connection to the server that publishes its share in the directory.
void MoveADPrinters(Run& run);
/// Every published print queue below "LDAP://" + DomainName into ADPrinters.
void GetADPrinters(Run& run);
/// Matches ClientPrinters against ADPrinters and reconnects.
void MigrateADPrinters(Run& run);

/// The provider's query text for the print queues below a bound object.
std::string ADPrinterQuery(const std::string& adsPath);
/// What one published queue says about itself (first values only), as
/// views into the record set: a directory may publish tens of thousands.
struct ADQueueRecord {
  /// "SERVER-Printer": the queue's directory name.
  std::string_view Name;
  std::string_view PrintShareName;
  /// The server's NetBIOS name, as Windows publishes it.
  std::string_view ShortServerName;
  /// "\\server\share".
  std::string_view UNCName;
};
/// The attributes read besides the query's select list.
const std::vector<std::string>& ADServerAttributes();
/// A directory entry from one queue's record.
NetworkPrinter ADPrinterFromRecord(const ADQueueRecord& record);
}  // namespace velloran
