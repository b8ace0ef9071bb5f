#pragma once
// The client and servers of CupsMachines with a shared queue "Laser" on
// both servers.

#include <filesystem>

#include "platform/cups/CupsNetwork.h"
#include "tests/cups/CupsFixture.h"

namespace velloran::test {

namespace fs = std::filesystem;

struct CupsSafety : CupsMachines {
  std::unique_ptr<NetworkObjectFactory> factory;

  void SetUp() override {
    CupsMachines::SetUp();
    oldServer.AddSharedQueue("Laser");
    newServer.AddSharedQueue("Laser");
  }

  std::unique_ptr<NetworkObject> Object() {
    factory = std::move(*MakeCupsNetwork());
    return std::move(*factory->Create("WScript.Network"));
  }

  /// The saved queues of the queue state folder (which also holds the
  /// runs' lock).
  std::vector<fs::path> SavedFiles() const {
    std::vector<fs::path> files;
    if (fs::exists(state / "queues"))
      for (const auto& e : fs::directory_iterator(state / "queues"))
        if (e.path().filename() != "run.lock") files.push_back(e.path());
    return files;
  }

  /// One held and one pending job on a stopped queue, where they wait.
  void TwoJobsWaitIn(const std::string& queue) {
    client.Command("cupsdisable", {queue});
    WriteFile(home / "page.txt", "hello\n");
    client.Command("lp", {"-d", queue, "-H", "indefinite", (home / "page.txt").string()});
    client.Command("lp", {"-d", queue, (home / "page.txt").string()});
  }
};

}  // namespace velloran::test
