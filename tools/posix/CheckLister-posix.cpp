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
    // Each server is asked by a fresh copy of this program in the helper
    // mode, so that the SMB library never starts in a fork of a threaded
    // process.
    check::SmbHelper helper;
    if (std::string self = check::ThisProgram(); !self.empty())
      helper = {std::move(self), {"check", "--smb-helper"}};
    return check::MakeSmbShareLister(std::move(*credentials), std::move(helper));
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

int RunCheckListerHelper(const std::vector<std::string>& args) {
  if (args.size() == 3 && args[0] == "--smb-helper") return check::RunSmbHelper(args[1], args[2]);
  return -1;
}

}  // namespace velloran
