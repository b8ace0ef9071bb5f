// The CUPS backend as a module: everything else in it is hidden, so its
// copies of the platform helpers never meet the engine's.

#include "platform/cups/CupsModule.h"

#include <chrono>

#include "platform/cups/CupsNetwork.h"

#define VELLORAN_EXPORT __attribute__((visibility("default")))

extern "C" VELLORAN_EXPORT const char* VelloranCupsBuild() {
  static const std::string build = velloran::CupsModuleBuild();
  return build.c_str();
}

extern "C" VELLORAN_EXPORT velloran::NetworkObjectFactory* VelloranOpenCupsNetwork(
    bool rehearse, int64_t descriptionWaitMs) {
  auto made = velloran::MakeCupsNetwork(rehearse, std::chrono::milliseconds(descriptionWaitMs));
  return made ? made->release() : nullptr;
}
