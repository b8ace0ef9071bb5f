#include "engine/DriverCheck.h"

#include "platform/CodePage.h"
#include "platform/ConnectionName.h"

namespace velloran {

DriverVerdict CheckTargetDriver(PrinterDrivers& drivers, std::string_view from,
                                std::string_view target) {
  DriverVerdict verdict;
  auto driver = drivers.QueueDriverReplacing(target, from);
  if (!driver) {
    verdict.NotAsked = driver.error();
    return verdict;
  }
  if (!driver->has_value()) return verdict;
  const PrinterDriver& needed = **driver;

  auto rules = drivers.Rules(ConnectionServer(target));
  if (!rules) {
    verdict.NotAsked = rules.error();
    return verdict;
  }
  // Protected print mode blocks every other driver, installed or not: it
  // removes third-party drivers when it is turned on.
  if (rules->ProtectedPrint && FoldCase(needed.Name) != FoldCase(kIppClassDriver)) {
    verdict.Hold = DriverHold{needed, "Protected print mode is on: only queues on the " +
                                          std::string(kIppClassDriver) + " can be added"};
    return verdict;
  }
  if (rules->UserMayInstall) return verdict;

  auto has = drivers.HasDriver(needed);
  if (!has) {
    verdict.NotAsked = has.error();
    return verdict;
  }
  if (*has) return verdict;
  verdict.Hold = DriverHold{needed, rules->Why.empty()
                                        ? std::string("This user may not install printer drivers")
                                        : rules->Why};
  return verdict;
}

}  // namespace velloran
