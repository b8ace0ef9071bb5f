#pragma once
#include "engine/Run.h"

namespace velloran {
/// One run from BEGIN DEBUG to the saved debug file.
void Main(Run& run);
}  // namespace velloran
