#include "platform/SystemDirectory.h"

namespace velloran {

std::string SystemDirectory() { return "C:\\WINDOWS\\system32"; }

}  // namespace velloran
