#include "common/INISettings.h"

namespace velloran {

void ResetINISettings(INISettings& settings) {
  settings = INISettings{};
  settings.ServerPort = "25";
}

}  // namespace velloran
