// The CUPS backend's entry: one queue store per object, or one shared
// rehearsal copy for every object of a run.

#include "platform/cups/CupsNetwork.h"

#include "platform/cups/CupsNetworkObject.h"
#include "platform/cups/RehearsalStore.h"

namespace velloran {

namespace {

class CupsFactory : public NetworkObjectFactory {
 public:
  CupsFactory(bool rehearse, std::chrono::milliseconds descriptionWait)
      : descriptionWait_(descriptionWait) {
    cupsSetPasswordCB2(cups::NoPassword, nullptr);
    if (rehearse) rehearsal_ = std::make_shared<cups::RehearsalStore>();
  }
  Result<std::unique_ptr<NetworkObject>> Create(std::string_view) override {
    std::shared_ptr<cups::QueueStore> store = rehearsal_;
    if (!store) store = std::make_shared<cups::SchedulerStore>(descriptionWait_);
    return std::unique_ptr<NetworkObject>(
        std::make_unique<cups::CupsNetworkObject>(std::move(store)));
  }

 private:
  std::chrono::milliseconds descriptionWait_;
  std::shared_ptr<cups::RehearsalStore> rehearsal_;
};

}  // namespace

Result<std::unique_ptr<NetworkObjectFactory>> MakeCupsNetwork(
    bool rehearse, std::chrono::milliseconds descriptionWait) {
  return std::unique_ptr<NetworkObjectFactory>(
      std::make_unique<CupsFactory>(rehearse, descriptionWait));
}

}  // namespace velloran
