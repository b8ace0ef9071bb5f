#pragma once
// Print servers that the clients' CUPS queues reach over IPP: their queues
// are the shares (libcups).

#include <memory>

#include "check/ShareLister.h"

namespace velloran::check {

struct IppOptions {
  /// ipps: TLS from the start.
  bool Encrypted = false;
  /// The port the clients' queues use (CUPS's own: 631, or IPP_PORT).
  int Port = 631;
};

/// Asks each queue with Get-Printer-Attributes at
/// ipp(s)://SERVER:PORT/printers/SHARE, and for a server's whole list the
/// scheduler's printer list (CUPS-Get-Printers).
std::shared_ptr<ShareLister> MakeIppShareLister(IppOptions options);

}  // namespace velloran::check
