#pragma once
// The entry of the CUPS backend built as a loadable module.

#include <cstdint>
#include <string>

#include "platform/NetworkObject.h"

/// The module's file name beside the engine.
#define VELLORAN_CUPS_MODULE "velloran-cups.so"

extern "C" {
/// "VelloranCupsBuild": what the module was built as.
using VelloranCupsBuildFn = const char* (*)();
/// "VelloranOpenCupsNetwork": a new factory over the local scheduler; the
/// caller owns it.
using VelloranOpenCupsNetworkFn = velloran::NetworkObjectFactory* (*)(bool rehearse,
                                                                      int64_t descriptionWaitMs);
}

namespace velloran {
/// The build text the module and its loader must agree on: results, errors
/// and strings cross the boundary by value.
inline std::string CupsModuleBuild() {
  return VELLORAN_VERSION "/" + std::to_string(sizeof(Result<std::unique_ptr<NetworkObject>>)) +
         "/" + std::to_string(sizeof(PlatformError)) + "/" + std::to_string(sizeof(std::string));
}
}  // namespace velloran
