// Builds without libcups: the choice exists but says why it cannot work.
#include "platform/cups/CupsNetwork.h"

namespace velloran {

Result<std::unique_ptr<NetworkObjectFactory>> MakeCupsNetwork(bool) {
  return PlatformError{kInvalidSetting,
                       "VELLORAN_PRINTERS=cups: this build has no CUPS backend (built without libcups)"};
}

}  // namespace velloran
