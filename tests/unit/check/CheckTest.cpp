// The target check's logic against an in-memory lister: which servers are
// asked, how their answers decide each target, and the deadlines, cancel
// and progress of the parallel run.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "check/CheckRun.h"
#include "check/Report.h"
#include "common/modINIDocument.h"

namespace velloran::check {
namespace {

using namespace std::chrono_literals;

ServerAnswer Listed(std::vector<Share> shares) {
  return ServerAnswer{ServerState::Answered, {}, std::move(shares), true, {}, false};
}
ServerAnswer Failing(ServerState state, std::string detail) {
  return ServerAnswer{state, std::move(detail), {}, false, {}, false};
}
Share Printer(std::string name) { return Share{std::move(name), ShareKind::Printer, {}, false}; }
Share Disk(std::string name) { return Share{std::move(name), ShareKind::Disk, {}, false}; }

// Answers from a table; a server listed in `hang` answers only when the
// test releases it (or never).
class FakeLister : public ShareLister {
 public:
  std::map<std::string, ServerAnswer> Answers;
  std::vector<std::string> Hang;

  ServerAnswer Ask(const ServerQuestion& q, Clock::time_point) override {
    std::unique_lock<std::mutex> hold(lock_);
    asked_.push_back(q);
    if (std::find(Hang.begin(), Hang.end(), q.Server) != Hang.end())
      released_.wait(hold, [this] { return release_; });
    auto it = Answers.find(q.Server);
    return it == Answers.end() ? Failing(ServerState::Unreachable, "unknown host") : it->second;
  }
  std::vector<ServerQuestion> Asked() {
    std::lock_guard<std::mutex> hold(lock_);
    return asked_;
  }
  void Release() {
    std::lock_guard<std::mutex> hold(lock_);
    release_ = true;
    released_.notify_all();
  }

 private:
  std::mutex lock_;
  std::condition_variable released_;
  bool release_ = false;
  std::vector<ServerQuestion> asked_;
};

struct Row {
  std::string path;
  TargetStatus status;
  bool operator==(const Row&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Row& r) {
  return o << r.path << " " << StatusName(r.status);
}

std::vector<Row> Rows(const std::vector<Target>& targets) {
  std::vector<Row> out;
  for (const Target& t : targets) out.push_back(Row{t.Path(), t.Status});
  return out;
}

struct TargetCheck : ::testing::Test {
  INISettings settings;
  std::shared_ptr<FakeLister> lister = std::make_shared<FakeLister>();
  CheckOptions options;

  void SetUp() override { ResetINISettings(settings); }
  CheckResult Run() { return RunCheck(settings, lister, options); }
};

TEST_F(TargetCheck, EachServerIsAskedOnceForEverythingItsTargetsNeed) {
  settings.ServerPairs = {{"OLD", "NEW"}, {"old2", "new"}};
  settings.PrinterPairs = {{"P", "Q"}};
  settings.MixedPairs = {{"OLD", "X", "Y", "NEW"}, {"A", "B", "C", "MIX"}, {"A", "B", "y", "New"}};
  options.PrinterServers = {"PS1", "mix"};
  const auto questions = PlanQuestions(settings, options.PrinterServers);

  std::vector<std::string> servers;
  for (const auto& q : questions) servers.push_back(q.Server);
  EXPECT_EQ(servers, (std::vector<std::string>{"OLD", "NEW", "old2", "PS1", "mix"}));
  // NEW: the whole list (servers pair) and the mixed pairs' queue once.
  EXPECT_TRUE(questions[1].WholeList);
  EXPECT_EQ(questions[1].Shares, (std::vector<std::string>{"Y"}));
  EXPECT_FALSE(questions[3].WholeList);
  EXPECT_EQ(questions[3].Shares, (std::vector<std::string>{"Q"}));
  EXPECT_EQ(questions[4].Shares, (std::vector<std::string>{"Q", "C"}));

  Run();
  EXPECT_EQ(lister->Asked().size(), questions.size());
}

TEST_F(TargetCheck, AQueueIsDecidedByItsServersAnswer) {
  settings.MixedPairs = {{"O", "P", "LASER", "S1"}, {"O", "P", "laser", "S1"},
                         {"O", "P", "GONE", "S1"},  {"O", "P", "FILES", "S1"},
                         {"O", "P", "IPC$", "S1"},  {"O", "P", "SECRET", "S1"},
                         {"O", "P", "LASER", "S2"}, {"O", "P", "LASER", "S3"}};
  ServerAnswer s1 =
      Listed({Printer("Laser"), Disk("Files"), Share{"IPC$", ShareKind::Other, {}, false}});
  s1.Denied = {"secret"};
  lister->Answers = {{"S1", s1},
                     {"S2", Failing(ServerState::Unreachable, "Connection refused")},
                     {"S3", Failing(ServerState::AccessDenied, "Permission denied")}};
  const CheckResult r = Run();
  EXPECT_EQ(Rows(r.Targets), (std::vector<Row>{
                                 {"\\\\S1\\LASER", TargetStatus::Found},
                                 {"\\\\S1\\laser", TargetStatus::Found},
                                 {"\\\\S1\\GONE", TargetStatus::Missing},
                                 {"\\\\S1\\FILES", TargetStatus::NotAPrinter},
                                 {"\\\\S1\\IPC$", TargetStatus::NotAPrinter},
                                 {"\\\\S1\\SECRET", TargetStatus::AccessDenied},
                                 {"\\\\S2\\LASER", TargetStatus::Unreachable},
                                 {"\\\\S3\\LASER", TargetStatus::AccessDenied},
                             }));
  EXPECT_EQ(r.Targets[6].Detail, "Connection refused");
  EXPECT_FALSE(r.AllFound());
}

TEST_F(TargetCheck, AServersPairNeedsEveryPrinterShareOfTheOldServerOnTheNewOne) {
  settings.ServerPairs = {{"OLD", "NEW"}, {"OLD", "BARE"}, {"OLD", "DOWN"}};
  lister->Answers = {
      {"OLD", Listed({Printer("A"), Printer("B"), Printer("C"), Disk("Home")})},
      {"NEW", Listed({Printer("a"), Disk("B"), Printer("Z")})},
      {"BARE", Listed({Disk("Home")})},
      {"DOWN", Failing(ServerState::Unreachable, "no answer")},
  };
  const CheckResult r = Run();
  EXPECT_EQ(Rows(r.Targets), (std::vector<Row>{
                                 {"\\\\NEW\\A", TargetStatus::Found},
                                 {"\\\\NEW\\B", TargetStatus::NotAPrinter},
                                 {"\\\\NEW\\C", TargetStatus::Missing},
                                 {"\\\\BARE\\A", TargetStatus::Missing},
                                 {"\\\\BARE\\B", TargetStatus::Missing},
                                 {"\\\\BARE\\C", TargetStatus::Missing},
                                 {"\\\\DOWN\\A", TargetStatus::Unreachable},
                                 {"\\\\DOWN\\B", TargetStatus::Unreachable},
                                 {"\\\\DOWN\\C", TargetStatus::Unreachable},
                             }));
  EXPECT_EQ(PairLabel(r.Targets[3]), "servers 2: OLD -> BARE");
}

TEST_F(TargetCheck, WithoutTheOldServersListTheNewServerMustOfferPrinters) {
  settings.ServerPairs = {{"GONE", "NEW"}, {"GONE", "BARE"}, {"EMPTY", "NEW"}, {"GONE", "DENIED"}};
  lister->Answers = {
      {"NEW", Listed({Printer("A")})},
      {"BARE", Listed({Disk("Home")})},
      {"EMPTY", Listed({Disk("Home")})},
      {"DENIED", Failing(ServerState::AccessDenied, "Permission denied")},
  };
  const CheckResult r = Run();
  EXPECT_EQ(Rows(r.Targets), (std::vector<Row>{
                                 {"\\\\NEW", TargetStatus::Found},
                                 {"\\\\BARE", TargetStatus::Missing},
                                 {"\\\\NEW", TargetStatus::Found},
                                 {"\\\\DENIED", TargetStatus::AccessDenied},
                             }));
  // The row says why the queues could not be compared.
  EXPECT_NE(r.Targets[0].Detail.find("unknown host"), std::string::npos);
  EXPECT_NE(r.Targets[1].Detail.find("unknown host"), std::string::npos);
  EXPECT_FALSE(r.Targets[2].Detail.empty());
}

TEST_F(TargetCheck, PrintersPairsAreCheckedOnTheNamedServersOnly) {
  settings.PrinterPairs = {{"OLDQ", "NEWQ"}};
  CheckResult r = Run();
  EXPECT_EQ(Rows(r.Targets), (std::vector<Row>{{"NEWQ", TargetStatus::NotCheckable}}));
  EXPECT_TRUE(lister->Asked().empty());
  EXPECT_FALSE(r.AllFound());

  options.PrinterServers = {"S1", "S2"};
  lister->Answers = {{"S1", Listed({Printer("NEWQ")})}, {"S2", Listed({})}};
  r = Run();
  EXPECT_EQ(Rows(r.Targets), (std::vector<Row>{{"\\\\S1\\NEWQ", TargetStatus::Found},
                                               {"\\\\S2\\NEWQ", TargetStatus::Missing}}));
}

TEST_F(TargetCheck, NamesNoConnectionCanHaveAreMissingWithoutAsking) {
  settings.MixedPairs = {{"O", "P", "Q", "\\\\NEW"},
                         {"O", "P", std::string(kErrorToPrinter), "NEW"},
                         {"O", "P", "Q", std::string(kErrorToServer)},
                         {"O", "P", "", "NEW"},
                         {"O", "P", "Q", "TWO WORDS"}};
  settings.ServerPairs = {{"OLD", std::string(kErrorToServer)}};
  const CheckResult r = Run();
  ASSERT_EQ(r.Targets.size(), 6u);
  for (const Target& t : r.Targets) {
    SCOPED_TRACE(t.Path());
    EXPECT_EQ(t.Status, TargetStatus::Missing);
    EXPECT_FALSE(t.Detail.empty());
  }
  // Only the servers pair's old server is a name that can be asked.
  ASSERT_EQ(lister->Asked().size(), 1u);
  EXPECT_EQ(lister->Asked()[0].Server, "OLD");
}

TEST_F(TargetCheck, DriversThisComputerLacksAreListedOnceForFoundQueues) {
  settings.MixedPairs = {
      {"O", "P", "A", "S1"}, {"O", "P", "B", "S1"}, {"O", "P", "C", "S1"}, {"O", "P", "D", "S2"}};
  auto queue = [](std::string name, std::string driver, bool missing) {
    return Share{std::move(name), ShareKind::Printer, std::move(driver), missing};
  };
  lister->Answers = {
      {"S1", Listed({queue("A", "Laser PCL6", true), queue("B", "Universal PS", false),
                     queue("C", "laser pcl6", true)})},
      {"S2", Listed({queue("D", "Colour XL", true)})},
  };
  const CheckResult r = Run();
  EXPECT_TRUE(r.AllFound());
  EXPECT_EQ(DriversToInstall(r.Targets), (std::vector<std::string>{"Laser PCL6", "Colour XL"}));
  EXPECT_NE(r.Targets[0].Detail.find("Laser PCL6"), std::string::npos);
}

TEST_F(TargetCheck, EveryTargetFoundIsSuccess) {
  settings.MixedPairs = {{"O", "P", "Q", "NEW"}};
  lister->Answers = {{"NEW", Listed({Printer("Q")})}};
  EXPECT_TRUE(Run().AllFound());
}

TEST_F(TargetCheck, AServerThatNeverAnswersIsGivenUpAtItsDeadline) {
  settings.MixedPairs = {
      {"O", "P", "Q", "SILENT"}, {"O", "P", "Q", "NEW"}, {"O", "P", "Q", "LATE"}};
  // A lister that notices the deadline itself is worded like the check.
  ServerAnswer late = Failing(ServerState::Unreachable, "Connection timed out");
  late.TimedOut = true;
  lister->Answers = {{"NEW", Listed({Printer("Q")})}, {"LATE", late}};
  lister->Hang = {"SILENT"};
  options.Timeout = 200ms;
  const auto start = Clock::now();
  const CheckResult r = Run();
  const auto took = Clock::now() - start;
  lister->Release();
  EXPECT_EQ(Rows(r.Targets), (std::vector<Row>{{"\\\\SILENT\\Q", TargetStatus::Unreachable},
                                               {"\\\\NEW\\Q", TargetStatus::Found},
                                               {"\\\\LATE\\Q", TargetStatus::Unreachable}}));
  EXPECT_EQ(r.Targets[0].Detail, "no answer within 0.2 s");
  EXPECT_EQ(r.Targets[2].Detail, r.Targets[0].Detail);
  EXPECT_EQ(r.Abandoned, 1u);
  EXPECT_GE(took, 200ms);
  EXPECT_LT(took, 5s);
}

TEST_F(TargetCheck, ServersBeyondTheParallelLimitGetTheirOwnFullTime) {
  // One slot: the silent server's deadline must not eat into the next one's.
  settings.MixedPairs = {{"O", "P", "Q", "SILENT"}, {"O", "P", "Q", "SLOW"}};
  lister->Hang = {"SILENT"};
  options.Parallel = 1;
  options.Timeout = 200ms;
  struct Slow : ShareLister {
    std::shared_ptr<FakeLister> inner;
    ServerAnswer Ask(const ServerQuestion& q, Clock::time_point deadline) override {
      if (q.Server == "SLOW") {
        std::this_thread::sleep_for(100ms);
        return Listed({Printer("Q")});
      }
      return inner->Ask(q, deadline);
    }
  };
  auto slow = std::make_shared<Slow>();
  slow->inner = lister;
  const CheckResult r = RunCheck(settings, slow, options);
  lister->Release();
  EXPECT_EQ(Rows(r.Targets), (std::vector<Row>{{"\\\\SILENT\\Q", TargetStatus::Unreachable},
                                               {"\\\\SLOW\\Q", TargetStatus::Found}}));
}

TEST_F(TargetCheck, CancelEndsTheCheckWithoutWaitingAndProgressCountsAnswers) {
  settings.MixedPairs = {{"O", "P", "Q", "A"}, {"O", "P", "Q", "B"}, {"O", "P", "Q", "SILENT"}};
  lister->Answers = {{"A", Listed({})}, {"B", Listed({})}};
  lister->Hang = {"SILENT"};
  options.Timeout = 60s;
  std::atomic<bool> cancel = false;
  std::vector<std::pair<size_t, size_t>> seen;
  options.Cancel = &cancel;
  options.Progress = [&](size_t done, size_t total) {
    seen.emplace_back(done, total);
    if (done == 2) cancel = true;
  };
  const auto start = Clock::now();
  const CheckResult r = Run();
  lister->Release();
  EXPECT_LT(Clock::now() - start, 5s);
  EXPECT_TRUE(r.Cancelled);
  EXPECT_FALSE(r.AllFound());
  EXPECT_TRUE(r.Targets.empty());
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), (std::pair<size_t, size_t>{0, 3}));
  EXPECT_EQ(seen.back(), (std::pair<size_t, size_t>{2, 3}));
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i].first, seen[i - 1].first);
}

// The summary counts targets: a count of several reads as several targets,
// not as one server or one printer.
TEST(SummaryLine, CountsReadAsTargets) {
  using S = TargetStatus;
  const struct {
    std::vector<S> statuses;
    std::string line;
  } cases[] = {
      {{S::Found, S::Found}, "2 of 2 targets found."},
      {{S::Found, S::Unreachable}, "1 of 2 targets found, 1 server unreachable."},
      {{S::Unreachable, S::Unreachable, S::Missing},
       "0 of 3 targets found, 1 missing, 2 on unreachable servers."},
      {{S::NotAPrinter, S::NotAPrinter, S::NotAPrinter}, "0 of 3 targets found, 3 not printers."},
      {{S::AccessDenied, S::AccessDenied, S::NotCheckable, S::NotCheckable},
       "0 of 4 targets found, 2 access denied, 2 not checkable."},
  };
  for (const auto& c : cases) {
    std::vector<Target> targets;
    for (S status : c.statuses) {
      Target t;
      t.Status = status;
      targets.push_back(t);
    }
    EXPECT_EQ(SummaryLine(targets), c.line);
  }
}

}  // namespace
}  // namespace velloran::check
