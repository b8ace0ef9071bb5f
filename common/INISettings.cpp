#include "common/INISettings.h"

namespace velloran {

void ResetINISettings(INISettings& settings) {
  settings = INISettings{};
  settings.ServerPort = "25";
  // Every list keeps its one blank entry, the shape of an empty key as read.
  settings.ServerPairs.assign(1, NamePair{});
  settings.PrinterPairs.assign(1, NamePair{});
  settings.MixedPairs.assign(1, MixedPair{});
  settings.EmailTo.assign(1, std::string{});
}

}  // namespace velloran
