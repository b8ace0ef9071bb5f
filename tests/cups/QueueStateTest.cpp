// The queue state folder: the lock that keeps runs apart, and the saved
// queues root puts back only when they are root's own word.

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/cups/CupsNetwork.h"
#include "platform/cups/SavedQueue.h"
#include "tests/cups/CupsSafetyFixture.h"

namespace velloran::test {
namespace {

using namespace std::chrono_literals;

TEST_F(CupsSafety, ARunWaitsForTheOneWorkingOnTheQueuesAndGivesUpAfterItsBound) {
  client.AddQueue("Laser", Uri(kOld, "Laser"), false);
  auto first = std::move(*MakeCupsNetwork(false, 30s, 1s));
  ASSERT_TRUE(first->Create("WScript.Network").ok());
  // One run makes as many objects as it likes.
  ASSERT_TRUE(first->Create("WScript.Network").ok());

  auto second = std::move(*MakeCupsNetwork(false, 30s, 1s));
  const auto before = std::chrono::steady_clock::now();
  auto refused = second->Create("WScript.Network");
  const auto waited = std::chrono::steady_clock::now() - before;
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().Number, 170);
  EXPECT_TRUE(Contains(refused.error().Description, (state / "queues/run.lock").string()))
      << refused.error().Description;
  EXPECT_TRUE(Contains(refused.error().Description, "Another run")) << refused.error().Description;
  EXPECT_GE(waited, 1s);
  EXPECT_LT(waited, 5s);

  // Within its bound, a run goes on once the other has ended.
  auto third = std::move(*MakeCupsNetwork(false, 30s, 10s));
  std::thread ending([&] {
    std::this_thread::sleep_for(300ms);
    first.reset();
  });
  auto made = third->Create("WScript.Network");
  ending.join();
  ASSERT_TRUE(made.ok()) << made.error().Description;
  EXPECT_EQ((*made)->EnumPrinterConnections()->size(), 2u);

  // A rehearsal changes nothing and waits for nobody.
  auto whatIf = std::move(*MakeCupsNetwork(true, 30s, 1s));
  EXPECT_TRUE(whatIf->Create("WScript.Network").ok());
}

TEST(SavedQueueFile, IsPutBackOnlyWhenNobodyButItsOwnerMayChangeIt) {
  TempDir state;
  ::setenv("VELLORAN_QUEUE_STATE", (state / "queues").c_str(), 1);
  auto saved = cups::SaveQueue(cups::MakeQueue("Laser", "ipp://127.0.0.9:631/printers/Laser"));
  ASSERT_TRUE(saved.ok()) << saved.error().Description;

  struct Case {
    fs::perms mode;
    bool loaded;
  };
  const Case cases[] = {
      {fs::perms(0600), true},  {fs::perms(0640), true},  {fs::perms(0644), true},
      {fs::perms(0660), false}, {fs::perms(0620), false}, {fs::perms(0606), false},
      {fs::perms(0602), false}, {fs::perms(0666), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    const fs::path copy = state / "copy.queue";
    fs::copy_file(*saved, copy, fs::copy_options::overwrite_existing);
    fs::permissions(copy, c.mode);
    auto loaded = cups::LoadSavedQueue(copy.string());
    EXPECT_EQ(loaded.ok(), c.loaded) << (loaded.ok() ? "" : loaded.error().Description);
    if (!c.loaded && !loaded.ok()) {
      EXPECT_TRUE(Contains(loaded.error().Description, "others may change it"))
          << loaded.error().Description;
    }
  }

  // Nor when it is another user's file, or a link to a good one.
  if (::geteuid() == 0) {
    const fs::path theirs = state / "theirs.queue";
    fs::copy_file(*saved, theirs);
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(cups::LoadSavedQueue(theirs.string()).ok());
  }
  fs::create_symlink(*saved, state / "link.queue");
  EXPECT_FALSE(cups::LoadSavedQueue((state / "link.queue").string()).ok());
  EXPECT_TRUE(cups::LoadSavedQueue(*saved).ok());
}

}  // namespace
}  // namespace velloran::test
