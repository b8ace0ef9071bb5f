#include "check/CheckRun.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/CodePage.h"

namespace velloran::check {

namespace {

// What the asking threads share with the check. A thread that is given up
// keeps it alive until it returns, and its late answer lands in a slot no
// one reads any more.
struct Board {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<std::optional<ServerAnswer>> answers;
};

struct Running {
  size_t index;
  Clock::time_point deadline;
  std::thread thread;
};

std::string Seconds(std::chrono::milliseconds ms) {
  const auto tenths = (ms.count() + 50) / 100;
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10) text += "." + std::to_string(tenths % 10);
  return text + " s";
}

}  // namespace

bool CheckResult::AllFound() const {
  return !Cancelled && std::all_of(Targets.begin(), Targets.end(),
                                   [](const Target& t) { return t.Status == TargetStatus::Found; });
}

CheckResult RunCheck(const INISettings& settings, std::shared_ptr<ShareLister> lister,
                     const CheckOptions& options) {
  const std::vector<ServerQuestion> questions = PlanQuestions(settings, options.PrinterServers);
  auto board = std::make_shared<Board>();
  board->answers.resize(questions.size());
  std::vector<std::optional<ServerAnswer>> decided(questions.size());

  CheckResult result;
  result.Servers = questions.size();
  const size_t parallel = std::max<size_t>(1, options.Parallel);
  std::vector<Running> running;
  size_t next = 0, done = 0, reported = 0;
  const std::string silence = "no answer within " + Seconds(options.Timeout);
  auto cancelled = [&] { return options.Cancel && options.Cancel->load(); };
  auto giveUp = [&](Running& r) {
    r.thread.detach();
    ++result.Abandoned;
  };

  // A window shows its bar from the start, before the first answer.
  if (options.Progress && !questions.empty()) options.Progress(0, questions.size());
  while (done < questions.size()) {
    while (running.size() < parallel && next < questions.size()) {
      const size_t i = next++;
      const Clock::time_point deadline = Clock::now() + options.Timeout;
      running.push_back(
          Running{i, deadline, std::thread([board, lister, q = questions[i], i, deadline] {
                    ServerAnswer answer = lister->Ask(q, deadline);
                    std::lock_guard<std::mutex> hold(board->lock);
                    board->answers[i] = std::move(answer);
                    board->changed.notify_all();
                  })});
    }
    Clock::time_point wake =
        std::min_element(running.begin(), running.end(), [](const Running& a, const Running& b) {
          return a.deadline < b.deadline;
        })->deadline;
    // A cancel flag has no way to wake us: look at it often.
    if (options.Cancel) wake = std::min(wake, Clock::now() + std::chrono::milliseconds(50));

    std::unique_lock<std::mutex> hold(board->lock);
    board->changed.wait_until(hold, wake, [&] {
      return std::any_of(running.begin(), running.end(),
                         [&](const Running& r) { return board->answers[r.index].has_value(); });
    });
    const Clock::time_point now = Clock::now();
    for (auto it = running.begin(); it != running.end();) {
      if (board->answers[it->index]) {
        decided[it->index] = std::move(*board->answers[it->index]);
        if (decided[it->index]->TimedOut) decided[it->index]->Detail = silence;
        hold.unlock();
        it->thread.join();
        hold.lock();
      } else if (now >= it->deadline) {
        ServerAnswer late;
        late.State = ServerState::Unreachable;
        late.Detail = silence;
        late.TimedOut = true;
        decided[it->index] = std::move(late);
        giveUp(*it);
      } else {
        ++it;
        continue;
      }
      ++done;
      it = running.erase(it);
    }
    hold.unlock();
    if (cancelled()) {
      for (Running& r : running) giveUp(r);
      result.Cancelled = true;
      return result;
    }
    if (options.Progress && done != reported) options.Progress(reported = done, questions.size());
  }

  result.Targets = DecideTargets(settings, options.PrinterServers,
                                 [&](std::string_view server) -> const ServerAnswer* {
                                   for (size_t i = 0; i < questions.size(); ++i)
                                     if (SameText(questions[i].Server, server) && decided[i])
                                       return &*decided[i];
                                   return nullptr;
                                 });
  return result;
}

}  // namespace velloran::check
