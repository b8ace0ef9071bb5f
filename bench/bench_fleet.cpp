// velloran summary over a large share, with the fleet page written, against
// the time it takes just to read the same share's bytes (tar into wc): the
// summary should cost little more than reading what it summarises.
//
// The share (100,000 files: an output and a debug file for each of 50,000
// computers, 505 more listed but never seen) is written once per run into
// the temp folder, or taken from VELLORAN_BENCH_SHARE when that names a
// folder a previous run left (VELLORAN_BENCH_KEEP=1 keeps it).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/FleetShare.h"
#include "tools/FleetReport.h"

namespace {

namespace fs = std::filesystem;

constexpr int kClients = 50'505;

struct BenchShare {
  fs::path Root;
  fs::path Share;
  bool Keep = false;
  BenchShare() {
    if (const char* given = std::getenv("VELLORAN_BENCH_SHARE"); given && *given) {
      Root = given;
      Keep = true;
    } else {
      Root = fs::temp_directory_path() / ("velloran-bench-fleet-" + std::to_string(::getpid()));
      Keep = std::getenv("VELLORAN_BENCH_KEEP") != nullptr;
    }
    Share = Root / "share";
    if (!fs::exists(Share / "PC00000.debug")) {
      const auto facts = velloran::test::WriteFleetShare(Share, kClients);
      std::string list;
      for (const auto& name : facts.Listed) list += name + "\n";
      FILE* f = std::fopen((Root / "computers.txt").c_str(), "wb");
      if (f) {
        std::fwrite(list.data(), 1, list.size(), f);
        std::fclose(f);
      }
    }
    // Neither measurement may be the one that brings the share into memory.
    if (std::system(("tar -cf - -C '" + Root.string() + "' share >/dev/null").c_str()) != 0)
      std::fprintf(stderr, "bench: tar could not read %s\n", Share.c_str());
  }
  ~BenchShare() {
    std::error_code ec;
    if (!Keep) fs::remove_all(Root, ec);
  }
};

BenchShare& Share() {
  static BenchShare share;
  return share;
}

void Shell(benchmark::State& state, const std::string& command) {
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError(("failed: " + command).c_str());
      return;
    }
  }
}

// What reading the share's bytes costs, and nothing more.
void BM_TarOfTheShare(benchmark::State& state) {
  const BenchShare& s = Share();
  Shell(state, "tar -cf - -C '" + s.Root.string() + "' share | wc -c >/dev/null");
}

// The whole command an administrator runs, the page written.
void BM_SummaryWithPage(benchmark::State& state) {
  const BenchShare& s = Share();
  Shell(state, std::string("'") + VELLORAN_TOOL_PATH + "' summary '" + s.Share.string() +
                   "' --no-progress --computers '" + (s.Root / "computers.txt").string() +
                   "' --html '" + (s.Root / "fleet.html").string() + "'; test $? -le 1");
}

// Both, one after the other in each iteration, so that a machine whose load
// changes during the run weighs on both alike: the counters give the mean
// of each and of their ratio.
void BM_SummaryAgainstTar(benchmark::State& state) {
  const BenchShare& s = Share();
  const std::string tar = "tar -cf - -C '" + s.Root.string() + "' share | wc -c >/dev/null";
  const std::string summary = std::string("'") + VELLORAN_TOOL_PATH + "' summary '" +
                              s.Share.string() + "' --no-progress --computers '" +
                              (s.Root / "computers.txt").string() + "' --html '" +
                              (s.Root / "fleet.html").string() + "'; test $? -le 1";
  double tarSeconds = 0, summarySeconds = 0, ratios = 0;
  for (auto _ : state) {
    auto timed = [&](const std::string& command) {
      const auto start = std::chrono::steady_clock::now();
      const int rc = std::system(command.c_str());
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      return rc == 0 ? seconds : -1.0;
    };
    const double t = timed(tar), m = timed(summary);
    if (t < 0 || m < 0) {
      state.SkipWithError("a command failed");
      return;
    }
    tarSeconds += t;
    summarySeconds += m;
    ratios += m / t;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["tar_s"] = tarSeconds / n;
  state.counters["summary_s"] = summarySeconds / n;
  state.counters["ratio"] = ratios / n;
}

// The two halves of it in this process, for a profiler.
void BM_ReadShare(benchmark::State& state) {
  const BenchShare& s = Share();
  velloran::fleet::ReadOptions options;
  for (auto _ : state) {
    auto summary = velloran::fleet::ReadShare(s.Share.string(), options);
    benchmark::DoNotOptimize(summary);
  }
}

void BM_RenderPage(benchmark::State& state) {
  const BenchShare& s = Share();
  auto summary = velloran::fleet::ReadShare(s.Share.string(), {});
  for (auto _ : state) {
    std::string page = velloran::fleet::RenderHtml(summary);
    benchmark::DoNotOptimize(page);
  }
}

// Tar first, so that both find the share in the page cache.
BENCHMARK(BM_TarOfTheShare)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SummaryWithPage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SummaryAgainstTar)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ReadShare)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_RenderPage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
