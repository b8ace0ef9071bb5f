#include "engine/modMain.h"

#include "engine/modDebug.h"
#include "engine/modINIFile.h"
#include "engine/modPrinters.h"

namespace velloran {

void Main(Run& run) {
  // On before the INI file is read, so the opening lines always reach the file.
  run.Settings.DebugOn = true;
  ClearDebugLog(run);
  WriteBanner(run, 30, "     BEGIN DEBUG     ", 29);
  OpenINIFile(run);
  RunMigration(run);
  WriteBanner(run, 31, "     END DEBUG     ", 30);
  SaveDebugLog(run);
}

}  // namespace velloran
