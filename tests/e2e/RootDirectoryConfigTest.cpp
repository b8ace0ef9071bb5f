// The engine run as root for the user who logged on: the LDAP client
// configuration that user can write (ldaprc in the folder the logon starts
// from, ldaprc and .ldaprc in their home, a file LDAPRC names) never decides
// which directory root asks; the machine's own (ldap.conf) still does. Needs
// root and a real second user.

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "tests/support/EngineProcess.h"
#include "tests/support/Loopback.h"
#include "tests/support/SecondUser.h"
#include "tests/support/Slapd.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using namespace test;

const std::string kPrinters = std::string("ou=Printers,") + Slapd::kSuffix;

struct RootDirectoryConfig : ::testing::Test {
  EngineFolder engine{VELLORAN_ENGINE_PATH};
  TempDir userFolders;
  fs::path home = userFolders / "home";
  fs::path caller = userFolders / "work";  // where the user's logon starts
  std::unique_ptr<SecondUser> user;
  std::unique_ptr<Slapd> server;
  int trapPort = 0;
  int trap = -1;  // a listener the planted files name
  std::atomic<int> trapCalls{0};
  std::atomic<bool> stop{false};
  std::thread trapThread;

  void SetUp() override {
    if (!SecondUser::Possible()) GTEST_SKIP() << "needs root and useradd";
    if (engine.Windows())
      GTEST_SKIP() << "the root wrapper and its LDAP client are the Linux engine's";
    server = std::make_unique<Slapd>(
        OrganizationalUnitLdif("Printers") +
        PrintQueueLdif(kPrinters, {{"NEWSRV1-Accounting", {"ACCOUNTING"}}}));
    trap = ListenOnLoopback(&trapPort);
    // Counts and drops every connection, so that a client that comes here
    // fails at once instead of waiting for an answer.
    trapThread = std::thread([this] {
      while (!stop) {
        pollfd p{trap, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const int c = ::accept(trap, nullptr, nullptr);
        if (c < 0) continue;
        ++trapCalls;
        ::close(c);
      }
    });
    fs::permissions(userFolders.path(), fs::perms(0755));
    fs::create_directories(home);
    fs::create_directories(caller);
    user = std::make_unique<SecondUser>(home);
    const std::string planted = "URI ldap://127.0.0.1:" + std::to_string(trapPort) + "/\nBASE " +
                                kPrinters + "\nTLS_REQCERT never\n";
    for (const fs::path& folder : {home, caller}) {
      for (const char* name : {"ldaprc", ".ldaprc", "theirs.rc", ".theirs.rc"}) {
        WriteFile(folder / name, planted);
        user->Own(folder / name);
      }
      user->Own(folder);
    }
    // Stands for /etc/ldap/ldap.conf, which the tests may not change.
    WriteFile(engine.Root() / "ldap.conf", "URI " + server->Uri() + "\n");
    WriteFile(engine.Root() / "move.ini",
              "[GENERAL]\r\nUseActiveDirectory=True\r\nUseManualDefinitions=False\r\n"
              "AlwaysRun=True\r\n[ACTIVE DIRECTORY]\r\nDomainName=" +
                  kPrinters +
                  "\r\n[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
                  engine.Root().string() +
                  "\r\nFileOutputName=outcome.txt\r\nIncludeComputerName=False\r\n"
                  "IncludeOutcome=False\r\n");
  }
  void TearDown() override {
    stop = true;
    if (trapThread.joinable()) trapThread.join();
    if (trap >= 0) ::close(trap);
  }

  /// What sudo hands over from the user's logon, with the machine's
  /// configuration file.
  std::map<std::string, std::string> Handed() const {
    return {{"SUDO_USER", user->Name()},
            {"HOME", home.string()},
            {"LDAPRC", "theirs.rc"},
            {"LDAPCONF", (engine.Root() / "ldap.conf").string()}};
  }

  /// The installed wrapper, its fixed paths pointed at this test's folder.
  fs::path Wrapper() const {
    std::string script = ReadFile(fs::path(VELLORAN_SOURCE_DIR) / "examples/velloran-as-root.sh");
    for (auto [prefix, line] : std::vector<std::pair<std::string, std::string>>{
             {"engine=", "engine=" + engine.Engine().string()},
             {"ini=", "ini=" + (engine.Root() / "move.ini").string()},
             {"state=", "state=" + (engine.Root() / "state").string()},
             {"keytab=", "keytab=" + (engine.Root() / "no.keytab").string()},
             {"export VELLORAN_PRINTERS=",
              "export VELLORAN_PRINTERS=profile:" + engine.Connections().string()}}) {
      size_t at = script.find("\n" + prefix);
      if (at == std::string::npos) throw std::runtime_error("no line " + prefix);
      script.replace(at + 1, script.find('\n', at + 1) - at - 1, line);
    }
    const fs::path path = engine.Root() / "velloran-as-root";
    WriteFile(path, script);
    fs::permissions(path, fs::perms::owner_all);
    return path;
  }
};

TEST_F(RootDirectoryConfig, WhatTheUserPlantsIsNotReadAndTheMachinesConfigurationIs) {
  struct Way {
    const char* what;
    std::function<ProcessResult()> run;
  };
  const Way ways[] = {
      {"the engine itself, started in the user's folder",
       [&] {
         auto env = engine.Env;
         for (const auto& [k, v] : Handed()) env[k] = v;
         return RunProcess(engine.Engine().string(), {(engine.Root() / "move.ini").string()}, env,
                           caller.string(), engine.Unset);
       }},
      {"the root wrapper, started in the user's folder",
       [&] { return RunProcess(Wrapper().string(), {}, Handed(), caller.string()); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.what);
    WriteFile(engine.Connections(), "computer: PC01\nconnection: \\\\OLDSRV1\\ACCOUNTING\n");
    fs::remove(engine.Root() / "outcome.txt");
    trapCalls = 0;
    auto r = way.run();
    ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
    EXPECT_EQ(trapCalls, 0) << "root asked the server the user's files name";
    const std::string outcome = ReadFile(engine.Root() / "outcome.txt");
    EXPECT_TRUE(Contains(outcome, "Printer migrated: ACCOUNTING (OLDSRV1)")) << outcome;
    EXPECT_EQ(ReadFile(engine.Connections()),
              "computer: PC01\nconnection: \\\\NEWSRV1\\ACCOUNTING\n");
  }
}

}  // namespace
}  // namespace velloran
