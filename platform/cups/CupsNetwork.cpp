// The CUPS backend's entry: one queue store per object, or one shared
// rehearsal copy for every object of a run.

#include "platform/cups/CupsNetwork.h"

#include <unistd.h>

#include "platform/cups/CupsNetworkObject.h"
#include "platform/cups/RehearsalStore.h"
#include "platform/cups/RunLock.h"

namespace velloran {

namespace {

class CupsFactory : public NetworkObjectFactory {
 public:
  CupsFactory(bool rehearse, std::chrono::milliseconds descriptionWait,
              std::chrono::milliseconds lockWait)
      : descriptionWait_(descriptionWait), lockWait_(lockWait) {
    cupsSetPasswordCB2(cups::NoPassword, nullptr);
    if (rehearse) rehearsal_ = std::make_shared<cups::RehearsalStore>();
  }
  ~CupsFactory() override = default;

  Result<std::unique_ptr<NetworkObject>> Create(std::string_view) override {
    std::shared_ptr<cups::QueueStore> store = rehearsal_;
    if (!store) {
      // The whole run holds it, from the first look at the queues on: what
      // the run decides from that look must still hold when it acts.
      if (!lock_) {
        auto lock = cups::RunLock::Take(lockWait_);
        if (!lock) return lock.error();
        lock_ = std::move(*lock);
      }
      store = std::make_shared<cups::SchedulerStore>(descriptionWait_);
    }
    return std::unique_ptr<NetworkObject>(
        std::make_unique<cups::CupsNetworkObject>(std::move(store), afterGoodRun_));
  }

  void RunEnded(bool succeeded) override {
    if (succeeded)
      for (const std::string& file : *afterGoodRun_) ::unlink(file.c_str());
    afterGoodRun_->clear();
  }

 private:
  std::chrono::milliseconds descriptionWait_;
  std::chrono::milliseconds lockWait_;
  std::shared_ptr<cups::RehearsalStore> rehearsal_;
  std::unique_ptr<cups::RunLock> lock_;
  std::shared_ptr<std::vector<std::string>> afterGoodRun_ =
      std::make_shared<std::vector<std::string>>();
};

}  // namespace

Result<std::unique_ptr<NetworkObjectFactory>> MakeCupsNetwork(
    bool rehearse, std::chrono::milliseconds descriptionWait, std::chrono::milliseconds lockWait) {
  return std::unique_ptr<NetworkObjectFactory>(
      std::make_unique<CupsFactory>(rehearse, descriptionWait, lockWait));
}

}  // namespace velloran
