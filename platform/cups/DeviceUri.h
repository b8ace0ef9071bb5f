#pragma once
// How a local print queue's device URI names a print server's queue, and
// back: the mapping between queues and "\\SERVER\SHARE" connection paths.
// Pure text functions, so that they can be tested and fuzzed on their own.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace velloran {

/// A device URI that points at a print server's queue.
struct DeviceTarget {
  std::string Scheme;     ///< lower case: ipp, ipps, http, https or smb
  std::string Workgroup;  ///< smb only; empty when the URI names none
  std::string Server;     ///< host as written (an IPv6 address in brackets)
  int Port = 0;           ///< 0 when the URI gives none
  std::string Share;      ///< the queue on the server, percent-decoding undone
  std::string Query;      ///< "?..." as written (backend options), or empty

  bool operator==(const DeviceTarget&) const = default;
};

/// The server's queue that `uri` names: ipp(s)://SERVER[:PORT]/printers/SHARE,
/// http(s)://SERVER[:PORT]/printers/SHARE or smb://[WORKGROUP/]SERVER/SHARE.
/// User names and passwords in the URI are dropped. Anything else (USB,
/// files, an IPP address without /printers/) is no network connection.
std::optional<DeviceTarget> ParseNetworkDevice(std::string_view uri);

/// "\\SERVER\SHARE" of a target.
std::string ConnectionPathOf(const DeviceTarget& target);

/// Server and share of "\\SERVER\SHARE"; nothing when the path has another
/// shape, an empty part, or a server name that cannot stand in a URI.
std::optional<std::pair<std::string, std::string>> SplitConnectionPath(std::string_view path);

/// The device URI of a target (the share percent-encoded).
std::string DeviceUriOf(const DeviceTarget& target);

/// The target for `path`: the scheme, port, workgroup and query of `like`
/// when a queue is being replaced, ipp://SERVER/printers/SHARE otherwise
/// (with `ippPort` when that is not the standard 631).
std::optional<DeviceTarget> TargetForConnection(std::string_view path, const DeviceTarget* like,
                                                int ippPort = 631);

/// Where to ask a target's server over IPP: "ipp" or "ipps", the port (the
/// scheme's own when the URI gives none) and the resource "/printers/SHARE".
struct IppAddress {
  std::string Scheme;
  int Port = 631;
  std::string Resource;
  std::string PrinterUri;
};
IppAddress IppAddressOf(const DeviceTarget& target);

/// A local queue name for a share: characters a queue name cannot hold
/// (blanks, "/", "\", "#", quotes, controls) become "_"; at most 127 bytes.
std::string QueueNameFor(std::string_view share);

}  // namespace velloran
