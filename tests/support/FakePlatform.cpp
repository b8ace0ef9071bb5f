#include "tests/support/FakePlatform.h"

#include "platform/NullBackends.h"
#include "platform/profile/Profile.h"

namespace velloran::test {

Services FakePlatform::services() {
  return Services{SystemProfile(), Settings, Network, UnavailableDirectory(), Events, Messages, Time};
}

}  // namespace velloran::test
