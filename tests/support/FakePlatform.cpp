#include "tests/support/FakePlatform.h"

#include "platform/NullBackends.h"
#include "platform/profile/Profile.h"

namespace velloran::test {

Services FakePlatform::services() {
  return Services{SystemProfile(), Settings, Network, UnavailableDirectory(),
                  Events,          Messages, Time};
}

std::unique_ptr<Run> FakePlatform::DirectoryRun(DirectoryService& directory,
                                                const std::string& domain) {
  Services s = services();
  s.Directory = directory;
  auto run = std::make_unique<Run>(s);
  ResetINISettings(run->Settings);
  run->Settings.DebugOn = true;
  run->Settings.DomainName = domain;
  return run;
}

}  // namespace velloran::test
