#include "platform/cups/DeviceUri.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/AsciiCase.h"

namespace velloran {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> PercentDecode(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    int hi = i + 1 < s.size() ? HexValue(s[i + 1]) : -1;
    int lo = i + 2 < s.size() ? HexValue(s[i + 2]) : -1;
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

std::string PercentEncode(std::string_view s) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// Host names and IPv4 addresses, or an IPv6 address in brackets: nothing
// that could end the authority of a URI or start a path, query or user name.
bool ValidServer(std::string_view s) {
  if (s.empty()) return false;
  if (s.front() == '[')
    return s.size() > 2 && s.back() == ']' &&
           std::all_of(s.begin() + 1, s.end() - 1,
                       [](unsigned char c) { return std::isxdigit(c) || c == ':' || c == '.'; });
  return std::all_of(s.begin(), s.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '.' || c == '-' || c == '_';
  });
}

// A share holds no backslash (the connection path could not be split again)
// and no control characters.
bool ValidShare(std::string_view s) {
  return !s.empty() && std::none_of(s.begin(), s.end(), [](unsigned char c) {
    return c == '\\' || c < 0x20 || c == 0x7f;
  });
}

// "host[:port]" into its parts.
bool SplitHostPort(std::string_view hostPort, std::string& host, int& port) {
  size_t colon = hostPort.rfind(':');
  if (colon != std::string_view::npos && (hostPort.front() != '[' || colon > hostPort.rfind(']'))) {
    std::string_view digits = hostPort.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
      return false;
    port = std::stoi(std::string(digits));
    if (port < 1 || port > 65535) return false;
    hostPort = hostPort.substr(0, colon);
  }
  host = std::string(hostPort);
  return ValidServer(host);
}

std::vector<std::string_view> Segments(std::string_view path) {
  std::vector<std::string_view> out;
  while (true) {
    size_t slash = path.find('/');
    out.push_back(path.substr(0, slash));
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return out;
}

}  // namespace

std::optional<DeviceTarget> ParseNetworkDevice(std::string_view uri) {
  size_t sep = uri.find("://");
  if (sep == std::string_view::npos) return std::nullopt;
  DeviceTarget t;
  t.Scheme = AsciiLower(uri.substr(0, sep));
  if (t.Scheme != "ipp" && t.Scheme != "ipps" && t.Scheme != "http" && t.Scheme != "https" &&
      t.Scheme != "smb")
    return std::nullopt;
  std::string_view rest = uri.substr(sep + 3);
  size_t query = rest.find('?');
  if (query != std::string_view::npos) {
    t.Query = std::string(rest.substr(query));
    rest = rest.substr(0, query);
  }
  // User name and password come before the host; they never leave here.
  size_t firstSlash = rest.find('/');
  size_t at = rest.substr(0, firstSlash).rfind('@');
  if (at != std::string_view::npos) rest.remove_prefix(at + 1);

  std::vector<std::string_view> parts = Segments(rest);
  std::string_view hostPort, share;
  if (t.Scheme == "smb") {
    if (parts.size() == 3) {
      t.Workgroup = std::string(parts[0]);
      if (!ValidServer(t.Workgroup)) return std::nullopt;
      hostPort = parts[1];
      share = parts[2];
    } else if (parts.size() == 2) {
      hostPort = parts[0];
      share = parts[1];
    } else {
      return std::nullopt;
    }
  } else {
    // "/printers/SHARE", a trailing slash allowed.
    if (parts.size() == 4 && parts[3].empty()) parts.pop_back();
    if (parts.size() != 3 || parts[1] != "printers") return std::nullopt;
    hostPort = parts[0];
    share = parts[2];
  }
  if (hostPort.empty() || !SplitHostPort(hostPort, t.Server, t.Port)) return std::nullopt;
  auto decoded = PercentDecode(share);
  if (!decoded || !ValidShare(*decoded)) return std::nullopt;
  t.Share = std::move(*decoded);
  return t;
}

std::string ConnectionPathOf(const DeviceTarget& target) {
  return "\\\\" + target.Server + "\\" + target.Share;
}

std::optional<std::pair<std::string, std::string>> SplitConnectionPath(std::string_view path) {
  if (path.size() < 2 || path.substr(0, 2) != "\\\\") return std::nullopt;
  path.remove_prefix(2);
  size_t sep = path.find('\\');
  if (sep == std::string_view::npos) return std::nullopt;
  std::string server(path.substr(0, sep));
  std::string share(path.substr(sep + 1));
  if (!ValidServer(server) || !ValidShare(share)) return std::nullopt;
  return std::make_pair(std::move(server), std::move(share));
}

std::string DeviceUriOf(const DeviceTarget& t) {
  std::string uri = t.Scheme + "://";
  if (t.Scheme == "smb" && !t.Workgroup.empty()) uri += t.Workgroup + "/";
  uri += t.Server;
  if (t.Port > 0) uri += ":" + std::to_string(t.Port);
  uri += t.Scheme == "smb" ? "/" : "/printers/";
  uri += PercentEncode(t.Share);
  return uri + t.Query;
}

std::optional<DeviceTarget> TargetForConnection(std::string_view path, const DeviceTarget* like,
                                                int ippPort) {
  auto parts = SplitConnectionPath(path);
  if (!parts) return std::nullopt;
  DeviceTarget t;
  if (like) {
    t = *like;
  } else {
    t.Scheme = "ipp";
    if (ippPort != 631) t.Port = ippPort;
  }
  t.Server = std::move(parts->first);
  t.Share = std::move(parts->second);
  return t;
}

IppAddress IppAddressOf(const DeviceTarget& t) {
  IppAddress a;
  bool secure = t.Scheme == "ipps" || t.Scheme == "https";
  a.Scheme = secure ? "ipps" : "ipp";
  if (t.Port > 0)
    a.Port = t.Port;
  else if (t.Scheme == "http")
    a.Port = 80;
  else if (t.Scheme == "https")
    a.Port = 443;
  else
    a.Port = 631;
  a.Resource = "/printers/" + PercentEncode(t.Share);
  a.PrinterUri = a.Scheme + "://" + t.Server + ":" + std::to_string(a.Port) + a.Resource;
  return a;
}

std::string QueueNameFor(std::string_view share) {
  std::string name;
  for (unsigned char c : share.substr(0, 127)) {
    bool bad = c <= ' ' || c == 0x7f || c == '/' || c == '\\' || c == '#' || c == '\'' ||
               c == '"' || c == '?';
    name += bad ? '_' : static_cast<char>(c);
  }
  return name;
}

}  // namespace velloran
