// Moves whose steps fail half-way against a real scheduler: a job that cannot
// move, a delete refused for one of several queues, a roll-back that fails.

#include <sys/stat.h>

#include "platform/cups/CupsNetworkObject.h"
#include "platform/cups/SchedulerStore.h"
#include "tests/cups/CupsSafetyFixture.h"

namespace velloran::test {
namespace {

// The scheduler with one step made to fail, as a full disk, a queue deleted
// meanwhile or a refusing scheduler would make it fail at that point.
class FailingStore : public cups::SchedulerStore {
 public:
  FailingStore() : SchedulerStore(std::chrono::seconds(30)) {}
  std::string FailDeleteOf;
  std::string FailPutBackOf;  // a creation from the queue's own driver
  bool FailMoves = false;

  Status Delete(const std::string& name) override {
    if (name == FailDeleteOf) return PlatformError{1025, "Forbidden"};
    return SchedulerStore::Delete(name);
  }
  Status Create(const cups::Queue& q, bool driverless) override {
    if (!driverless && q.Name == FailPutBackOf) return PlatformError{1025, "Forbidden"};
    return SchedulerStore::Create(q, driverless);
  }
  Status MoveJob(int id, const std::string& to) override {
    if (FailMoves) return PlatformError{1025, "Forbidden"};
    return SchedulerStore::MoveJob(id, to);
  }
};

std::unique_ptr<NetworkObject> Over(std::shared_ptr<FailingStore> store) {
  return std::make_unique<cups::CupsNetworkObject>(std::move(store));
}

TEST_F(CupsSafety, AQueueWhoseJobsCannotMoveIsKept) {
  client.AddQueue("Laser", Uri(kOld, "Laser"), false);
  TwoJobsWaitIn("Laser");
  auto store = std::make_shared<FailingStore>();
  store->FailMoves = true;

  Status removed = Over(store)->RemovePrinterConnection(Path(kOld, "Laser"), true, true);
  ASSERT_FALSE(removed.ok());
  EXPECT_TRUE(Contains(removed.error().Description, "The queue Laser is kept"))
      << removed.error().Description;
  EXPECT_EQ(client.Devices(), (std::map<std::string, std::string>{{"Laser", Uri(kOld, "Laser")}}));
  EXPECT_EQ(Jobs("Laser"), (std::vector<std::string>{"held", "pending"}));
  EXPECT_TRUE(SavedFiles().empty());
}

TEST_F(CupsSafety, APartialDeletePutsBackTheQueuesAlreadyDeleted) {
  client.AddQueue("Laser", Uri(kOld, "Laser"), false);
  client.AddQueue("Laser-copy", Uri(kOld, "Laser"), false);
  client.Command("lpadmin", {"-p", "Laser", "-D", "Second floor", "-o", "job-k-limit=2048"});
  TwoJobsWaitIn("Laser");
  auto store = std::make_shared<FailingStore>();
  store->FailDeleteOf = "Laser-copy";

  Status removed = Over(store)->RemovePrinterConnection(Path(kOld, "Laser"), true, true);
  ASSERT_FALSE(removed.ok());
  EXPECT_EQ(removed.error().Number, 1025);
  EXPECT_EQ(client.Devices(),
            (std::map<std::string, std::string>{{"Laser", Uri(kOld, "Laser")},
                                                {"Laser-copy", Uri(kOld, "Laser")}}));
  EXPECT_EQ(Attribute("Laser", "printer-info"), "Second floor");
  EXPECT_EQ(Attribute("Laser", "job-k-limit"), "2048");
  EXPECT_EQ(Jobs("Laser"), (std::vector<std::string>{"held", "pending"}));
  EXPECT_TRUE(SavedFiles().empty());
}

TEST_F(CupsSafety, AFailedRollBackNamesTheSavedQueueAndRestoreQueuePutsItBack) {
  client.AddQueue("Laser", Uri(kOld, "Laser") + "?waitjob=false", false);
  client.Command("lpadmin", {"-p", "Laser", "-D", "Second floor", "-o", "job-page-limit=50"});
  client.Command("lpadmin", {"-d", "Laser"});
  TwoJobsWaitIn("Laser");
  auto store = std::make_shared<FailingStore>();
  store->FailPutBackOf = "Laser";
  auto network = Over(store);

  ASSERT_TRUE(network->RemovePrinterConnection(Path(kOld, "Laser"), true, true).ok());
  const auto saved = SavedFiles();
  ASSERT_EQ(saved.size(), 1u);
  // Root's alone: whoever could write there could have root restore anything.
  EXPECT_EQ(fs::status(state / "queues").permissions(), fs::perms(0700));
  EXPECT_EQ(fs::status(saved[0]).permissions(), fs::perms(0600));

  ASSERT_FALSE(network->AddWindowsPrinterConnection(Path("127.0.0.9", "Laser")).ok());
  Status back = network->AddWindowsPrinterConnection(Path(kOld, "Laser"));
  ASSERT_FALSE(back.ok());
  EXPECT_TRUE(Contains(back.error().Description, "velloran restore-queue " + saved[0].string()))
      << back.error().Description;
  EXPECT_EQ(client.Devices().count("Laser"), 0u);

  auto env = client.Env();
  auto restored = RunProcess(VELLORAN_TOOL_PATH, {"restore-queue", saved[0].string()}, env);
  ASSERT_EQ(restored.ExitCode, 0) << restored.Stderr;
  EXPECT_EQ(client.Devices(),
            (std::map<std::string, std::string>{{"Laser", Uri(kOld, "Laser") + "?waitjob=false"}}));
  EXPECT_EQ(Attribute("Laser", "printer-info"), "Second floor");
  EXPECT_EQ(Attribute("Laser", "job-page-limit"), "50");
  EXPECT_EQ(SystemDefault(), "Laser");
  EXPECT_EQ(Jobs("Laser"), (std::vector<std::string>{"held", "pending"}));

  // A queue of that name is never overwritten; what is not a saved queue
  // is refused.
  auto again = RunProcess(VELLORAN_TOOL_PATH, {"restore-queue", saved[0].string()}, env);
  EXPECT_EQ(again.ExitCode, 1);
  EXPECT_TRUE(Contains(again.Stderr, "The queue Laser exists")) << again.Stderr;
  WriteFile(state / "other", "name: Laser\n");
  fs::copy_file(saved[0], state / "shared", fs::copy_options::overwrite_existing);
  fs::permissions(state / "shared", fs::perms(0666));
  auto shared = RunProcess(VELLORAN_TOOL_PATH, {"restore-queue", (state / "shared").string()}, env);
  EXPECT_EQ(shared.ExitCode, 1);
  EXPECT_TRUE(Contains(shared.Stderr, "others may change it")) << shared.Stderr;
  auto bogus = RunProcess(VELLORAN_TOOL_PATH, {"restore-queue", (state / "other").string()}, env);
  EXPECT_EQ(bogus.ExitCode, 1);
  EXPECT_TRUE(Contains(bogus.Stderr, "is not a saved queue")) << bogus.Stderr;
}

// A later run may keep its jobs in a holding queue of the same name as the
// one a save names; restore-queue must leave that queue and its jobs alone.
TEST_F(CupsSafety, RestoreQueueLeavesAHoldingQueueItDidNotMake) {
  client.AddQueue("Laser", Uri(kOld, "Laser"), false);
  TwoJobsWaitIn("Laser");
  auto store = std::make_shared<FailingStore>();
  store->FailPutBackOf = "Laser";
  auto network = Over(store);
  ASSERT_TRUE(network->RemovePrinterConnection(Path(kOld, "Laser"), true, true).ok());
  ASSERT_FALSE(network->AddWindowsPrinterConnection(Path(kOld, "Laser")).ok());
  const auto saved = SavedFiles();
  ASSERT_EQ(saved.size(), 1u);
  auto devices = client.Devices();
  devices.erase("Laser");
  ASSERT_EQ(devices.size(), 1u) << "the holding queue";
  const std::string holding = devices.begin()->first;

  // Another run's holding queue in its place, described as that run would.
  client.Command("lpadmin", {"-x", holding});
  client.AddQueue(holding, "file:///dev/null", false);
  client.Command("lpadmin", {"-p", holding, "-D", "Jobs of Laser while it is replaced"});
  client.Command("cupsdisable", {holding});
  client.Command("lp", {"-d", holding, "-H", "indefinite", (home / "page.txt").string()});

  auto restored =
      RunProcess(VELLORAN_TOOL_PATH, {"restore-queue", saved[0].string()}, client.Env());
  ASSERT_EQ(restored.ExitCode, 0) << restored.Stderr;
  EXPECT_TRUE(Contains(restored.Stdout, holding)) << restored.Stdout;
  auto after = client.Devices();
  EXPECT_EQ(after.size(), 2u);
  EXPECT_EQ(after["Laser"], Uri(kOld, "Laser"));
  EXPECT_EQ(after.count(holding), 1u);
  EXPECT_EQ(Jobs(holding), (std::vector<std::string>{"held"}));
  EXPECT_TRUE(Jobs("Laser").empty());
}

// A queue whose connection the machine has already is deleted and not made
// again: until the run has ended well, its saved copy is the only way back.
TEST_F(CupsSafety, AQueueMergedIntoAnExistingConnectionKeepsItsSavedCopyUntilTheRunEndsWell) {
  client.AddQueue("Laser-new", Uri(kNew, "Laser"), false);
  auto mergeLaser = [&] {
    client.AddQueue("Laser", Uri(kOld, "Laser"), false);
    client.Command("lpadmin", {"-p", "Laser", "-D", "Second floor"});
    auto network = Object();
    ASSERT_TRUE(network->RemovePrinterConnection(Path(kOld, "Laser"), true, true).ok());
    Status added = network->AddWindowsPrinterConnection(Path(kNew, "Laser"));
    ASSERT_TRUE(added.ok()) << added.error().Description;
    ASSERT_EQ(client.Devices().count("Laser"), 0u);
  };

  mergeLaser();
  ASSERT_EQ(SavedFiles().size(), 1u);
  factory->RunEnded(false);
  factory.reset();  // the run is over: its lock goes
  const auto saved = SavedFiles();
  ASSERT_EQ(saved.size(), 1u) << "a failed run keeps it";
  auto restored =
      RunProcess(VELLORAN_TOOL_PATH, {"restore-queue", saved[0].string()}, client.Env());
  ASSERT_EQ(restored.ExitCode, 0) << restored.Stderr;
  EXPECT_EQ(Attribute("Laser", "printer-info"), "Second floor");
  client.Command("lpadmin", {"-x", "Laser"});
  fs::remove(saved[0]);

  mergeLaser();
  ASSERT_EQ(SavedFiles().size(), 1u);
  factory->RunEnded(true);
  EXPECT_TRUE(SavedFiles().empty()) << "a good run is done with it";
}

}  // namespace
}  // namespace velloran::test
