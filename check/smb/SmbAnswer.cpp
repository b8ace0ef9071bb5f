#include "check/smb/SmbAnswer.h"

#include <charconv>

namespace velloran::check {

namespace {

// A decimal number as SmbReplyText writes it: digits only, no sign, no
// leading zero, so that each reply has one spelling.
template <class Number>
bool TakeNumber(std::string_view& text, Number& out) {
  if (text.empty() || (text[0] == '0' && text.size() > 1 && text[1] >= '0' && text[1] <= '9'))
    return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  if (ec != std::errc() || end == text.data()) return false;
  text.remove_prefix(static_cast<size_t>(end - text.data()));
  return true;
}

bool TakeBlank(std::string_view& text) {
  if (text.empty() || text[0] != ' ') return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

std::string SmbReplyText(const SmbReply& reply) {
  if (reply.Error > 0) return "E" + std::to_string(reply.Error) + "\n";
  std::string out = "L";
  for (const SmbEntry& e : reply.Shares)
    out += std::to_string(e.Type) + " " + std::to_string(e.Name.size()) + " " + e.Name;
  return out;
}

std::optional<SmbReply> ParseSmbReply(std::string_view text) {
  if (text.size() > kMaxSmbReplyBytes || text.empty()) return std::nullopt;
  SmbReply reply;
  const char kind = text[0];
  text.remove_prefix(1);
  if (kind == 'E') {
    if (!TakeNumber(text, reply.Error) || reply.Error <= 0 || text != "\n") return std::nullopt;
    return reply;
  }
  if (kind != 'L') return std::nullopt;
  while (!text.empty()) {
    SmbEntry e;
    size_t length = 0;
    if (!TakeNumber(text, e.Type) || !TakeBlank(text) || !TakeNumber(text, length) ||
        !TakeBlank(text) || length > text.size())
      return std::nullopt;
    e.Name.assign(text.substr(0, length));
    text.remove_prefix(length);
    reply.Shares.push_back(std::move(e));
  }
  return reply;
}

}  // namespace velloran::check
