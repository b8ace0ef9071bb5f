// The CUPS client recipe's directory mode against a real domain: the root
// wrapper binds as the machine, with the ticket its keytab gives, never
// with a cache the user named.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/samba/SambaDC.h"
#include "tests/support/EngineProcess.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using namespace test;

struct RootRecipe : ::testing::Test {
  test::SambaDC* dc = test::SharedDC();
  test::EngineFolder engine{VELLORAN_ENGINE_PATH};
  fs::path state = engine.Root() / "state";
  fs::path keytab;

  void SetUp() override {
    if (!dc) GTEST_SKIP() << "no domain controller";
    // The machine joins the domain once for all the tests.
    keytab = fs::path(dc->Folder()) / "pc01.keytab";
    static std::string joined = dc->JoinComputer("PC01", keytab.string());
    ASSERT_EQ(joined, "");
  }

  /// The installed wrapper, its fixed paths pointed at this test's folder
  /// and its printers at a connection profile (the directory is what is
  /// tried here; the CUPS side has tests of its own).
  fs::path Wrapper(const fs::path& machineKeytab) {
    std::string script = ReadFile(fs::path(VELLORAN_SOURCE_DIR) / "examples/velloran-as-root.sh");
    auto replace = [&](const std::string& prefix, const std::string& line) {
      size_t at = script.find("\n" + prefix);
      ASSERT_NE(at, std::string::npos) << prefix;
      script.replace(at + 1, script.find('\n', at + 1) - at - 1, line);
    };
    replace("engine=", "engine=" + engine.Engine().string());
    replace("ini=", "ini=" + (engine.Root() / "move.ini").string());
    replace("state=", "state=" + state.string());
    replace("keytab=", "keytab=" + machineKeytab.string());
    replace("principal=", "principal='PC01$'");
    replace("export VELLORAN_PRINTERS=",
            "export VELLORAN_PRINTERS=profile:" + engine.Connections().string());
    const fs::path path = engine.Root() / "velloran-as-root";
    WriteFile(path, script);
    fs::permissions(path, fs::perms::owner_all);
    return path;
  }

  test::ProcessResult RunAsRootFor(const fs::path& wrapper, const std::string& user) {
    WriteFile(engine.Connections(), "computer: PC01\nconnection: \\\\OLD1\\HR-Printer\n");
    WriteFile(engine.Root() / "move.ini",
              "[GENERAL]\r\nUseActiveDirectory=True\r\nUseManualDefinitions=False\r\n"
              "AlwaysRun=True\r\n[ACTIVE DIRECTORY]\r\nDomainName=" +
                  dc->Address() + "/OU=Happy," + test::SambaDC::kBaseDN +
                  "\r\n[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
                  engine.Root().string() +
                  "\r\nFileOutputName=outcome.txt\r\nIncludeComputerName=False\r\n"
                  "IncludeOutcome=False\r\n");
    fs::remove(engine.Root() / "outcome.txt");
    // What sudo passes on: the user's name and their own ticket cache,
    // which holds nothing the domain accepts. KRB5_CONFIG and the SASL
    // setting stand for the machine's /etc/krb5.conf and ldap.conf.
    return test::RunProcess(wrapper.string(), {},
                            {{"SUDO_USER", user},
                             {"KRB5CCNAME", "FILE:" + (engine.Root() / "users-cache").string()},
                             {"KRB5_CONFIG", dc->Krb5Config()},
                             {"LDAPSASL_NOCANON", "on"}});
  }
};

TEST_F(RootRecipe, TheMachineKeytabGivesRootATicketTheDomainAccepts) {
  WriteFile(engine.Root() / "users-cache", "a cache the user chose\n");
  auto r = RunAsRootFor(Wrapper(keytab), "alice@velloran.test");
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  const std::string outcome = ReadFile(engine.Root() / "outcome.txt");
  EXPECT_TRUE(Contains(outcome, "Printer migrated: HR-Printer (OLD1)")) << outcome << r.Stderr;
  const std::string connections = ReadFile(engine.Connections());
  EXPECT_TRUE(Contains(connections, "connection: \\\\PRN-SRV02\\HR-Printer\n")) << connections;
  EXPECT_FALSE(Contains(connections, "OLD1")) << connections;
  // The ticket is the machine's, kept where only root reads it.
  auto klist = test::RunProcess("/usr/bin/klist", {"-c", (state / "krb5cc_machine").string()},
                                {{"KRB5_CONFIG", dc->Krb5Config()}});
  EXPECT_TRUE(Contains(klist.Stdout, "PC01$@" + std::string(test::SambaDC::kRealm)))
      << klist.Stdout;
  EXPECT_EQ(fs::status(state / "krb5cc_machine").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadFile(engine.Root() / "users-cache"), "a cache the user chose\n");

  // The next logon reuses the ticket.
  r = RunAsRootFor(Wrapper(keytab), "CORP\\bob");
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_TRUE(Contains(ReadFile(engine.Root() / "outcome.txt"), "Printer migrated: HR-Printer"));
}

TEST_F(RootRecipe, WithoutAKeytabTheBindIsAnonymousAndTheDomainSaysNo) {
  auto r = RunAsRootFor(Wrapper(engine.Root() / "absent.keytab"), "alice");
  ASSERT_EQ(r.ExitCode, 1) << r.Stderr;
  const std::string outcome = ReadFile(engine.Root() / "outcome.txt");
  EXPECT_TRUE(Contains(outcome, "Operation unavailable without authentication"))
      << outcome << r.Stderr;
  EXPECT_FALSE(fs::exists(state / "krb5cc_machine"));
}

}  // namespace
}  // namespace velloran
