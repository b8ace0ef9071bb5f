// Whole-process costs of the engine, timed from outside as a logon script
// would start it: each kind of run is a separate process, the kinds are
// interleaved round by round so that a busy machine slows them alike, and
// medians are reported with their ratio to a bare C++ program.
//
//   baseline    the bare program
//   no-op       the typical INI file with its run-once marker set
//   typical     50 connections, 1,000 server pairs, all four report
//               channels to local sinks (SMTP server, file, console, file)
//   typical-no-moves  the same for a user already migrated (nothing moves)
//   typical-disk  the same with the connection profile on disk
//   ad-query    the directory mode against a private slapd holding 32,767
//               print queues, for a user with no connections
//   ldapsearch  the same records fetched by OpenLDAP's client, paged by 1000
//   ad-500      the directory mode for a user with 500 connections
//
// scripts/bench-engine.sh builds and runs it.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/EngineProcess.h"
#include "tests/support/Slapd.h"
#include "tests/support/SmtpServer.h"

namespace {

namespace fs = std::filesystem;
using namespace velloran;

constexpr int kQueues = 32767;
constexpr int kQueueServers = 40;
constexpr int kADConnections = 500;
constexpr int kTypicalConnections = 50;
constexpr int kServerPairs = 1000;

struct Sample {
  double WallMs, CpuMs, PeakRssKb;
};

struct Kind {
  std::string Name;
  std::vector<std::string> Argv;
  std::map<std::string, std::string> Env;
  /// Runs untimed before each timed run (resets what the last run changed).
  std::function<void()> Prepare;
  /// Checks after each run that it did what it is timed for.
  std::function<std::string()> Check;
  std::vector<Sample> Samples;
};

// A folder of our own below `parent`, removed with everything in it.
struct ScratchFolder {
  explicit ScratchFolder(const fs::path& parent) {
    std::string pattern = (parent / "velloran-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      throw std::runtime_error("cannot create a folder in " + parent.string());
    Path = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(Path, ignored);
  }
  fs::path Path;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// fork/exec/wait4: the child's own CPU and peak RSS come from the kernel's
// accounting of exactly that process (and of the children it waited for).
Sample RunOnce(const Kind& kind, std::string& failure) {
  std::vector<char*> argv;
  for (const auto& a : kind.Argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    if (!kind.Env.count(entry.substr(0, entry.find('=')))) envText.push_back(entry);
  }
  for (const auto& [k, v] : kind.Env) envText.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);

  auto start = std::chrono::steady_clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    failure = kind.Name + ": " + kind.Argv[0] + " ended with status " + std::to_string(status);
  auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return {std::chrono::duration<double, std::milli>(end - start).count(),
          ms(usage.ru_utime) + ms(usage.ru_stime), static_cast<double>(usage.ru_maxrss)};
}

std::string Connections(int count, const std::function<std::string(int)>& path) {
  std::string text = "computer: PC01\n";
  for (int i = 0; i < count; ++i) text += "connection: " + path(i) + "\n";
  return text;
}

std::string CommonIni(bool alwaysRun) {
  return std::string("[GENERAL]\r\nAlwaysRun=") + (alwaysRun ? "True" : "False") + "\r\n";
}

std::string Join(int count, const std::function<std::string(int)>& item) {
  std::string out;
  for (int i = 0; i < count; ++i) out += (i ? "," : "") + item(i);
  return out;
}

std::string TypicalIni(bool alwaysRun, int smtpPort, const fs::path& reports) {
  return CommonIni(alwaysRun) +
         "UseActiveDirectory=False\r\nUseManualDefinitions=True\r\n"
         "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=" +
         Join(kServerPairs, [](int i) { return "OLDSRV" + std::to_string(i); }) +
         "\r\nToServers=" + Join(kServerPairs, [](int i) { return "NEWSRV" + std::to_string(i); }) +
         "\r\n[NOTIFICATION SMTP]\r\nUseSMTP=True\r\nSMTPServerNameOrIP=127.0.0.1\r\nServerPort=" +
         std::to_string(smtpPort) +
         "\r\nEmailSubject=Printer migration\r\nEmailTo=helpdesk@example.com\r\n"
         "EmailFrom=velloran@example.com\r\n"
         "[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
         reports.string() +
         "\r\nFileOutputName=report.txt\r\nIncludeComputerName=True\r\nIncludeOutcome=True\r\n"
         "WriteToEventLog=True\r\n"
         "[NOTIFICATION CLIENT POP-UP]\r\nUseClientPopup=True\r\nUseSuccessClientPopup=True\r\n"
         "SuccessMessage=Your printers have moved.^CRLFThank you.\r\n"
         "[SUPPORT]\r\nDebugOn=True\r\n";
}

std::string ADIni(const std::string& domain) {
  return CommonIni(true) +
         "UseActiveDirectory=True\r\nUseManualDefinitions=False\r\n[ACTIVE "
         "DIRECTORY]\r\nDomainName=" +
         domain + "\r\n[SUPPORT]\r\nDebugOn=True\r\n";
}

std::string QueueServer(int i) { return "PRN" + std::to_string(i % kQueueServers); }
std::string QueueShare(int i) { return "Q" + std::to_string(i); }

int Usage(std::ostream& out = std::cerr) {
  out << "Usage: velloran_bench_runs [--runs N] [--no-directory] [--engine PATH]\n"
         "                           [--compare PATH] [--baseline PATH]\n"
         "Times whole runs of the engine against a bare C++ program; --compare\n"
         "times another build of the engine in the same rounds. See\n"
         "scripts/bench-engine.sh.\n";
  return &out == &std::cerr ? 2 : 0;
}

// The runs of one engine build, each in a deployment folder of its own.
struct EngineUnderTest {
  std::string Label;  // "" for the engine measured, else the compared one
  std::unique_ptr<test::EngineFolder> Folder;
  fs::path NoopIni, TypicalIni, ADIni;
  std::string Name(const std::string& kind) const {
    return Label.empty() ? kind : kind + " (" + Label + ")";
  }
};

// The run-once marker of that INI file says whether the run succeeded.
std::function<std::string()> SucceededWith(const fs::path& userHive, const fs::path& ini) {
  return [userHive, ini] {
    const std::string marker = "[Software\\Velloran\\" + ini.string() + "]\nSUCCESS=True";
    return test::ReadFile(userHive).find(marker) == std::string::npos
               ? "the run with " + ini.string() + " did not succeed (see its debug file)"
               : std::string();
  };
}

void PrintTargets(const std::string& title, std::map<std::string, Sample>& median,
                  const EngineUnderTest& e, bool directory) {
  auto verdict = [](bool ok) { return ok ? "met" : "NOT met"; };
  const Sample& b = median["baseline"];
  const Sample& noop = median[e.Name("no-op")];
  const Sample& typical = median[e.Name("typical")];
  std::printf("\n%s\n", title.c_str());
  std::printf("  no-op CPU %.2f ms = %.2f x baseline (target <= 3 x): %s\n", noop.CpuMs,
              b.CpuMs > 0 ? noop.CpuMs / b.CpuMs : 0.0, verdict(noop.CpuMs <= 3 * b.CpuMs));
  std::printf("  no-op peak RSS %.1f MB (target <= 12 MB): %s\n", noop.PeakRssKb / 1024,
              verdict(noop.PeakRssKb <= 12 * 1024));
  std::printf("  typical CPU above no-op %.2f ms (target <= 5 ms): %s\n",
              typical.CpuMs - noop.CpuMs, verdict(typical.CpuMs - noop.CpuMs <= 5));
  std::printf(
      "    (no connection moved: %.2f ms above no-op; profile on disk: %.2f ms above no-op)\n",
      median[e.Name("typical-no-moves")].CpuMs - noop.CpuMs,
      median[e.Name("typical-disk")].CpuMs - noop.CpuMs);
  if (directory) {
    const Sample& q = median[e.Name("ad-query")];
    const Sample& l = median["ldapsearch"];
    std::printf(
        "  directory query wall %.1f ms = %.2f x ldapsearch %.1f ms (target <= 1.2 x): %s\n",
        q.WallMs, q.WallMs / l.WallMs, l.WallMs, verdict(q.WallMs <= 1.2 * l.WallMs));
    std::printf("  engine CPU for %d queues x %d connections: %.1f ms (ad-query alone %.1f ms)\n",
                kQueues, kADConnections, median[e.Name("ad-500")].CpuMs, q.CpuMs);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 20;
  bool directory = true;
  std::string enginePath = VELLORAN_ENGINE_PATH, baselinePath = VELLORAN_BASELINE_PATH, comparePath;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help") return Usage(std::cout);
    if (a == "--runs" && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else if (a == "--no-directory")
      directory = false;
    else if (a == "--engine" && i + 1 < argc)
      enginePath = argv[++i];
    else if (a == "--compare" && i + 1 < argc)
      comparePath = argv[++i];
    else if (a == "--baseline" && i + 1 < argc)
      baselinePath = argv[++i];
    else
      return Usage();
  }

  std::vector<EngineUnderTest> engines;
  engines.push_back({"", std::make_unique<test::EngineFolder>(enginePath), {}, {}, {}});
  if (!comparePath.empty())
    engines.push_back({"compared", std::make_unique<test::EngineFolder>(comparePath), {}, {}, {}});
  test::AiosmtpdServer smtp;

  std::vector<Kind> kinds;
  kinds.push_back({"baseline", {baselinePath}, {}, nullptr, nullptr, {}});

  const std::string typicalProfile = Connections(kTypicalConnections, [](int i) {
    return "\\\\OLDSRV" + std::to_string(i * 20) + "\\Queue" + std::to_string(i);
  });
  // Most connections already sit where the directory publishes them, some
  // must move, a few are unknown to the directory.
  const std::string adProfile = Connections(kADConnections, [](int c) {
    int q = (c * 65) % kQueues;
    std::string server = c % 5 == 0 ? "OLDSRV" : QueueServer(q);
    std::string share = c % 50 == 7 ? "Retired" + std::to_string(c) : QueueShare(q);
    return "\\\\" + server + "\\" + share;
  });
  const std::string base = std::string("ou=Printers,") + test::Slapd::kSuffix;
  std::unique_ptr<test::Slapd> slapd;
  if (directory) {
    std::cerr << "Loading " << kQueues << " print queues into slapd..." << std::endl;
    std::vector<test::PrintQueue> queues;
    for (int i = 0; i < kQueues; ++i)
      queues.push_back({QueueServer(i) + "-Queue" + std::to_string(i), {QueueShare(i)}});
    slapd = std::make_unique<test::Slapd>(test::OrganizationalUnitLdif("Printers") +
                                          test::PrintQueueLdif(base, queues));
    // The same query as the engine's: its select list and the server
    // attributes it reads besides (a server does more per entry for each
    // attribute asked for, whether or not the entry holds it).
    kinds.push_back({"ldapsearch",
                     {test::LdapProgram("ldapsearch"), "-x", "-LLL", "-H", slapd->Uri(), "-E",
                      "pr=1000/noprompt", "-b", base, "(objectCategory=printQueue)", "name",
                      "printShareName", "shortServerName", "serverName", "uNCName"},
                     {},
                     nullptr,
                     nullptr,
                     {}});
  }

  // The connection profile stands in for the printer service, which on a
  // client is another process: each connection moved rewrites it durably
  // (temp file, fsync, rename), work that is the service's, not the
  // engine's. "typical" keeps it on tmpfs, where that costs next to nothing;
  // "typical-disk" keeps it beside the engine, as a rehearsal would.
  ScratchFolder serviceState(fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path());
  for (auto& e : engines) {
    test::EngineFolder& engine = *e.Folder;
    const fs::path reports = engine.Root() / "reports";
    fs::create_directories(reports);
    auto env = engine.Env;
    env["VELLORAN_MESSAGEBOX"] = "console";
    const fs::path hive = engine.UserHive();
    const std::string exe = engine.Engine().string();

    e.TypicalIni = engine.Folder() / "typical.ini";
    e.NoopIni = engine.Folder() / "noop.ini";
    test::WriteFile(e.TypicalIni, TypicalIni(true, smtp.Port(), reports));
    // Runs in full once in the warm-up, as at the first logon, which sets
    // its marker; afterwards it is the no-op.
    test::WriteFile(e.NoopIni, TypicalIni(true, smtp.Port(), reports));
    // A client of its own: on a real one, a no-op run follows the no-op run
    // of the logon before, not a typical run that left another debug file.
    const fs::path noopProfile = serviceState.Path / ("noop-connections" + e.Label + ".txt");
    test::WriteFile(noopProfile, "computer: PC02\n");
    auto noopEnv = env;
    noopEnv["VELLORAN_PRINTERS"] = "profile:" + noopProfile.string();
    kinds.push_back({e.Name("no-op"), {exe, e.NoopIni.string()}, noopEnv, nullptr, nullptr, {}});

    const fs::path serviceProfile = serviceState.Path / ("connections" + e.Label + ".txt");
    auto typicalEnv = env;
    typicalEnv["VELLORAN_PRINTERS"] = "profile:" + serviceProfile.string();
    kinds.push_back(
        {e.Name("typical"),
         {exe, e.TypicalIni.string()},
         typicalEnv,
         [serviceProfile, typicalProfile] { test::WriteFile(serviceProfile, typicalProfile); },
         SucceededWith(hive, e.TypicalIni),
         {}});
    // The same run for a user already migrated: everything but the
    // reconnections, which are mostly the printer service's work.
    const std::string migratedProfile = Connections(kTypicalConnections, [](int i) {
      return "\\\\NEWSRV" + std::to_string(i * 20) + "\\Queue" + std::to_string(i);
    });
    kinds.push_back(
        {e.Name("typical-no-moves"),
         {exe, e.TypicalIni.string()},
         typicalEnv,
         [serviceProfile, migratedProfile] { test::WriteFile(serviceProfile, migratedProfile); },
         SucceededWith(hive, e.TypicalIni),
         {}});
    const fs::path diskProfile = engine.Connections();
    kinds.push_back(
        {e.Name("typical-disk"),
         {exe, e.TypicalIni.string()},
         env,
         [diskProfile, typicalProfile] { test::WriteFile(diskProfile, typicalProfile); },
         SucceededWith(hive, e.TypicalIni),
         {}});
    if (directory) {
      e.ADIni = engine.Folder() / "ad.ini";
      test::WriteFile(e.ADIni, ADIni(slapd->HostPort() + "/" + base));
      kinds.push_back({e.Name("ad-query"),
                       {exe, e.ADIni.string()},
                       env,
                       [diskProfile] { test::WriteFile(diskProfile, "computer: PC01\n"); },
                       SucceededWith(hive, e.ADIni),
                       {}});
      kinds.push_back({e.Name("ad-500"),
                       {exe, e.ADIni.string()},
                       env,
                       [diskProfile, adProfile] { test::WriteFile(diskProfile, adProfile); },
                       SucceededWith(hive, e.ADIni),
                       {}});
    }
  }

  // One untimed round warms the page cache and sets the no-op's marker.
  std::string failure;
  for (auto& kind : kinds) {
    if (kind.Prepare) kind.Prepare();
    RunOnce(kind, failure);
  }
  for (auto& e : engines) {
    if (failure.empty()) failure = SucceededWith(e.Folder->UserHive(), e.NoopIni)();
    test::WriteFile(e.NoopIni, TypicalIni(false, smtp.Port(), e.Folder->Root() / "reports"));
  }
  if (!failure.empty()) {
    std::cerr << "warm-up failed: " << failure << std::endl;
    return 1;
  }

  std::mt19937 shuffle(20261208);
  std::vector<size_t> order(kinds.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  for (int round = 0; round < runs; ++round) {
    std::shuffle(order.begin(), order.end(), shuffle);
    for (size_t k : order) {
      Kind& kind = kinds[k];
      if (kind.Prepare) kind.Prepare();
      kind.Samples.push_back(RunOnce(kind, failure));
      if (failure.empty() && kind.Check) {
        std::string problem = kind.Check();
        if (!problem.empty()) failure = kind.Name + ": " + problem;
      }
      if (!failure.empty()) {
        std::cerr << "round " << round + 1 << ": " << failure << std::endl;
        return 1;
      }
    }
  }

  std::map<std::string, Sample> median;
  std::printf("%d interleaved runs of each; medians (peak RSS: median / largest)\n", runs);
  std::printf("engine: %s\n", enginePath.c_str());
  if (!comparePath.empty()) std::printf("compared: %s\n", comparePath.c_str());
  std::printf("\n%-28s %9s %9s %12s %9s %9s\n", "run", "wall ms", "CPU ms", "peak RSS MB", "wall x",
              "CPU x");
  for (const auto& kind : kinds) {
    std::vector<double> wall, cpu, rss;
    for (const auto& s : kind.Samples) {
      wall.push_back(s.WallMs);
      cpu.push_back(s.CpuMs);
      rss.push_back(s.PeakRssKb);
    }
    median[kind.Name] = {Median(wall), Median(cpu), Median(rss)};
    const Sample& b = median["baseline"];
    const Sample& m = median[kind.Name];
    std::printf("%-28s %9.1f %9.2f %5.1f / %4.1f %9.2f %9.2f\n", kind.Name.c_str(), m.WallMs,
                m.CpuMs, m.PeakRssKb / 1024, *std::max_element(rss.begin(), rss.end()) / 1024,
                m.WallMs / b.WallMs, b.CpuMs > 0 ? m.CpuMs / b.CpuMs : 0.0);
  }
  for (const auto& e : engines)
    PrintTargets(e.Label.empty() ? "Targets" : "Targets of the compared engine", median, e,
                 directory);
  return 0;
}
