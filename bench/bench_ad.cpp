// The directory mode at the size limit of its lists: 32,767 published print
// queues in a private slapd that, like Active Directory, answers at most 1000
// records per search, and 500 connections of one user.
//
// BM_ADQuery is the engine's query (bind, paged search, the list, its
// outcome and debug lines); BM_LdapsearchPaged fetches the same records from
// the same server with OpenLDAP's own client, as the yardstick for it;
// BM_ADMatching is the matching of the connections against the list alone.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <memory>

#include "engine/modMoveADPrinters.h"
#include "platform/NullBackends.h"
#include "platform/ldap/LdapDirectory.h"
#include "tests/support/Slapd.h"

extern char** environ;

namespace {

using namespace velloran;

constexpr int kQueues = 32767;
constexpr int kConnections = 500;
constexpr int kServers = 40;
const std::string kBase = std::string("ou=Printers,") + test::Slapd::kSuffix;

std::string QueueServer(int i) { return "PRN" + std::to_string(i % kServers); }
std::string QueueShare(int i) { return "Q" + std::to_string(i); }

test::Slapd& Server() {
  static std::unique_ptr<test::Slapd> server = [] {
    std::vector<test::PrintQueue> queues;
    queues.reserve(kQueues);
    for (int i = 0; i < kQueues; ++i)
      queues.push_back({QueueServer(i) + "-Queue" + std::to_string(i), {QueueShare(i)}});
    return std::make_unique<test::Slapd>(test::OrganizationalUnitLdif("Printers") +
                                         test::PrintQueueLdif(kBase, queues));
  }();
  return *server;
}

Services WithOnly(DirectoryService& directory, NetworkObjectFactory& network) {
  return Services{SystemProfile(),       UnavailableSettingsStore(), network, directory,
                  UnavailableEventLog(), SilentMessageBox(),         SystemClock()};
}

void BM_ADQuery(benchmark::State& state) {
  test::Slapd& server = Server();
  LdapDirectoryOptions options;
  options.Bind = LdapBindMode::Anonymous;
  auto directory = MakeLdapDirectory(options);
  size_t entries = 0;
  for (auto _ : state) {
    Run run(WithOnly(*directory, UnavailableNetwork()));
    run.Settings.DebugOn = true;
    run.Settings.DomainName = server.HostPort() + "/" + kBase;
    GetADPrinters(run);
    if (run.AbortStatus) state.SkipWithError(run.OutcomeText.c_str());
    entries = run.ADPrinters.size() - 1;
    benchmark::DoNotOptimize(run.DebugText.data());
  }
  if (entries != kQueues) state.SkipWithError("the query did not return every queue");
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_ADQuery)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_LdapsearchPaged(benchmark::State& state) {
  test::Slapd& server = Server();
  const std::string program = test::LdapProgram("ldapsearch");
  const std::string uri = server.Uri();
  std::vector<std::string> args = {program,
                                   "-x",
                                   "-LLL",
                                   "-H",
                                   uri,
                                   "-E",
                                   "pr=1000/noprompt",
                                   "-b",
                                   kBase,
                                   "(objectCategory=printQueue)",
                                   "name",
                                   "printShareName"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("ldapsearch cannot be started");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("ldapsearch failed");
  }
  posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(BM_LdapsearchPaged)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Every call succeeds and changes nothing: what is timed is the matching.
class NullNetwork : public NetworkObjectFactory {
 public:
  Result<std::unique_ptr<NetworkObject>> Create(std::string_view) override {
    struct Object : NetworkObject {
      Result<std::vector<std::string>> EnumPrinterConnections() override {
        return std::vector<std::string>();
      }
      Status RemovePrinterConnection(std::string_view, bool, bool) override { return Status::Ok(); }
      Status AddWindowsPrinterConnection(std::string_view) override { return Status::Ok(); }
      Result<std::string> GetDefaultPrinter() override { return std::string(); }
      Status SetDefaultPrinter(std::string_view) override { return Status::Ok(); }
      Result<std::string> ComputerName() override { return std::string("PC01"); }
    };
    return std::unique_ptr<NetworkObject>(std::make_unique<Object>());
  }
};

void BM_ADMatching(benchmark::State& state) {
  NullNetwork network;
  Run run(WithOnly(UnavailableDirectory(), network));
  run.Settings.DebugOn = true;
  run.ADPrinters.assign(1, NetworkPrinter{});
  for (int i = 0; i < kQueues; ++i)
    run.ADPrinters.push_back(
        ADPrinterFromRecord({QueueServer(i) + "-Queue" + std::to_string(i), QueueShare(i),
                             QueueServer(i), "\\\\" + QueueServer(i) + "\\" + QueueShare(i)}));
  // Most connections already sit where the directory publishes them, some
  // must move, a few are unknown to the directory.
  run.ClientPrinters.assign(1, NetworkPrinter{});
  for (int c = 0; c < kConnections; ++c) {
    int q = (c * 65) % kQueues;
    std::string server = c % 5 == 0 ? "OLDSRV" : QueueServer(q);
    std::string share = c % 50 == 7 ? "Retired" + std::to_string(c) : QueueShare(q);
    run.ClientPrinters.push_back({share, server, share});
  }
  for (auto _ : state) {
    run.OutcomeText.clear();
    run.DebugText.clear();
    MigrateADPrinters(run);
    benchmark::DoNotOptimize(run.OutcomeText.data());
  }
  state.counters["connections"] = kConnections;
  state.counters["queues"] = kQueues;
}
BENCHMARK(BM_ADMatching)->Unit(benchmark::kMillisecond);

}  // namespace
