// The directory mode against a real Active Directory domain controller:
// queues published as Windows publishes them, the binds a domain allows
// (Kerberos, simple inside TLS) and the ones it refuses.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <tuple>

#include "engine/modMoveADPrinters.h"
#include "engine/modPrinters.h"
#include "platform/ldap/LdapDirectory.h"
#include "tests/samba/SambaDC.h"
#include "tests/support/EngineProcess.h"
#include "tests/support/FakePlatform.h"

namespace velloran {
namespace {

using test::PublishedQueue;
using test::SambaDC;

const std::string kBase = SambaDC::kBaseDN;
const std::string kHappy = "OU=Happy," + kBase;
const std::string kBig = "OU=Big," + kBase;
constexpr int kBigCount = 2500;

SambaDC*& dc = test::SharedDC();

using test::Contains;

/// The directory's entries in a fixed order: the DC hands them out in its own.
std::vector<NetworkPrinter> Sorted(std::vector<NetworkPrinter> list) {
  std::sort(list.begin(), list.end(), [](const NetworkPrinter& a, const NetworkPrinter& b) {
    return std::tie(a.ServerName, a.PrinterName, a.ShareName) <
           std::tie(b.ServerName, b.PrinterName, b.ShareName);
  });
  return list;
}

std::string DirectoryLdif() {
  std::string ldif;
  for (const char* ou : {"Happy", "Big"})
    ldif += "dn: OU=" + std::string(ou) + "," + kBase + "\nobjectClass: organizationalUnit\n\n";
  // Printer names that are not share names, and dashes in both halves.
  ldif += test::PublishedQueueLdif(kHappy, {{"PRN-SRV02", "HR Printer", "HR-Printer"},
                                            {"SRV5", "Floor2-Laser9", "Laser9"},
                                            {"NEWSRV", "Accounting", "ACCT"}});
  std::vector<PublishedQueue> big;
  for (int i = 0; i < kBigCount; ++i)
    big.push_back(
        {"BIG-" + std::to_string(i % 5), "Queue " + std::to_string(i), "Q" + std::to_string(i)});
  return ldif + test::PublishedQueueLdif(kBig, big);
}

class SambaEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // LDAP's ports are fixed (389, 636), below 1024.
    if (::geteuid() != 0) GTEST_SKIP() << "the domain controller needs root for its LDAP ports";
    dc = new SambaDC(DirectoryLdif());
    std::cout << "samba DC at " << dc->Address() << ": provisioned in " << dc->ProvisionSeconds
              << " s, loaded in " << dc->LoadSeconds << " s, started in " << dc->StartSeconds
              << " s\n";
    // What a domain-joined client has: the realm's KDC, the CA that issued
    // the DC's certificate. The library reads these once, at its first use.
    ::setenv("KRB5_CONFIG", dc->Krb5Config().c_str(), 1);
    ::setenv("LDAPTLS_CACERT", dc->CaFile().c_str(), 1);
    // The DC is named by its address, and its service name is ldap/<address>.
    ::setenv("LDAPSASL_NOCANON", "on", 1);
  }
  void TearDown() override {
    delete dc;
    dc = nullptr;
  }
};

class ActiveDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!dc) GTEST_SKIP() << "no domain controller";
    ::setenv("KRB5CCNAME", ("FILE:" + Cache()).c_str(), 1);
    test::WriteFile(Secret(), std::string(SambaDC::kAdminPassword) + "\n");
  }
  void TearDown() override { ::unsetenv("KRB5CCNAME"); }

  std::string Cache() const { return (scratch_ / "krb5cc").string(); }
  std::string Secret() const { return (scratch_ / "password").string(); }
  void GetTicket() {
    std::string failure = dc->Kinit(SambaDC::kAdmin, SambaDC::kAdminPassword, Cache());
    ASSERT_EQ(failure, "");
  }

  static LdapDirectoryOptions Bind(LdapBindMode mode, LdapTlsMode tls = LdapTlsMode::Auto) {
    LdapDirectoryOptions o;
    o.Bind = mode;
    o.Tls = tls;
    return o;
  }
  LdapDirectoryOptions Simple(const std::string& user, LdapTlsMode tls = LdapTlsMode::Auto) const {
    LdapDirectoryOptions o = Bind(LdapBindMode::Simple, tls);
    o.User = user;
    o.PasswordFile = Secret();
    return o;
  }

  /// A run of the directory mode on "LDAP://" + domain through a fresh backend.
  void Query(const std::string& domain, LdapDirectoryOptions options,
             std::vector<std::string> connections = {}) {
    directory_ = MakeLdapDirectory(std::move(options));
    fakes_.Network.Connections = std::move(connections);
    run_ = fakes_.DirectoryRun(*directory_, domain);
    GetClientPrinters(*run_);
    MoveADPrinters(*run_);
  }

  std::string Happy(int port = 0) const {
    return dc->Address() + (port ? ":" + std::to_string(port) : "") + "/" + kHappy;
  }

  const std::vector<NetworkPrinter> kHappyQueues = {{},
                                                    {"Accounting", "NEWSRV", "ACCT"},
                                                    {"HR Printer", "PRN-SRV02", "HR-Printer"},
                                                    {"Floor2-Laser9", "SRV5", "Laser9"}};

  test::TempDir scratch_;
  test::FakePlatform fakes_;
  std::unique_ptr<DirectoryService> directory_;
  std::unique_ptr<velloran::Run> run_;
};

TEST_F(ActiveDirectory, KerberosBindMovesConnectionsToTheServerEachQueueNames) {
  GetTicket();
  for (LdapBindMode mode : {LdapBindMode::Gssapi, LdapBindMode::Auto}) {
    SCOPED_TRACE(mode == LdapBindMode::Gssapi ? "gssapi" : "auto");
    // Plain LDAP under "require strong auth": the SASL layer signs and seals.
    Query(Happy(), Bind(mode), {"\\\\OLD1\\HR-Printer", "\\\\OLD2\\Laser9", "\\\\OLD3\\acct"});
    ASSERT_FALSE(run_->AbortStatus) << run_->OutcomeText;
    EXPECT_EQ(Sorted(run_->ADPrinters), kHappyQueues);
    EXPECT_EQ(fakes_.Network.Connections,
              (std::vector<std::string>{"\\\\PRN-SRV02\\HR-Printer", "\\\\SRV5\\Laser9",
                                        "\\\\NEWSRV\\acct"}));
    // The query text in the log is the one the provider is given, unchanged.
    EXPECT_TRUE(Contains(run_->DebugText,
                         ">> Querying AD for printers, command:Select name, printShareName FROM "
                         "'LDAP://" +
                             Happy() + "' WHERE objectCategory='printQueue'\r\n"))
        << run_->DebugText;
  }
}

TEST_F(ActiveDirectory, KerberosInsideTlsLeavesTheSecurityLayerToTls) {
  GetTicket();
  Query(Happy(), Bind(LdapBindMode::Gssapi, LdapTlsMode::StartTls));
  EXPECT_FALSE(run_->AbortStatus) << run_->OutcomeText;
  EXPECT_EQ(Sorted(run_->ADPrinters), kHappyQueues);
  Query(Happy(636), Bind(LdapBindMode::Gssapi));
  EXPECT_FALSE(run_->AbortStatus) << run_->OutcomeText;
  EXPECT_EQ(Sorted(run_->ADPrinters), kHappyQueues);
}

TEST_F(ActiveDirectory, SimpleBindsTravelInsideTls) {
  const std::string upn = std::string(SambaDC::kAdmin) + "@" + SambaDC::kRealm;
  const std::string down = std::string("VELLORAN\\") + SambaDC::kAdmin;
  // StartTLS first, whichever name form; or TLS from the start on 636.
  for (const auto& [domain, user] : std::vector<std::pair<std::string, std::string>>{
           {Happy(), upn}, {Happy(), down}, {Happy(636), upn}}) {
    SCOPED_TRACE(domain + " " + user);
    Query(domain, Simple(user));
    EXPECT_FALSE(run_->AbortStatus) << run_->OutcomeText;
    EXPECT_EQ(Sorted(run_->ADPrinters), kHappyQueues);
  }

  // Told to stay in the clear, the hardened DC refuses the password.
  Query(Happy(), Simple(upn, LdapTlsMode::None));
  EXPECT_TRUE(run_->AbortStatus);
  EXPECT_TRUE(Contains(run_->OutcomeText,
                       "\r\nError accessing Active Directory. Try installing an MDAC update."
                       "\r\n> Error Number: -2147016664"
                       "\r\n> Error Description: Strong(er) authentication required: "
                       "BindSimple: Transport encryption required."))
      << run_->OutcomeText;

  test::WriteFile(Secret(), "wrong\n");
  Query(Happy(), Simple(upn));
  EXPECT_TRUE(Contains(run_->OutcomeText, "> Error Description: Invalid credentials"))
      << run_->OutcomeText;
}

TEST_F(ActiveDirectory, AnonymousReadersAreRefusedAndTold) {
  Query(Happy(), Bind(LdapBindMode::Anonymous));
  EXPECT_TRUE(run_->AbortStatus);
  EXPECT_TRUE(Contains(run_->OutcomeText,
                       "\r\nError accessing Active Directory. Try installing an MDAC update."
                       "\r\n> Error Number: -2147016672"
                       "\r\n> Error Description: Operations error: 00002020: Operation "
                       "unavailable without authentication"))
      << run_->OutcomeText;
  EXPECT_EQ(run_->ADPrinters.size(), 1u);

  // "auto" without a ticket: the same, and nothing about Kerberos.
  Query(Happy(), Bind(LdapBindMode::Auto));
  EXPECT_TRUE(Contains(run_->OutcomeText, "Operation unavailable without authentication"));
  EXPECT_FALSE(Contains(run_->OutcomeText, "GSSAPI")) << run_->OutcomeText;

  // With a ticket cache that holds nothing usable, the Kerberos failure is
  // the cause the administrator needs, so it is told beside the refusal.
  test::WriteFile(Cache(), "not a credential cache\n");
  Query(Happy(), Bind(LdapBindMode::Auto));
  EXPECT_TRUE(run_->AbortStatus);
  EXPECT_TRUE(Contains(run_->OutcomeText,
                       "Operation unavailable without authentication; "
                       "the GSSAPI bind tried before the anonymous one "
                       "failed: GSSAPI bind: Local error"))
      << run_->OutcomeText;
}

TEST_F(ActiveDirectory, EveryQueueOfTheDomainIsReadAndTheReferralSkipped) {
  GetTicket();
  // The domain root: a subtree search that meets the Configuration
  // partition's continuation reference.
  Query(dc->Address(), Bind(LdapBindMode::Gssapi));
  ASSERT_FALSE(run_->AbortStatus) << run_->OutcomeText;
  EXPECT_TRUE(Contains(run_->DebugText, "FROM 'LDAP://" + dc->Address() + "/" + kBase + "'"));
  ASSERT_EQ(run_->ADPrinters.size(), 1u + 3 + kBigCount);
  std::vector<bool> seen(kBigCount);
  for (const auto& p : run_->ADPrinters) {
    if (p.ShareName.empty() || p.ShareName[0] != 'Q') continue;
    int n = std::atoi(p.ShareName.c_str() + 1);
    ASSERT_EQ(p.PrinterName, "Queue " + std::to_string(n));
    ASSERT_EQ(p.ServerName, "BIG-" + std::to_string(n % 5));
    seen[n] = true;
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), kBigCount);
}

// The engine as a client runs it: settings from the environment and
// ldap.conf, the outcome as the administrator reads it.
struct EngineAgainstTheDC : ActiveDirectory {
  test::EngineFolder engine{VELLORAN_ENGINE_PATH};

  std::string Outcome() const { return test::ReadFile(engine.Root() / "out/outcome.txt"); }
  std::string Ini(int port = 0) const {
    std::filesystem::create_directories(engine.Root() / "out");
    const std::string path = (engine.Folder() / "move.ini").string();
    test::WriteFile(path,
                    "[GENERAL]\r\nUseActiveDirectory=True\r\nUseManualDefinitions=False\r\n"
                    "AlwaysRun=True\r\n[ACTIVE DIRECTORY]\r\nDomainName=" +
                        Happy(port) +
                        "\r\n[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
                        (engine.Root() / "out").string() +
                        "\r\nFileOutputName=outcome.txt\r\nIncludeComputerName=False\r\n"
                        "IncludeOutcome=False\r\nWriteToEventLog=False\r\n[SUPPORT]\r\n"
                        "DebugOn=True\r\n");
    return path;
  }
};

TEST_F(EngineAgainstTheDC, StartTlsTrustsTheCAThatLdapConfNames) {
  test::WriteFile(
      engine.Connections(),
      "computer: PC01\nconnection: \\\\OLD1\\HR-Printer\nconnection: \\\\OLD2\\Laser9\n");
  engine.Env["VELLORAN_LDAP_BIND"] = "simple";
  engine.Env["VELLORAN_LDAP_USER"] = std::string(SambaDC::kAdmin) + "@" + SambaDC::kRealm;
  engine.Env["VELLORAN_LDAP_PASSWORD_FILE"] = Secret();
  // Only the system's CAs, which never issued the DC's certificate.
  engine.Env["LDAPTLS_CACERT"] = "/etc/ssl/certs/ca-certificates.crt";
  auto r = engine.Run({Ini()});
  ASSERT_EQ(r.ExitCode, 1) << r.Stderr;
  std::string outcome = Outcome();
  EXPECT_TRUE(Contains(outcome,
                       "Error accessing Active Directory. Try installing an MDAC update."
                       "\r\n> Error Number: -2147016646"
                       "\r\n> Error Description: TLS with " +
                           dc->Address() + " failed: "))
      << outcome;
  EXPECT_TRUE(Contains(outcome,
                       "in the system's store or in TLS_CACERT (ldap.conf, "
                       "LDAPTLS_CACERT)"))
      << outcome;
  // The same on the TLS port, where the handshake comes before any LDAP.
  r = engine.Run({Ini(636)});
  ASSERT_EQ(r.ExitCode, 1) << r.Stderr;
  EXPECT_TRUE(
      Contains(Outcome(), "> Error Description: TLS with " + dc->Address() + ":636 failed: "))
      << Outcome();

  test::WriteFile(engine.Root() / "ldap.conf", "TLS_CACERT " + dc->CaFile() + "\n");
  engine.Env["LDAPCONF"] = (engine.Root() / "ldap.conf").string();
  engine.Env.erase("LDAPTLS_CACERT");
  // The child inherits this program's own setting; take it away.
  ::unsetenv("LDAPTLS_CACERT");
  r = engine.Run({Ini()});
  ::setenv("LDAPTLS_CACERT", dc->CaFile().c_str(), 1);
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  outcome = Outcome();
  EXPECT_TRUE(Contains(outcome,
                       "\r\nPrinter migrated: HR-Printer (OLD1)"
                       "\r\nPrinter migrated: Laser9 (OLD2)"))
      << outcome;
  EXPECT_EQ(
      test::ReadFile(engine.Connections()),
      "computer: PC01\nconnection: \\\\PRN-SRV02\\HR-Printer\nconnection: \\\\SRV5\\Laser9\n");
}

TEST_F(EngineAgainstTheDC, AClientWithoutTheKerberosModuleIsToldWhatToInstall) {
  GetTicket();
  const std::string before = "computer: PC01\nconnection: \\\\OLD1\\HR-Printer\n";
  test::WriteFile(engine.Connections(), before);
  // A SASL plug-in folder without the GSSAPI module, as on a client where
  // libsasl2-modules-gssapi-mit is not installed.
  std::filesystem::create_directories(engine.Root() / "sasl");
  engine.Env["SASL_PATH"] = (engine.Root() / "sasl").string();
  engine.Env["KRB5CCNAME"] = "FILE:" + Cache();

  engine.Env["VELLORAN_LDAP_BIND"] = "gssapi";
  auto r = engine.Run({Ini()});
  ASSERT_EQ(r.ExitCode, 1) << r.Stderr;
  EXPECT_TRUE(
      Contains(Outcome(),
               "> Error Description: GSSAPI bind: Unknown authentication method: SASL(-4): no "
               "mechanism available: No worthy mechs found (the SASL GSSAPI "
               "module is missing: install libsasl2-modules-gssapi-mit)"))
      << Outcome();

  // "auto" falls back to anonymous, which the domain refuses: both causes.
  engine.Env["VELLORAN_LDAP_BIND"] = "auto";
  r = engine.Run({Ini()});
  ASSERT_EQ(r.ExitCode, 1) << r.Stderr;
  EXPECT_TRUE(Contains(Outcome(),
                       "Operation unavailable without authentication; the GSSAPI bind "
                       "tried before the anonymous one failed: GSSAPI bind: "))
      << Outcome();
  EXPECT_TRUE(Contains(Outcome(), "install libsasl2-modules-gssapi-mit")) << Outcome();
  EXPECT_EQ(test::ReadFile(engine.Connections()), before);
}

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new velloran::SambaEnvironment);
  return RUN_ALL_TESTS();
}
