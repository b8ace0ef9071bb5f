#pragma once
// The queues of the local scheduler, over IPP.

#include <chrono>

#include "platform/cups/QueueStore.h"

namespace velloran::cups {

class SchedulerStore : public QueueStore {
 public:
  explicit SchedulerStore(std::chrono::milliseconds descriptionWait)
      : descriptionWait_(descriptionWait) {}

  Result<std::vector<Queue>> List() override;
  Status Describe(Queue& q) override;
  Status Delete(const std::string& name) override;
  Status Create(const Queue& q, bool driverless) override;
  Result<std::string> SystemDefault() override;
  Status SetSystemDefault(const std::string& name) override;
  Result<std::optional<std::string>> UserDefault() override;
  Status SetUserDefault(const std::string& name) override;
  Result<std::vector<int>> UnfinishedJobs(const std::string& name) override;
  Status CreateHolding(const std::string& name, const std::string& info) override;
  Status MoveJob(int id, const std::string& to) override;
  bool DeletesForReal() const override { return true; }

 private:
  Status Connect();
  Status AwaitDescription(const std::string& name);
  Status KeepSharing(const Queue& q);
  static void CopySettings(ipp_t* request, const Queue& q, const std::vector<std::string>& names);

  std::chrono::milliseconds descriptionWait_;
  HttpPtr http_;
};

}  // namespace velloran::cups
