#pragma once
// A rehearsal: the scheduler's queues read once, then changed in memory.

#include "platform/cups/SchedulerStore.h"

namespace velloran::cups {

class RehearsalStore : public QueueStore {
 public:
  RehearsalStore() : live_(std::chrono::seconds(0)) {}

  Result<std::vector<Queue>> List() override {
    if (Status s = Load(); !s.ok()) return s.error();
    return queues_;
  }
  Status Describe(Queue&) override { return Load(); }
  Status Delete(const std::string& name) override {
    if (Status s = Load(); !s.ok()) return s;
    std::erase_if(queues_, [&](const Queue& q) { return q.Name == name; });
    if (systemDefault_ == name) systemDefault_.clear();
    return Status::Ok();
  }
  Status Create(const Queue& q, bool) override {
    if (Status s = Load(); !s.ok()) return s;
    queues_.push_back(MakeQueue(q.Name, q.DeviceUri));
    return Status::Ok();
  }
  Result<std::string> SystemDefault() override {
    if (Status s = Load(); !s.ok()) return s.error();
    return systemDefault_;
  }
  Status SetSystemDefault(const std::string& name) override {
    systemDefault_ = name;
    return Status::Ok();
  }
  Result<std::optional<std::string>> UserDefault() override {
    if (Status s = Load(); !s.ok()) return s.error();
    if (userDefaultError_) return *userDefaultError_;
    return userDefault_;
  }
  Status SetUserDefault(const std::string& name) override {
    if (userDefaultError_) return *userDefaultError_;
    userDefault_ = name;
    return Status::Ok();
  }

  // Nothing is deleted for real, so no job needs a place to wait.
  Result<std::vector<int>> UnfinishedJobs(const std::string&) override {
    return std::vector<int>();
  }
  Status CreateHolding(const std::string&, const std::string&) override { return Status::Ok(); }
  Status MoveJob(int, const std::string&) override { return Status::Ok(); }
  bool DeletesForReal() const override { return false; }

 private:
  Status Load() {
    if (loaded_) return Status::Ok();
    auto queues = live_.List();
    if (!queues) return queues.error();
    auto systemDefault = live_.SystemDefault();
    if (!systemDefault) return systemDefault.error();
    queues_ = std::move(*queues);
    systemDefault_ = std::move(*systemDefault);
    auto user = live_.UserDefault();
    if (user)
      userDefault_ = *user;
    else
      userDefaultError_ = user.error();
    loaded_ = true;
    return Status::Ok();
  }

  SchedulerStore live_;
  bool loaded_ = false;
  std::vector<Queue> queues_;
  std::string systemDefault_;
  std::optional<std::string> userDefault_;
  std::optional<PlatformError> userDefaultError_;
};

}  // namespace velloran::cups
