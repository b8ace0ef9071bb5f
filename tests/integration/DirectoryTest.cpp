// The directory mode against a real slapd.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "engine/modMoveADPrinters.h"
#include "engine/modPrinters.h"
#include "platform/ldap/LdapDirectory.h"
#include "tests/support/EngineProcess.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/FaultyLdap.h"
#include "tests/support/Slapd.h"

namespace velloran {
namespace {

using test::FakePlatform;
using test::PrintQueue;
using test::Slapd;

const std::string kHappy = std::string("ou=Happy,") + Slapd::kSuffix;
const std::string kBig = std::string("ou=Big,") + Slapd::kSuffix;
const std::string kSecure = std::string("ou=Secure,") + Slapd::kSuffix;
const std::string kChildren = std::string("ou=Children's,") + Slapd::kSuffix;
constexpr int kBigCount = 2500;

namespace fs = std::filesystem;
using test::Contains;
using test::ReadFile;
using test::WriteFile;

class Directory : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string ldif;
    for (const char* ou : {"Happy", "Empty", "Big", "Secure", "Children's"})
      ldif += test::OrganizationalUnitLdif(ou);
    ldif += test::PrintQueueLdif(kHappy, {{"SRV1-Laser3", {"Laser3", "L3"}},
                                          {"NEW-Acct", {"ACCT"}},
                                          {"Plain", {"Plain"}},
                                          {"SRV2-NoShare", {}}});
    // What else a subtree search meets in a real domain: a continuation
    // reference and objects of other categories.
    ldif += "dn: ou=Elsewhere," + kHappy +
            "\nobjectClass: referral\nobjectClass: extensibleObject\nou: Elsewhere\n"
            "ref: ldap://elsewhere.invalid/ou=Elsewhere,dc=corp,dc=test\n\n";
    ldif += "dn: cn=SRV9-Person," + kHappy + "\nobjectClass: person\ncn: SRV9-Person\nsn: x\n\n";
    std::vector<PrintQueue> big;
    for (int i = 0; i < kBigCount; ++i)
      big.push_back({"PRN" + std::to_string(i % 7) + "-Queue" + std::to_string(i),
                     {"Q" + std::to_string(i)}});
    ldif += test::PrintQueueLdif(kBig, big);
    ldif += test::PrintQueueLdif(kSecure, {{"SEC-Vault", {"Vault"}}});
    ldif += test::PrintQueueLdif(kChildren, {{"KID-Crayon", {"Crayon"}}});
    server_ = new Slapd(ldif);
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  /// GetADPrinters for "LDAP://" + domain through a fresh LDAP backend.
  void Query(const std::string& domain, LdapDirectoryOptions options = Anonymous()) {
    directory_ = MakeLdapDirectory(std::move(options));
    run_ = fakes_.DirectoryRun(*directory_, domain);
    GetADPrinters(*run_);
  }
  /// The run stopped on a directory access failure, reported with its
  /// number and description.
  void ExpectAccessFailure(const std::string& number, const std::string& description) {
    EXPECT_TRUE(run_->AbortStatus);
    EXPECT_TRUE(run_->OutcomeText.starts_with(
        "\r\nError accessing Active Directory. Try installing an MDAC update.\r\n> Error Number: " +
        number + "\r\n> Error Description: " + description))
        << run_->OutcomeText;
  }
  static LdapDirectoryOptions Anonymous() {
    LdapDirectoryOptions o;
    o.Bind = LdapBindMode::Anonymous;
    return o;
  }
  std::string Path(const std::string& dn) const { return server_->HostPort() + "/" + dn; }

  static Slapd* server_;
  FakePlatform fakes_;
  std::unique_ptr<DirectoryService> directory_;
  std::unique_ptr<velloran::Run> run_;
};

Slapd* Directory::server_ = nullptr;

TEST_F(Directory, PublishedQueuesAreReadWithTheirNamesSplit) {
  Query(Path(kHappy));
  ASSERT_FALSE(run_->AbortStatus) << run_->OutcomeText;
  EXPECT_EQ(run_->ADPrinters, (std::vector<NetworkPrinter>{{},
                                                           {"Laser3", "SRV1", "Laser3"},
                                                           {"Acct", "NEW", "ACCT"},
                                                           {"Plain", "", "Plain"},
                                                           {"NoShare", "SRV2", ""}}));
  const std::string adsPath = "LDAP://" + server_->HostPort() + "/" + kHappy;
  EXPECT_TRUE(
      Contains(run_->DebugText,
               ">> Created connection to AD: LDAP://" + Path(kHappy) +
                   "\r\n"
                   ">> Querying AD for printers, command:Select name, printShareName FROM '" +
                   adsPath + "' WHERE objectCategory='printQueue'\r\n"));
  EXPECT_TRUE(run_->OutcomeText.ends_with("\r\nPlain (\\\\\\Plain)\r\nNoShare (\\\\SRV2\\)"));
}

// Each record holds the fields in the order asked, whatever the case of
// their names; every value of a multi-valued one; nothing for one the entry
// lacks; and the entry's path for ADsPath.
TEST_F(Directory, ARecordHoldsEveryValueOfEachFieldAskedFor) {
  directory_ = MakeLdapDirectory(Anonymous());
  auto connection = directory_->OpenConnection("ADsDSOObject");
  ASSERT_TRUE(connection.ok()) << connection.error().Description;
  const std::string from = "LDAP://" + Path(kHappy);
  auto rs = (*connection)
                ->Execute("Select PRINTSHARENAME, ADsPath, Name FROM '" + from +
                              "' WHERE objectCategory='printQueue'",
                          {"uNCName", "name"});
  ASSERT_TRUE(rs.ok()) << rs.error().Description;
  ASSERT_EQ(rs->FieldNames,
            (std::vector<std::string>{"PRINTSHARENAME", "ADsPath", "Name", "uNCName", "name"}));
  const auto first = std::find_if(rs->Records.begin(), rs->Records.end(), [](const auto& r) {
    return !r.Fields[2].empty() && r.Fields[2][0] == "SRV1-Laser3";
  });
  ASSERT_NE(first, rs->Records.end());
  EXPECT_EQ(first->Fields, (std::vector<std::vector<std::string>>{
                               {"Laser3", "L3"},
                               {"LDAP://" + server_->HostPort() + "/cn=SRV1-Laser3," + kHappy},
                               {"SRV1-Laser3"},
                               {},
                               {"SRV1-Laser3"}}));
  EXPECT_EQ(rs->Records.size(), 4u);
}

TEST_F(Directory, AnEmptyAnswerWritesTheHeaderOnly) {
  Query(Path(std::string("ou=Empty,") + Slapd::kSuffix));
  EXPECT_FALSE(run_->AbortStatus);
  EXPECT_EQ(run_->ADPrinters.size(), 1u);
  EXPECT_EQ(run_->OutcomeText, "\r\n* ----- AD Printers ----- *");
}

TEST_F(Directory, AMissingDNOrAServerThatIsDownIsAnAccessFailure) {
  Query(Path(std::string("ou=Nowhere,") + Slapd::kSuffix));
  ExpectAccessFailure("-2147016656", "No such object");
  EXPECT_TRUE(
      Contains(run_->DebugText, "ERROR: Accessing Active Directory. <<\r\nERROR: -2147016656\r\n"));

  const std::string down = "127.0.0.1:" + std::to_string(test::FreeLoopbackPort());
  Query(down + "/" + kHappy);
  ExpectAccessFailure("-2147016646", "Can't contact LDAP server");
  EXPECT_EQ(run_->ADPrinters.size(), 1u);
}

// Which server could not be reached, in the outcome and the debug log alike,
// whichever form the domain name takes; with several configured, each.
TEST_F(Directory, AServerThatIsDownIsNamedByItsUri) {
  const std::string down = "127.0.0.1:" + std::to_string(test::FreeLoopbackPort());
  const std::string alsoDown = "127.0.0.1:" + std::to_string(test::FreeLoopbackPort());
  struct Case {
    const char* Name;
    std::string Domain, DefaultUris;
    std::vector<std::string> Named;
  };
  const std::vector<Case> cases = {{"server and DN", down + "/" + kHappy, "", {"ldap://" + down}},
                                   {"server alone", down, "", {"ldap://" + down}},
                                   {"DN alone",
                                    kHappy,
                                    "ldap://" + down + "/ ldap://" + alsoDown + "/",
                                    {"ldap://" + down + "/", "ldap://" + alsoDown + "/"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    LdapDirectoryOptions o = Anonymous();
    o.DefaultUris = c.DefaultUris;
    Query(c.Domain, o);
    ASSERT_TRUE(run_->AbortStatus);
    for (const std::string& uri : c.Named) {
      EXPECT_TRUE(Contains(run_->OutcomeText, "Can't contact LDAP server (" + uri + ")"))
          << run_->OutcomeText;
      EXPECT_TRUE(Contains(run_->DebugText, "Can't contact LDAP server (" + uri + ")"))
          << run_->DebugText;
    }
  }
}

TEST_F(Directory, MoreQueuesThanOneAnswerHoldsComeBackWhole) {
  // The server really does stop an unpaged search at 1000.
  auto unpaged = test::RunProcess(
      test::LdapProgram("ldapsearch"),
      {"-x", "-H", server_->Uri(), "-b", kBig, "(objectCategory=printQueue)", "1.1"});
  EXPECT_EQ(unpaged.ExitCode, 4) << unpaged.Stdout << unpaged.Stderr;  // sizeLimitExceeded
  EXPECT_TRUE(Contains(unpaged.Stdout, "# numEntries: 1000"));

  Query(Path(kBig));
  ASSERT_FALSE(run_->AbortStatus) << run_->OutcomeText;
  ASSERT_EQ(run_->ADPrinters.size(), kBigCount + 1u);
  std::vector<bool> seen(kBigCount);
  for (size_t i = 1; i < run_->ADPrinters.size(); ++i) {
    const auto& p = run_->ADPrinters[i];
    int n = std::atoi(p.ShareName.c_str() + 1);
    ASSERT_EQ(p.PrinterName, "Queue" + std::to_string(n));
    ASSERT_EQ(p.ServerName, "PRN" + std::to_string(n % 7));
    seen[n] = true;
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), kBigCount);
}

TEST_F(Directory, APagedSearchTheServerCutsShortIsAQueryFailure) {
  // A server that ends a paged search after 1,500 of 2,500 entries: the
  // pages read so far are not the whole list and must not migrate anyone.
  std::vector<PrintQueue> queues;
  for (int i = 0; i < kBigCount; ++i)
    queues.push_back({"CUT-Q" + std::to_string(i), {"Q" + std::to_string(i)}});
  Slapd cut(test::OrganizationalUnitLdif("Big") + test::PrintQueueLdif(kBig, queues),
            "sizelimit size.soft=1000 size.hard=1000 size.pr=1000 size.prtotal=1500");
  directory_ = MakeLdapDirectory(Anonymous());
  Services s = fakes_.services();
  s.Directory = *directory_;
  run_ = std::make_unique<velloran::Run>(s);
  ResetINISettings(run_->Settings);
  run_->Settings.DomainName = cut.HostPort() + "/" + kBig;
  GetADPrinters(*run_);
  EXPECT_TRUE(run_->AbortStatus);
  EXPECT_EQ(run_->OutcomeText,
            "\r\nError quering Active Directory printers.\r\n> Error Number: -2147016669"
            "\r\n> Error Description: Size limit exceeded")
      << run_->OutcomeText;
  EXPECT_EQ(run_->ADPrinters.size(), 1u);
}

// A logon cannot wait for ever: a server that takes the connection and
// never answers fails the bind after the reply timeout, on the access path
// like a server that is down.
TEST_F(Directory, AServerThatNeverAnswersIsAnAccessFailureInBoundedTime) {
  test::SilentLdapServer silent;
  struct Case {
    const char* Name;
    LdapTlsMode Tls;
    std::string DefaultUris, Domain;
  };
  const std::vector<Case> cases = {
      {"plain", LdapTlsMode::None, "", silent.HostPort() + "/" + kHappy},
      {"StartTLS", LdapTlsMode::StartTls, "", silent.HostPort() + "/" + kHappy},
      {"ldaps", LdapTlsMode::Auto, "ldaps://" + silent.HostPort() + "/", kHappy}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    LdapDirectoryOptions o = Anonymous();
    o.Tls = c.Tls;
    o.DefaultUris = c.DefaultUris;
    o.ReplyTimeoutSeconds = 1;
    o.NetworkTimeoutSeconds = 1;
    const auto start = std::chrono::steady_clock::now();
    Query(c.Domain, o);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    // Told as a time-out, not as a server that cannot be reached.
    ExpectAccessFailure("-2147023436", "Timed out");
    EXPECT_EQ(run_->ADPrinters.size(), 1u);
  }
  EXPECT_GE(silent.Accepted(), 3);
}

// A connection lost after the first page, or in the middle of an answer:
// the pages read so far are not the list.
TEST_F(Directory, AConnectionCutDuringAPagedSearchIsAQueryFailure) {
  for (test::CuttingLdapProxy::Cut cut : {test::CuttingLdapProxy::Cut{.Entries = 1000},
                                          test::CuttingLdapProxy::Cut{.Bytes = 60000}}) {
    SCOPED_TRACE(cut.Entries ? "after the first page" : "in the middle of an answer");
    test::CuttingLdapProxy proxy(server_->Port(), cut);
    LdapDirectoryOptions o = Anonymous();
    o.ReplyTimeoutSeconds = 5;
    const auto start = std::chrono::steady_clock::now();
    Query(proxy.HostPort() + "/" + kBig, o);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(proxy.Cuts(), 1);
    EXPECT_TRUE(run_->AbortStatus);
    EXPECT_EQ(run_->OutcomeText,
              "\r\nError quering Active Directory printers.\r\n> Error Number: -2147016646"
              "\r\n> Error Description: Can't contact LDAP server (ldap://" +
                  proxy.HostPort() + ")")
        << run_->OutcomeText;
    EXPECT_EQ(run_->ADPrinters.size(), 1u);
  }
}

// What the server cannot tell us has to be said right: an unanswered
// StartTLS request fails after one reply timeout, a handshake that never
// ends after two, a TLS port that never answers after the connect timeout
// and one reply timeout; the text names the wait that ran out.
TEST_F(Directory, ATlsTimeOutNamesTheWaitThatRanOut) {
  test::SilentLdapServer silent;
  test::NoTlsLdapServer hanging(test::NoTlsLdapServer::StartTls::AgreeThenHang);
  struct Case {
    const char* Name;
    std::string DefaultUris, Domain;
  };
  const std::vector<Case> cases = {
      {"StartTLS never answered", "", silent.HostPort() + "/" + kHappy},
      {"handshake never answered", "", hanging.HostPort() + "/" + kHappy},
      {"ldaps never answered", "ldaps://" + silent.HostPort() + "/", kHappy}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    LdapDirectoryOptions o = Anonymous();
    o.Tls = LdapTlsMode::StartTls;
    o.DefaultUris = c.DefaultUris;
    o.ReplyTimeoutSeconds = 1;
    o.NetworkTimeoutSeconds = 1;
    const auto start = std::chrono::steady_clock::now();
    Query(c.Domain, o);
    const double waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(run_->AbortStatus);
    const size_t within = run_->OutcomeText.find(" within ");
    ASSERT_NE(within, std::string::npos) << run_->OutcomeText;
    const int said = std::atoi(run_->OutcomeText.c_str() + within + 8);
    EXPECT_GE(waited, said - 0.3) << run_->OutcomeText;
    EXPECT_LT(waited, said + 0.9) << run_->OutcomeText;
  }
}

// A password crosses the wire inside TLS only. A server (or whoever sits
// between) that declines StartTLS gets no bind at all under "auto" or
// "starttls"; "none" is the administrator's explicit choice to send it in
// the clear, and the error under "auto" names it. Binds without a password
// ask for no TLS, as before.
TEST_F(Directory, ASimpleBindSendsNoPasswordToAServerThatDeclinesTls) {
  test::TempDir secrets;
  const std::string password = "Pa55-in-the-clear";
  test::WriteFile(secrets / "pw", password + "\n");
  struct Case {
    const char* Name;
    LdapBindMode Bind;
    LdapTlsMode Tls;
    bool Binds;
    const char* Told;
  };
  const std::vector<Case> cases = {
      {"simple, auto", LdapBindMode::Simple, LdapTlsMode::Auto, false, "VELLORAN_LDAP_TLS=none"},
      {"simple, starttls", LdapBindMode::Simple, LdapTlsMode::StartTls, false, "StartTLS refused"},
      {"simple, none", LdapBindMode::Simple, LdapTlsMode::None, true, "Invalid credentials"},
      {"anonymous, auto", LdapBindMode::Anonymous, LdapTlsMode::Auto, true, "Invalid credentials"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    test::NoTlsLdapServer server(test::NoTlsLdapServer::StartTls::Decline);
    LdapDirectoryOptions o;
    o.Bind = c.Bind;
    o.Tls = c.Tls;
    o.User = "CORP\\reader";
    o.PasswordFile = (secrets / "pw").string();
    Query(server.HostPort() + "/" + kHappy, o);
    EXPECT_TRUE(run_->AbortStatus);
    EXPECT_TRUE(Contains(run_->OutcomeText, c.Told)) << run_->OutcomeText;
    EXPECT_EQ(server.Binds(), c.Binds ? 1 : 0);
    const bool sent = Contains(server.Received(), password);
    EXPECT_EQ(sent, c.Bind == LdapBindMode::Simple && c.Binds);
    // The StartTLS request's name: asked for with a password only.
    EXPECT_EQ(Contains(server.Received(), "1.3.6.1.4.1.1466.20037"), !c.Binds);
  }
}

// The domain's path goes into the query between apostrophes: one inside it
// is doubled, and the query finds the queues below that path.
TEST_F(Directory, AnApostropheInTheDomainNameIsQuotedInTheQuery) {
  Query(Path(kChildren));
  ASSERT_FALSE(run_->AbortStatus) << run_->OutcomeText;
  EXPECT_EQ(run_->ADPrinters, (std::vector<NetworkPrinter>{{}, {"Crayon", "KID", "Crayon"}}));
  EXPECT_TRUE(Contains(run_->DebugText, "FROM 'LDAP://" + server_->HostPort() + "/ou=Children''s," +
                                            Slapd::kSuffix + "' WHERE"))
      << run_->DebugText;
}

// The example ldap.conf is one the LDAP library reads as meant: its server
// list tried in order, its other lines accepted. The guide's directory page
// shows the same settings, so that one cannot drift from the other.
TEST_F(Directory, TheExampleLdapConfIsReadAsWritten) {
  const fs::path source = VELLORAN_SOURCE_DIR;
  std::string conf = ReadFile(source / "examples/ldap.conf");
  const std::string guide = ReadFile(source / "docs/guide/directory.md");
  std::istringstream lines(conf);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    EXPECT_TRUE(Contains(guide, "\n" + line + "\n")) << line;
  }

  const size_t uri = conf.find("\nURI ");
  ASSERT_NE(uri, std::string::npos);
  const size_t end = conf.find('\n', uri + 1);
  const std::string down = "ldap://127.0.0.1:" + std::to_string(test::FreeLoopbackPort()) + "/";
  conf.replace(uri + 1, end - uri - 1, "URI " + down + " " + server_->Uri());
  test::TempDir dir;
  WriteFile(dir / "ldap.conf", conf);
  auto found = test::RunProcess(test::LdapProgram("ldapsearch"),
                                {"-x", "-LLL", "-b", kHappy, "(objectCategory=printQueue)", "cn"},
                                {{"LDAPCONF", (dir / "ldap.conf").string()}}, "",
                                {"LDAPURI", "LDAPRC", "LDAPNOINIT"});
  EXPECT_EQ(found.ExitCode, 0) << found.Stderr;
  EXPECT_TRUE(Contains(found.Stdout, "cn: SRV1-Laser3")) << found.Stdout;
}

TEST_F(Directory, AServerOrDomainNameAloneSearchesTheDefaultNamingContext) {
  Query(server_->HostPort());
  ASSERT_FALSE(run_->AbortStatus) << run_->OutcomeText;
  EXPECT_TRUE(Contains(run_->DebugText,
                       "FROM 'LDAP://" + server_->HostPort() + "/" + Slapd::kSuffix + "'"));
  // Every readable queue below the root: happy, big, children's; the secure
  // one is hidden.
  EXPECT_EQ(run_->ADPrinters.size(), 1u + 4 + kBigCount + 1);
}

TEST_F(Directory, ADNAloneUsesTheConfiguredServersInOrder) {
  LdapDirectoryOptions o = Anonymous();
  o.DefaultUris =
      "ldap://127.0.0.1:" + std::to_string(test::FreeLoopbackPort()) + "/ " + server_->Uri();
  Query(kHappy, o);
  ASSERT_FALSE(run_->AbortStatus) << run_->OutcomeText;
  EXPECT_TRUE(Contains(run_->DebugText, ">> Created connection to AD: LDAP://" + kHappy + "\r\n"));
  EXPECT_TRUE(Contains(run_->DebugText, "FROM 'LDAP://" + Path(kHappy) + "'"));
  EXPECT_EQ(run_->ADPrinters.size(), 5u);
}

TEST_F(Directory, BindsAnonymousSimpleAndAutoWithoutATicket) {
  test::TempDir secrets;
  const std::string good = (secrets / "good").string(), bad = (secrets / "bad").string(),
                    empty = (secrets / "empty").string();
  test::WriteFile(good, std::string(Slapd::kAdminPassword) + "\n");
  test::WriteFile(bad, "wrong\n");
  test::WriteFile(empty, "\n");
  // This server does no TLS: a password goes to it only when the
  // administrator says so.
  auto simple = [&](const std::string& file) {
    LdapDirectoryOptions o;
    o.Bind = LdapBindMode::Simple;
    o.User = Slapd::kAdminDN;
    o.PasswordFile = file;
    o.Tls = LdapTlsMode::None;
    return o;
  };

  // Like a domain that refuses anonymous reads.
  Query(Path(kSecure));
  EXPECT_TRUE(run_->AbortStatus);

  Query(Path(kSecure), simple(good));
  ASSERT_FALSE(run_->AbortStatus) << run_->OutcomeText;
  EXPECT_EQ(run_->ADPrinters, (std::vector<NetworkPrinter>{{}, {"Vault", "SEC", "Vault"}}));

  // This server does no TLS: demanded, StartTLS is an error, not plain LDAP.
  LdapDirectoryOptions strict = simple(good);
  strict.Tls = LdapTlsMode::StartTls;
  Query(Path(kSecure), strict);
  EXPECT_TRUE(Contains(run_->OutcomeText, "StartTLS refused by " + server_->HostPort()))
      << run_->OutcomeText;

  Query(Path(kSecure), simple(bad));
  EXPECT_TRUE(Contains(run_->OutcomeText,
                       "> Error Number: -2147023570\r\n> Error Description: Invalid credentials"))
      << run_->OutcomeText;

  // An empty password would make the bind anonymous and look like success.
  Query(Path(kHappy), simple(empty));
  EXPECT_TRUE(Contains(run_->OutcomeText, "the password is empty")) << run_->OutcomeText;
  Query(Path(kHappy), simple((secrets / "missing").string()));
  EXPECT_TRUE(Contains(run_->OutcomeText, "No such file or directory")) << run_->OutcomeText;

  // "auto" without a ticket binds anonymously, and with a ticket the server
  // cannot use (this slapd has no Kerberos) falls back to anonymous too.
  test::WriteFile(secrets / "unusable-ticket", "not a credential cache\n");
  const char* saved = std::getenv("KRB5CCNAME");
  std::string keep = saved ? saved : "";
  for (const char* cache : {"no-ticket", "unusable-ticket"}) {
    SCOPED_TRACE(cache);
    ::setenv("KRB5CCNAME", ("FILE:" + (secrets / cache).string()).c_str(), 1);
    Query(Path(kHappy), LdapDirectoryOptions{});
    EXPECT_FALSE(run_->AbortStatus) << run_->OutcomeText;
    EXPECT_EQ(run_->ADPrinters.size(), 5u);
  }
  // Asked for explicitly, a GSSAPI bind that cannot happen is a failure.
  LdapDirectoryOptions gssapi;
  gssapi.Bind = LdapBindMode::Gssapi;
  Query(Path(kHappy), gssapi);
  EXPECT_TRUE(run_->AbortStatus);
  if (saved)
    ::setenv("KRB5CCNAME", keep.c_str(), 1);
  else
    ::unsetenv("KRB5CCNAME");
}

TEST(LdapSettings, EnvironmentChoosesTheBind) {
  auto with = [](std::map<std::string, std::string> env) {
    for (const char* k : {"VELLORAN_LDAP_BIND", "VELLORAN_LDAP_USER", "VELLORAN_LDAP_PASSWORD_FILE",
                          "VELLORAN_LDAP_TLS", "VELLORAN_LDAP_TIMEOUT"})
      ::unsetenv(k);
    for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
    auto o = LdapOptionsFromEnvironment();
    for (const auto& [k, v] : env) ::unsetenv(k.c_str());
    return o;
  };
  EXPECT_EQ(with({}).Bind, LdapBindMode::Auto);
  EXPECT_EQ(with({{"VELLORAN_LDAP_BIND", "GSSAPI"}}).Bind, LdapBindMode::Gssapi);
  auto simple = with({{"VELLORAN_LDAP_BIND", "simple"},
                      {"VELLORAN_LDAP_USER", "CORP\\admin"},
                      {"VELLORAN_LDAP_PASSWORD_FILE", "/run/pw"}});
  EXPECT_FALSE(simple.Invalid);
  EXPECT_EQ(simple.User, "CORP\\admin");
  EXPECT_TRUE(with({{"VELLORAN_LDAP_BIND", "simple"}, {"VELLORAN_LDAP_USER", "x"}}).Invalid);
  auto wrong = with({{"VELLORAN_LDAP_BIND", "kerberos"}});
  ASSERT_TRUE(wrong.Invalid);
  EXPECT_TRUE(Contains(wrong.Invalid->Description, "VELLORAN_LDAP_BIND"));
  EXPECT_EQ(with({}).Tls, LdapTlsMode::Auto);
  EXPECT_EQ(with({{"VELLORAN_LDAP_TLS", "StartTLS"}}).Tls, LdapTlsMode::StartTls);
  EXPECT_EQ(with({{"VELLORAN_LDAP_TLS", "none"}}).Tls, LdapTlsMode::None);
  auto tls = with({{"VELLORAN_LDAP_TLS", "ldaps"}});
  ASSERT_TRUE(tls.Invalid);
  EXPECT_TRUE(Contains(tls.Invalid->Description, "VELLORAN_LDAP_TLS"));
  EXPECT_EQ(with({}).ReplyTimeoutSeconds, 120);
  EXPECT_EQ(with({{"VELLORAN_LDAP_TIMEOUT", "15"}}).ReplyTimeoutSeconds, 15);
  for (const char* bad : {"0", "-5", "10s", " 5", "99999999999999999999", "3601"}) {
    auto timeout = with({{"VELLORAN_LDAP_TIMEOUT", bad}});
    ASSERT_TRUE(timeout.Invalid) << bad;
    EXPECT_TRUE(Contains(timeout.Invalid->Description, "VELLORAN_LDAP_TIMEOUT")) << bad;
  }
}

}  // namespace
}  // namespace velloran
