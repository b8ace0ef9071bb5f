// A share of 5,000 clients, as a large site leaves it after a migration:
// one output file and one debug file per computer.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "tests/support/Fakes.h"
#include "tests/support/FleetShare.h"
#include "tools/FleetReport.h"

namespace velloran::fleet {
namespace {

namespace fs = std::filesystem;

TEST(FleetScale, FiveThousandClientsAreReadInAFewSeconds) {
  constexpr int kClients = 5000;
  test::TempDir share;
  const test::FleetShareFacts fleet = test::WriteFleetShare(share.path(), kClients);
  const std::vector<std::string>& listed = fleet.Listed;
  const int expectFailed = fleet.Failed, expectUnseen = fleet.Unseen;
  test::WriteFile(share.path() / "VelloranEngine.exe", "MZ");

  ReadOptions options;
  options.Computers = listed;
  options.HaveComputerList = true;
  const auto start = std::chrono::steady_clock::now();
  FleetSummary s = ReadShare(share.path().string(), options);
  const std::string table = RenderTable(s);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("read %d output and %d debug files of %zu computers in %.2f s\n", s.OutputFiles,
              s.DebugFiles, s.Computers.size(), seconds);

  EXPECT_EQ(s.Computers.size(), static_cast<size_t>(kClients - expectUnseen));
  EXPECT_EQ(s.Count(Outcome::Failed), expectFailed);
  EXPECT_EQ(s.NotSeen.size(), static_cast<size_t>(expectUnseen));
  EXPECT_TRUE(s.Problems.empty()) << s.Problems.front().Path << ": " << s.Problems.front().Reason;
  ASSERT_EQ(s.Causes.size(), 1u);
  EXPECT_EQ(s.Causes[0].Targets.at("\\\\NEWSRV1\\ACCOUNTING").size(),
            static_cast<size_t>(expectFailed));
  // Every failed computer still has ACCOUNTING on OLDSRV1; PRINTSRV was
  // never moved away from, so its plotter does not count.
  EXPECT_NE(table.find("\\\\OLDSRV1\n      ACCOUNTING  " + std::to_string(expectFailed) + ": "),
            std::string::npos)
      << table;
  EXPECT_EQ(table.find("PRINTSRV"), std::string::npos);
  // About a second on an idle machine; the bounds leave room for a busy one
  // and for the sanitizer build, which runs this test unoptimised.
#if defined(__SANITIZE_ADDRESS__)
  EXPECT_LT(seconds, 90.0);
#else
  EXPECT_LT(seconds, 15.0);
#endif
}

}  // namespace
}  // namespace velloran::fleet
