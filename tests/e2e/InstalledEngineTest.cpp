// The engine installed as the package installs it, and the CUPS client
// recipe of examples/ that runs it as root for the user who logs on: the
// logon hook, the root wrapper, where the debug file goes.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <set>
#include <thread>

#include "tests/support/EngineProcess.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using namespace test;

const fs::path kExamples = fs::path(VELLORAN_SOURCE_DIR) / "examples";

/// The names of the environment variables `VelloranEngine --help` lists.
std::set<std::string> EngineVariables() {
  auto help = test::RunProcess(VELLORAN_ENGINE_PATH, {"--help"});
  std::set<std::string> names;
  static const std::regex name("VELLORAN_[A-Z0-9_]+");
  for (std::sregex_iterator it(help.Stdout.begin(), help.Stdout.end(), name), end; it != end; ++it)
    names.insert(it->str());
  return names;
}

std::map<std::string, std::string> ParseEnv(const std::string& dump) {
  std::map<std::string, std::string> env;
  size_t from = 0;
  for (size_t nul; (nul = dump.find('\0', from)) != std::string::npos; from = nul + 1) {
    std::string entry = dump.substr(from, nul - from);
    size_t eq = entry.find('=');
    if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  return env;
}

/// The root wrapper with its fixed paths pointed into a test folder, and an
/// engine that records its arguments and environment instead of running.
struct RootWrapper : ::testing::Test {
  test::TempDir dir;
  fs::path wrapper = dir / "velloran-as-root";
  fs::path state = dir / "state";

  void SetUp() override {
    WriteFile(dir / "engine",
              "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n"
              "env -0 > \"$(dirname \"$0\")/env\"\npwd > \"$(dirname \"$0\")/cwd\"\n");
    fs::permissions(dir / "engine", fs::perms::owner_all);
    std::string script = ReadFile(kExamples / "velloran-as-root.sh");
    for (auto [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"engine=/usr/sbin/VelloranEngine", "engine=" + (dir / "engine").string()},
             {"state=/var/lib/velloran", "state=" + state.string()},
             {"keytab=/etc/krb5.keytab", "keytab=" + (dir / "no-keytab").string()}}) {
      size_t at = script.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      script.replace(at, from.size(), to);
    }
    WriteFile(wrapper, script);
    fs::permissions(wrapper, fs::perms::owner_all);
  }

  test::ProcessResult Run(const std::map<std::string, std::string>& env,
                          const std::vector<std::string>& args = {}, const std::string& from = "") {
    fs::remove(dir / "env");
    return test::RunProcess(wrapper.string(), args, env, from);
  }
  std::map<std::string, std::string> EngineEnv() {
    return fs::exists(dir / "env") ? ParseEnv(ReadFile(dir / "env"))
                                   : std::map<std::string, std::string>{};
  }
};

TEST_F(RootWrapper, AcceptsTheNamesDomainLogonsGiveAndNothingThatCouldBeAPathOrOption) {
  for (const std::string user :
       {"alice", "alice.smith", "Alice_2", "alice@corp.example", "CORP\\alice", "a-b+c"}) {
    SCOPED_TRACE(user);
    auto r = Run({{"SUDO_USER", user}});
    EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
    EXPECT_EQ(EngineEnv()["VELLORAN_USER_HIVE"], (state / "users" / (user + ".hive")).string());
  }
  for (const std::string& user : std::vector<std::string>{
           "", "-rf", "--boot", "../../etc/passwd", "a/b", ".hidden", "@corp", "alice smith",
           "alice\nroot", "alice;id", "$(id)", "al*", std::string(300, 'a')}) {
    SCOPED_TRACE(user);
    auto r = Run({{"SUDO_USER", user}});
    EXPECT_EQ(r.ExitCode, 2);
    EXPECT_TRUE(Contains(r.Stderr, "velloran-as-root: ")) << r.Stderr;
    EXPECT_FALSE(fs::exists(dir / "env")) << "the engine ran";
  }
  // Arguments other than --boot: sudo's rule allows none at all.
  auto r = Run({{"SUDO_USER", "alice"}}, {"/etc/shadow"});
  EXPECT_EQ(r.ExitCode, 2);
  EXPECT_FALSE(fs::exists(dir / "env"));
  r = Run({}, {"--boot"});
  EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_EQ(EngineEnv()["VELLORAN_USER_HIVE"], (state / "boot.hive").string());
}

TEST_F(RootWrapper, FixesEveryVariableAndDropsTheTicketCacheTheUserChose) {
  const std::set<std::string> variables = EngineVariables();
  ASSERT_GE(variables.size(), 10u);
  std::map<std::string, std::string> hostile = {{"SUDO_USER", "alice"},
                                                {"KRB5CCNAME", "FILE:/tmp/krb5cc_theirs"},
                                                {"PATH", (dir / "theirs").string()}};
  for (const auto& name : variables) hostile[name] = "profile:/etc/shadow";
  auto r = Run(hostile);
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  auto env = EngineEnv();
  for (const auto& name : variables) {
    SCOPED_TRACE(name);
    ASSERT_EQ(env.count(name), 1u) << "not set by the wrapper";
    EXPECT_NE(env[name], "profile:/etc/shadow");
  }
  // No keytab here: no cache at all, not the user's.
  EXPECT_EQ(env.count("KRB5CCNAME"), 0u);
  EXPECT_EQ(env["PATH"], "/usr/sbin:/usr/bin:/sbin:/bin");
  EXPECT_EQ(env["VELLORAN_PRINTERS"], "cups");
  EXPECT_EQ(ReadFile(dir / "args"), "/etc/velloran/move.ini\n");
}

// The client libraries read configuration of their own from the folder a
// program starts in and from HOME: the engine gets root's, not the caller's.
TEST_F(RootWrapper, StartsTheEngineInTheRootFolderWithRootsHome) {
  const passwd* pw = ::getpwuid(0);
  ASSERT_NE(pw, nullptr);
  fs::create_directories(dir / "callers-folder");
  for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"--boot"}}) {
    SCOPED_TRACE(args.empty() ? "logon" : "boot");
    auto r = Run({{"SUDO_USER", "alice"},
                  {"HOME", (dir / "callers-folder").string()},
                  {"LDAPRC", "theirs.rc"}},
                 args, (dir / "callers-folder").string());
    ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
    auto env = EngineEnv();
    EXPECT_EQ(env["HOME"], pw->pw_dir);
    EXPECT_EQ(env.count("LDAPRC"), 0u);
    EXPECT_EQ(ReadFile(dir / "cwd"), "/\n");
  }
  // The boot unit starts it from there too.
  EXPECT_TRUE(Contains(ReadFile(kExamples / "velloran-engine.service"), "\nWorkingDirectory=/\n"));
}

TEST(LogonHook, IsSourcedByALoginShellThatGoesOnAtOnce) {
  // A sudo that takes its time and fails, as one without the rule does.
  test::TempDir dir;
  fs::create_directories(dir / "bin");
  WriteFile(
      dir / "bin/sudo",
      "#!/bin/sh\nsleep 6\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/../called\"\nexit 1\n");
  fs::permissions(dir / "bin/sudo", fs::perms::owner_all);
  const std::string hook = (kExamples / "velloran-logon.sh").string();
  for (const char* shell : {"/bin/sh", "/bin/bash"}) {
    SCOPED_TRACE(shell);
    fs::remove(dir / "called");
    const auto start = std::chrono::steady_clock::now();
    // What /etc/profile does, under the strictest options a profile may set;
    // the shell must go on with the rest of the profile, its variables as
    // they were.
    auto r = test::RunProcess(
        shell,
        {"-c",
         "set -eu; names() { set | sed -n 's/^\\([A-Za-z_][A-Za-z0-9_]*\\)=.*/\\1/p' "
         "| sort > \"$2/$1\"; }; status=0; names before \"$2\"; . \"$1\"; "
         "status=$?; names after \"$2\"; "
         "cmp -s \"$2/before\" \"$2/after\" || echo 'variables changed'; "
         "echo \"profile goes on: $status\"",
         "profile", hook, dir.str()},
        {{"PATH", (dir / "bin").string() + ":/usr/bin:/bin"}});
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
    EXPECT_EQ(r.Stdout, "profile goes on: 0\n") << r.Stderr;
    EXPECT_LT(took, std::chrono::seconds(4)) << "the logon waited for the engine";
    for (int i = 0; i < 300 && !fs::exists(dir / "called"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ReadFile(dir / "called"), "-n\n/usr/local/sbin/velloran-as-root\n");
  }
}

struct InstalledEngine : ::testing::Test {
  test::EngineFolder engine{VELLORAN_ENGINE_PATH};
  fs::path prefix = engine.Root() / "usr";
  const std::string computer = "PC-" + std::to_string(::getpid());

  void SetUp() override {
    if (engine.Windows())
      GTEST_SKIP() << "the Windows engine is never installed in a system folder";
    WriteFile(engine.Connections(), "computer: " + computer + "\n");
    WriteFile(engine.Root() / "move.ini",
              "[GENERAL]\r\nAlwaysRun=True\r\n[SUPPORT]\r\nDebugOn=True\r\n");
    engine.Env["XDG_STATE_HOME"] = (engine.Root() / "state").string();
  }
  /// The engine copied to `folder`, run on move.ini.
  test::ProcessResult RunFrom(const fs::path& folder) {
    fs::create_directories(folder);
    fs::copy_file(engine.Engine(), folder / "VelloranEngine", fs::copy_options::overwrite_existing);
    return engine.RunCopy(folder / "VelloranEngine", {(engine.Root() / "move.ini").string()});
  }
};

TEST_F(InstalledEngine, KeepsItsDebugFileInTheStateFolderNotBesideItself) {
  const std::string debug = computer + ".debug";
  // The package's layout: sbin with lib/velloran beside it.
  fs::create_directories(prefix / "lib/velloran");
  auto r = RunFrom(prefix / "sbin");
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_FALSE(fs::exists(prefix / "sbin" / debug));
  const fs::path expected = ::geteuid() == 0 ? fs::path("/var/log/velloran") / debug
                                             : engine.Root() / "state/velloran" / debug;
  EXPECT_TRUE(fs::exists(expected)) << expected;
  if (::geteuid() == 0) fs::remove(expected);

  // A copy in a folder of its own (a share, /opt) keeps the rule of its folder,
  // also when that folder is named bin.
  for (const fs::path& own : {engine.Root() / "share", engine.Root() / "opt/bin"}) {
    r = RunFrom(own);
    ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
    EXPECT_TRUE(fs::exists(own / debug)) << own;
  }
}

}  // namespace
}  // namespace velloran
