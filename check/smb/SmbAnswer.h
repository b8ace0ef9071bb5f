#pragma once
// What an SMB helper child hands back about one server. The child talks to
// the server, so its reply is read as untrusted text: every record is
// counted out exactly and the whole reply is bounded.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velloran::check {

/// The largest reply read from a helper. A server with 40,000 shares of
/// long names answers in about 2 MiB.
constexpr size_t kMaxSmbReplyBytes = 16u << 20;

/// Share types as the SMB client library numbers them.
constexpr unsigned kSmbFileShare = 3, kSmbPrinterShare = 4;

struct SmbEntry {
  unsigned Type = 0;
  std::string Name;  ///< any bytes, blanks and separators included
  bool operator==(const SmbEntry&) const = default;
};

/// A helper's reply: the server's failure (an errno number) or its shares.
struct SmbReply {
  int Error = 0;  ///< > 0: the server could not be listed
  std::vector<SmbEntry> Shares;
  bool operator==(const SmbReply&) const = default;
};

/// "E<errno>\n" for a failure, else "L" and one record per share,
/// "<type> <length> <name>" (decimal numbers, one blank each).
std::string SmbReplyText(const SmbReply& reply);

/// The reply `text` holds, or nothing when it is not exactly one such text
/// (cut short, a stray byte, a number with a leading zero or sign, longer
/// than kMaxSmbReplyBytes). Linear in the length of `text`.
std::optional<SmbReply> ParseSmbReply(std::string_view text);

}  // namespace velloran::check
