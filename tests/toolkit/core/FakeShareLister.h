#pragma once
// Print servers in memory for the toolkit's check: each server answers from
// a table, and a server listed in `Hang` holds its answer until the test
// releases it, so that a check can be watched and cancelled mid-way.

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "check/ShareLister.h"

namespace velloran::test {

class FakeShareLister : public check::ShareLister {
 public:
  static check::Share Printer(std::string name) {
    return {std::move(name), check::ShareKind::Printer, {}, false};
  }
  static check::Share Disk(std::string name) {
    return {std::move(name), check::ShareKind::Disk, {}, false};
  }
  static check::ServerAnswer Offers(std::vector<check::Share> shares) {
    return {check::ServerState::Answered, {}, std::move(shares), true, {}, false};
  }

  /// Sets a server's answer; thread-safe so that a test may do it while
  /// another check still holds a thread.
  void Serve(const std::string& server, check::ServerAnswer answer) {
    std::lock_guard<std::mutex> hold(lock_);
    answers_[server] = std::move(answer);
  }
  void HangOn(const std::string& server) {
    std::lock_guard<std::mutex> hold(lock_);
    hang_.push_back(server);
  }
  void Release() {
    std::lock_guard<std::mutex> hold(lock_);
    released_ = true;
    changed_.notify_all();
  }
  std::vector<std::string> Asked() {
    std::lock_guard<std::mutex> hold(lock_);
    return asked_;
  }

  check::ServerAnswer Ask(const check::ServerQuestion& q, check::Clock::time_point) override {
    std::unique_lock<std::mutex> hold(lock_);
    asked_.push_back(q.Server);
    if (std::find(hang_.begin(), hang_.end(), q.Server) != hang_.end())
      changed_.wait(hold, [this] { return released_; });
    auto it = answers_.find(q.Server);
    if (it != answers_.end()) return it->second;
    return {check::ServerState::Unreachable, "no such host", {}, false, {}, false};
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool released_ = false;
  std::map<std::string, check::ServerAnswer> answers_;
  std::vector<std::string> hang_, asked_;
};

}  // namespace velloran::test
