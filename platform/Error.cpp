#include "platform/Error.h"

#include <cstring>

namespace velloran {

PlatformError ErrnoError(int err) { return PlatformError{err, std::strerror(err)}; }

}  // namespace velloran
