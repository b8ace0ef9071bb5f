// Builds without libcups: the choice exists but says why it cannot work.
#include "platform/cups/CupsNetwork.h"

namespace velloran {

namespace {

PlatformError NoCups() {
  return PlatformError{
      kInvalidSetting,
      "VELLORAN_PRINTERS=cups: this build has no CUPS backend (built without libcups)"};
}

}  // namespace

Result<std::unique_ptr<NetworkObjectFactory>> MakeCupsNetwork(bool, std::chrono::milliseconds,
                                                              std::chrono::milliseconds) {
  return NoCups();
}

Result<std::unique_ptr<NetworkObjectFactory>> MakeCupsNetworkOnDemand(bool,
                                                                      std::chrono::milliseconds) {
  return NoCups();
}

Result<std::string> RestoreSavedQueue(const std::string&) { return NoCups(); }

}  // namespace velloran
