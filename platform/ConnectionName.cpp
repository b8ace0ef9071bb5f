#include "platform/ConnectionName.h"

namespace velloran {

namespace {

// Characters Windows refuses in computer names (NetBIOS and DNS alike); a
// blank is among them, which is how a placeholder text such as "Error in To
// Server Name" is told from a server. Dots stay allowed for DNS names and
// IPv4 addresses.
constexpr std::string_view kNotInServer = " \\/:*?\"<>|,~!@#$%^&'(){};=+[]`";
// Characters no share name may hold; blanks are common in printer shares.
constexpr std::string_view kNotInShare = "\\/:*?\"<>|";

bool HoldsAnyOf(std::string_view s, std::string_view set) {
  return s.find_first_of(set) != std::string_view::npos;
}

}  // namespace

PlatformError InvalidPrinterName() {
  return PlatformError{kPrinterNameInvalid, "The printer name is invalid."};
}

bool HasControlCharacter(std::string_view name) {
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

Status CheckConnectionName(std::string_view name) {
  if (HasControlCharacter(name)) return InvalidPrinterName();
  return Status::Ok();
}

std::string_view ConnectionServer(std::string_view path) {
  if (!path.starts_with("\\\\")) return {};
  std::string_view rest = path.substr(2);
  return rest.substr(0, rest.find('\\'));
}

Status CheckConnectionPath(std::string_view path) {
  if (HasControlCharacter(path) || !path.starts_with("\\\\")) return InvalidPrinterName();
  std::string_view rest = path.substr(2);
  size_t sep = rest.find('\\');
  if (sep == std::string_view::npos) return InvalidPrinterName();
  std::string_view server = rest.substr(0, sep);
  std::string_view share = rest.substr(sep + 1);
  if (server.empty() || share.empty() || HoldsAnyOf(server, kNotInServer) ||
      HoldsAnyOf(share, kNotInShare))
    return InvalidPrinterName();
  // A name of dots alone is a relative path, not a server or a share.
  if (server.find_first_not_of('.') == std::string_view::npos ||
      share.find_first_not_of('.') == std::string_view::npos)
    return InvalidPrinterName();
  return Status::Ok();
}

}  // namespace velloran
