#include "platform/Directory.h"

#include <cctype>
#include <charconv>

#include "platform/CodePage.h"

namespace velloran {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) { return SameText(a, b); }

PlatformError BadPath(std::string_view path) {
  return PlatformError{kBadPathname,
                       "An invalid directory pathname was passed: " + std::string(path)};
}

bool IsHostChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

bool ParsePort(std::string_view text, int& port) {
  if (text.empty() || text.size() > 5) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
  return ec == std::errc() && end == text.data() + text.size() && port >= 1 && port <= 65535;
}

bool ParseServer(std::string_view server, AdsPathParts& parts) {
  std::string_view host = server, port;
  if (!server.empty() && server.front() == '[') {
    size_t close = server.find(']');
    if (close == std::string_view::npos) return false;
    host = server.substr(1, close - 1);
    std::string_view after = server.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return false;
      port = after.substr(1);
      if (port.empty()) return false;
    }
    for (char c : host)
      if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
  } else {
    size_t colon = server.find(':');
    if (colon != std::string_view::npos) {
      host = server.substr(0, colon);
      port = server.substr(colon + 1);
      if (port.empty()) return false;
    }
    for (char c : host)
      if (!IsHostChar(c)) return false;
  }
  if (host.empty()) return false;
  parts.Host = std::string(host);
  if (!port.empty() && !ParsePort(port, parts.Port)) return false;
  return true;
}

// The path form escapes "/" inside a DN as "\/"; LDAP itself does not.
std::string DNFromPath(std::string_view dn) {
  std::string out;
  out.reserve(dn.size());
  for (size_t i = 0; i < dn.size(); ++i) {
    if (dn[i] == '\\' && i + 1 < dn.size() && dn[i + 1] == '/') continue;
    out += dn[i];
  }
  return out;
}

// A cursor over query text; keywords and names are case-insensitive.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  void SkipBlanks() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  bool Take(char c) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Keyword(std::string_view word) {
    SkipBlanks();
    if (text_.size() - pos_ < word.size() || !EqualsNoCase(text_.substr(pos_, word.size()), word))
      return false;
    size_t after = pos_ + word.size();
    if (after < text_.size() && IsNameChar(text_[after])) return false;
    pos_ = after;
    return true;
  }
  bool Name(std::string& out) {
    SkipBlanks();
    size_t start = pos_;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    out = std::string(text_.substr(start, pos_ - start));
    return !out.empty();
  }
  /// 'text' with '' standing for one quote.
  bool Quoted(std::string& out) {
    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != '\'') return false;
    out.clear();
    for (++pos_; pos_ < text_.size(); ++pos_) {
      if (text_[pos_] == '\'') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
          out += '\'';
          ++pos_;
          continue;
        }
        ++pos_;
        return true;
      }
      out += text_[pos_];
    }
    return false;
  }

 private:
  static bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
  }
  std::string_view text_;
  size_t pos_ = 0;
};

// "*" stays a wildcard, as it is in the dialect; the filter's own
// metacharacters are escaped.
std::string FilterValue(std::string_view value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\5c";
        break;
      case '(':
        out += "\\28";
        break;
      case ')':
        out += "\\29";
        break;
      case '\0':
        out += "\\00";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

int RecordSet::FieldIndex(std::string_view name) const {
  for (size_t i = 0; i < FieldNames.size(); ++i)
    if (EqualsNoCase(FieldNames[i], name)) return static_cast<int>(i);
  return -1;
}

Result<AdsPathParts> ParseAdsPath(std::string_view path) {
  constexpr std::string_view kPrefix = "LDAP://";
  if (path.substr(0, kPrefix.size()) != kPrefix) return BadPath(path);
  std::string_view rest = path.substr(kPrefix.size());

  std::string_view server, dn;
  size_t slash = rest.find('/');
  std::string_view head = rest.substr(0, slash);
  if (head.find('=') != std::string_view::npos) {
    dn = rest;  // no server; any "/" belongs to the DN
  } else if (slash != std::string_view::npos) {
    server = head;
    dn = rest.substr(slash + 1);
  } else {
    server = rest;
  }

  AdsPathParts parts;
  if (!server.empty() && !ParseServer(server, parts)) return BadPath(path);
  parts.DN = DNFromPath(dn);
  return parts;
}

std::string CanonicalServer(std::string_view host, int port) {
  std::string out =
      host.find(':') != std::string_view::npos ? "[" + std::string(host) + "]" : std::string(host);
  if (port != 0 && port != 389) out += ":" + std::to_string(port);
  return out;
}

Result<DirectoryCommand> ParseDirectoryCommand(std::string_view text) {
  const PlatformError error{kErrorsInCommand,
                            "One or more errors occurred during processing of command."};
  Scanner s(text);
  DirectoryCommand cmd;
  if (!s.Keyword("SELECT")) return error;
  do {
    std::string name;
    if (!s.Name(name)) return error;
    cmd.Attributes.push_back(std::move(name));
  } while (s.Take(','));
  if (!s.Keyword("FROM") || !s.Quoted(cmd.Path)) return error;

  std::vector<std::string> terms;
  if (s.Keyword("WHERE")) {
    do {
      std::string name, value;
      if (!s.Name(name) || !s.Take('=') || !s.Quoted(value)) return error;
      terms.push_back("(" + name + "=" + FilterValue(value) + ")");
    } while (s.Keyword("AND"));
  }
  s.Take(';');
  s.SkipBlanks();
  if (!s.AtEnd()) return error;

  if (terms.empty()) {
    cmd.Filter = "(objectClass=*)";
  } else if (terms.size() == 1) {
    cmd.Filter = terms.front();
  } else {
    cmd.Filter = "(&";
    for (const auto& t : terms) cmd.Filter += t;
    cmd.Filter += ")";
  }
  return cmd;
}

}  // namespace velloran
