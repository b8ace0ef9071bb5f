#include <charconv>
#include <cstdlib>

#include "check/ipp/IppShareLister.h"
#include "check/smb/SmbShareLister.h"
#include "tools/CheckLister.h"

namespace velloran {

Result<std::shared_ptr<check::ShareLister>> MakeCheckLister(const std::string& protocol) {
  if (protocol == "smb") {
    auto credentials = check::SmbCredentialsFromEnvironment();
    if (!credentials) return credentials.error();
    return check::MakeSmbShareLister(std::move(*credentials));
  }
  check::IppOptions ipp;
  ipp.Encrypted = protocol == "ipps";
  if (const char* port = std::getenv("IPP_PORT"); port && *port) {
    const std::string text = port;
    int n = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < 1 || n > 65535)
      return PlatformError{kInvalidSetting, "IPP_PORT is not a port: \"" + text + "\""};
    ipp.Port = n;
  }
  return check::MakeIppShareLister(ipp);
}

}  // namespace velloran
