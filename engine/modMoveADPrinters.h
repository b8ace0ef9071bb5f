#pragma once
// The directory mode: every print queue the directory publishes, and each
// connection moved to the server that publishes its share.
#include <string>

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
/// A directory entry from a record's name ("SERVER-Printer") and first share name.
NetworkPrinter ADPrinterFromRecord(const std::string& name, const std::string& shareName);
}  // namespace velloran
