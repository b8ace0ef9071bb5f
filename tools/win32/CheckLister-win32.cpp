#include "check/ipp/IppShareLister.h"
#include "check/win32/WindowsShareLister.h"
#include "tools/CheckLister.h"

namespace velloran {

// Windows asks with the logged-on user's own rights; IPP is the CUPS
// servers' protocol, which this build does not speak (the lister says so
// for each server).
Result<std::shared_ptr<check::ShareLister>> MakeCheckLister(const std::string& protocol) {
  if (protocol == "smb") return check::MakeWindowsShareLister();
  check::IppOptions ipp;
  ipp.Encrypted = protocol == "ipps";
  return check::MakeIppShareLister(ipp);
}

// The Windows lister asks in process: there is no helper mode.
int RunCheckListerHelper(const std::vector<std::string>&) { return -1; }

}  // namespace velloran
