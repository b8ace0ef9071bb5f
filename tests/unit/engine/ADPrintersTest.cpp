// The directory mode against an in-memory directory and network object.

#include <gtest/gtest.h>

#include <random>

#include "engine/modMoveADPrinters.h"
#include "engine/modMoveNetworkPrinters.h"
#include "engine/modPrinters.h"
#include "platform/NullBackends.h"
#include "tests/support/FakePlatform.h"

namespace velloran {
namespace {

using test::FakePlatform;

using test::Contains;

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

DirectoryRecord Queue(std::string name, std::vector<std::string> shares) {
  return DirectoryRecord{{{std::move(name)}, std::move(shares)}};
}

/// A queue as Windows publishes it: with its server's short name and path.
DirectoryRecord Published(std::string name, std::string share, std::string server) {
  return DirectoryRecord{{{std::move(name)},
                          {share},
                          {server},
                          {server + ".corp.test"},
                          {"\\\\" + server + "\\" + share}}};
}

class FakeDirectory : public DirectoryService {
 public:
  std::optional<PlatformError> BindFails, OpenFails, ExecuteFails;
  std::vector<DirectoryRecord> Records;
  std::vector<std::string> Bound, Providers, Commands;
  std::vector<std::vector<std::string>> AlsoRead;

  Result<std::unique_ptr<DirectoryObject>> GetObject(std::string_view path) override {
    Bound.emplace_back(path);
    if (BindFails) return *BindFails;
    struct Object : DirectoryObject {
      std::string path;
      std::string AdsPath() const override { return path; }
    };
    auto o = std::make_unique<Object>();
    o->path = "LDAP://dc01.corp.test/" + std::string(path.substr(7));
    return std::unique_ptr<DirectoryObject>(std::move(o));
  }
  Result<std::unique_ptr<DirectoryConnection>> OpenConnection(std::string_view provider) override {
    Providers.emplace_back(provider);
    if (OpenFails) return *OpenFails;
    struct Connection : DirectoryConnection {
      FakeDirectory* dir;
      Result<RecordSet> Execute(std::string_view text,
                                const std::vector<std::string>& alsoRead) override {
        dir->Commands.emplace_back(text);
        dir->AlsoRead.push_back(alsoRead);
        if (dir->ExecuteFails) return *dir->ExecuteFails;
        RecordSet rs{{"name", "printShareName"}, dir->Records};
        rs.FieldNames.insert(rs.FieldNames.end(), alsoRead.begin(), alsoRead.end());
        return rs;
      }
    };
    auto c = std::make_unique<Connection>();
    c->dir = this;
    return std::unique_ptr<DirectoryConnection>(std::move(c));
  }
};

struct ADMode : ::testing::Test {
  FakePlatform fakes;
  FakeDirectory directory;
  velloran::Run run{[this] {
    Services s = fakes.services();
    s.Directory = directory;
    return s;
  }()};

  void SetUp() override {
    ResetINISettings(run.Settings);
    run.Settings.DebugOn = true;
    run.Settings.DomainName = "DC=corp,DC=test";
  }
  void Connections(std::vector<std::string> names) {
    fakes.Network.Connections = std::move(names);
    GetClientPrinters(run);
    run.OutcomeText.clear();
    run.DebugText.clear();
    fakes.Network.Calls.clear();
  }
};

TEST_F(ADMode, QueryReadsEveryRecordAndSplitsServerFromPrinter) {
  directory.Records = {Queue("SRV1-Laser3", {"Laser3", "L3"}),
                       Published("PRN-01-Color", "Color", "PRN-01"), Queue("NoDash", {"Plain"}),
                       Queue("SRV2-NoShare", {}), DirectoryRecord{{{}, {"Nameless"}}}};
  GetADPrinters(run);

  EXPECT_FALSE(run.AbortStatus);
  EXPECT_EQ(directory.Bound, (std::vector<std::string>{"LDAP://DC=corp,DC=test"}));
  EXPECT_EQ(directory.Providers, (std::vector<std::string>{"ADsDSOObject"}));
  const std::string command =
      "Select name, printShareName FROM 'LDAP://dc01.corp.test/DC=corp,DC=test' "
      "WHERE objectCategory='printQueue'";
  EXPECT_EQ(directory.Commands, (std::vector<std::string>{command}));
  // The server attributes are asked for beside the logged command text.
  EXPECT_EQ(directory.AlsoRead,
            (std::vector<std::vector<std::string>>{{"shortServerName", "serverName", "uNCName"}}));
  EXPECT_EQ(run.ADPrinters, (std::vector<NetworkPrinter>{{},
                                                         {"Laser3", "SRV1", "Laser3"},
                                                         {"Color", "PRN-01", "Color"},
                                                         {"NoDash", "", "Plain"},
                                                         {"NoShare", "SRV2", ""},
                                                         {"", "", "Nameless"}}));
  EXPECT_EQ(
      run.OutcomeText,
      "\r\n* ----- AD Printers ----- *\r\nLaser3 (\\\\SRV1\\Laser3)\r\nColor (\\\\PRN-01\\Color)"
      "\r\nNoDash (\\\\\\Plain)\r\nNoShare (\\\\SRV2\\)\r\n (\\\\\\Nameless)");
  EXPECT_EQ(
      run.DebugText,
      ">> Created connection to AD: LDAP://DC=corp,DC=test\r\n"
      ">> Querying AD for printers, command:" +
          command +
          "\r\n"
          ">> * ----- AD Printers ----- * <<\r\n"
          ">> AD Printer: Laser3 (\\\\SRV1\\Laser3)\r\n>> AD Printer: Color (\\\\PRN-01\\Color)\r\n"
          ">> AD Printer: NoDash (\\\\\\Plain)\r\n>> AD Printer: NoShare (\\\\SRV2\\)\r\n"
          ">> AD Printer:  (\\\\\\Nameless)\r\n");
}

TEST_F(ADMode, EachFailurePathRecordsItsTextAndSkipsTheMigration) {
  struct Case {
    const char* what;
    std::optional<PlatformError> FakeDirectory::*field;
    const char* debugLine;
    const char* message;
  };
  const PlatformError err{-2147016646, "Can't contact LDAP server"};
  for (auto c :
       {Case{"bind", &FakeDirectory::BindFails, "ERROR: Accessing Active Directory. <<",
             "Error accessing Active Directory. Try installing an MDAC update."},
        Case{"open", &FakeDirectory::OpenFails, "ERROR: Quering Active Directory printers. <<",
             "Error quering Active Directory printers."},
        Case{"execute", &FakeDirectory::ExecuteFails,
             "ERROR: Quering Active Directory printers. <<",
             "Error quering Active Directory printers."}}) {
    SCOPED_TRACE(c.what);
    SetUp();
    run.AbortStatus = false;
    directory = FakeDirectory{};
    directory.*c.field = err;
    Connections({"\\\\A\\P1"});
    run.ADPrinters.assign(4, NetworkPrinter{"x", "y", "z"});
    MoveADPrinters(run);
    EXPECT_TRUE(run.AbortStatus);
    EXPECT_EQ(run.ADPrinters, std::vector<NetworkPrinter>(1));
    EXPECT_EQ(run.OutcomeText, std::string("\r\n") + c.message +
                                   "\r\n> Error Number: -2147016646"
                                   "\r\n> Error Description: Can't contact LDAP server");
    EXPECT_TRUE(Contains(run.DebugText,
                         std::string(c.debugLine) +
                             "\r\nERROR: -2147016646\r\n"
                             "ERROR DESCRIPTION: Can't contact LDAP server\r\n"
                             ">> Finished getting list of AD printers, abort status: True\r\n"
                             ">> Finished moving printers using AD, abort status: True\r\n"));
    EXPECT_TRUE(fakes.Network.Calls.empty());
  }
  // The query text is logged even when opening the connection failed.
  EXPECT_EQ(Count(run.DebugText, ">> Querying AD for printers, command:Select"), 1u);

  SetUp();
  run.Svc.Directory = UnavailableDirectory();
  GetADPrinters(run);
  EXPECT_TRUE(Contains(run.OutcomeText, "Error accessing Active Directory."));
}

TEST_F(ADMode, EmptyDirectoryReportsEveryPrinterNotFoundWithoutFailing) {
  Connections({"\\\\A\\P1", "Local", "\\\\B\\P2"});
  MoveADPrinters(run);
  EXPECT_FALSE(run.AbortStatus);
  EXPECT_EQ(run.OutcomeText,
            "\r\n* ----- AD Printers ----- *\r\n* ----- Migrating Printers using AD ----- *"
            "\r\nERROR Printer NOT FOUND IN AD: P1 (A)\r\nERROR Printer NOT FOUND IN AD: P2 (B)");
  EXPECT_TRUE(Contains(run.DebugText,
                       ">> * ----- Migrating Printers using AD ----- * <<\r\n"
                       ">> Printer not found in AD: P1 (A)\r\n"
                       ">> Printer not found in AD: P2 (B)\r\n"));
}

TEST_F(ADMode, OldAndNewServerPublishingOneShare) {
  Connections({"\\\\OLD\\Acct"});
  directory.Records = {Queue("OLD-Acct", {"ACCT"}), Queue("NEW-Accounting", {"acct"})};
  MoveADPrinters(run);
  EXPECT_FALSE(run.AbortStatus);
  EXPECT_EQ(fakes.Network.Connections, (std::vector<std::string>{"\\\\NEW\\Acct"}));
  EXPECT_TRUE(Contains(run.OutcomeText,
                       "\r\n* ----- Migrating Printers using AD ----- *"
                       "\r\nPrinter already migrated: Acct (OLD)\r\nPrinter migrated: Acct (OLD)"));
  EXPECT_TRUE(Contains(run.DebugText,
                       ">> Found a printer match <<\r\n"
                       ">> Printer share names (Client/AD): Acct / acct\r\n"
                       ">> Printer names (Client/AD): Acct / Accounting\r\n"
                       ">> Found a server match <<\r\n"
                       ">> Server names (Client/AD): OLD / NEW\r\n"
                       ">> Removed printer: \\\\OLD\\Acct\r\n>> Added printer: \\\\NEW\\Acct\r\n"));
}

TEST_F(ADMode, ServerNamesDifferingInCaseAreOneServer) {
  Connections({"\\\\SRV1\\Laser3"});
  directory.Records = {Queue("srv1-Laser3", {"LASER3"})};
  MoveADPrinters(run);
  EXPECT_FALSE(run.AbortStatus);
  EXPECT_TRUE(fakes.Network.Calls.empty());
  EXPECT_TRUE(Contains(run.OutcomeText, "\r\nPrinter already migrated: Laser3 (SRV1)"));
  EXPECT_TRUE(Contains(run.DebugText, ">> Printer already migrated: Laser3 (SRV1)\r\n"));
}

TEST_F(ADMode, TwoOtherServersPublishingTheShareGiveARemovalError) {
  Connections({"\\\\OLD\\P1"});
  directory.Records = {Queue("NEW1-P1", {"P1"}), Queue("NEW2-P1", {"P1"})};
  MoveADPrinters(run);
  EXPECT_TRUE(run.AbortStatus);
  EXPECT_EQ(fakes.Network.Connections, (std::vector<std::string>{"\\\\NEW1\\P1"}));
  EXPECT_TRUE(Contains(run.OutcomeText,
                       "\r\nPrinter migrated: P1 (OLD)"
                       "\r\nError in deleting network printer: \\\\OLD\\P1"));
}

TEST_F(ADMode, PrinterNameRuleKeepsTheClientShareAndDashlessNamesRollBack) {
  // Record without a share name: only the printer rule can match it.
  Connections({"\\\\OLD\\Laser3", "\\\\OLD\\Plain"});
  fakes.Network.Shares = {"\\\\OLD\\Laser3", "\\\\OLD\\Plain", "\\\\NEW\\Laser3"};
  directory.Records = {Queue("NEW-Laser3", {}), Queue("Plain", {"Elsewhere"})};
  MoveADPrinters(run);

  // Laser3 moved by the printer-name rule; "Plain" (no dash) has no server:
  // its add fails and the old connection comes back.
  EXPECT_EQ(
      fakes.Network.Calls,
      (std::vector<std::string>{"remove \\\\OLD\\Laser3", "add \\\\NEW\\Laser3",
                                "remove \\\\OLD\\Plain", "add \\\\\\Plain", "add \\\\OLD\\Plain"}));
  EXPECT_EQ(fakes.Network.Connections,
            (std::vector<std::string>{"\\\\NEW\\Laser3", "\\\\OLD\\Plain"}));
  EXPECT_TRUE(run.AbortStatus);
  EXPECT_TRUE(
      Contains(run.OutcomeText, "\r\nError in adding/migrating network printer: \\\\\\Plain"));
}

TEST_F(ADMode, NoNetworkObjectOrNoClientPrinters) {
  Connections({});
  directory.Records = {Queue("S-P", {"P"})};
  MoveADPrinters(run);
  EXPECT_FALSE(run.AbortStatus);
  EXPECT_TRUE(run.OutcomeText.ends_with("\r\n* ----- Migrating Printers using AD ----- *"));

  Connections({"\\\\A\\P"});
  fakes.Network.CreateFails = PlatformError{429, "ActiveX component can't create object"};
  MigrateADPrinters(run);
  EXPECT_TRUE(run.AbortStatus);
  EXPECT_EQ(run.OutcomeText,
            "\r\n* ----- Migrating Printers using AD ----- *"
            "\r\nError in network object for migrating printers.\r\n> Error Number: 429"
            "\r\n> Error Description: ActiveX component can't create object");
  EXPECT_TRUE(
      Contains(run.DebugText, "ERROR: Getting reference to netowrk object: \r\nERROR: 429\r\n"));
}

// The matching looks entries up by share and printer name; its decisions
// must be exactly those of examining every entry for every client in order.
TEST_F(ADMode, MatchingDecidesAsThePairwiseScan) {
  std::mt19937 rng(7);
  auto pick = [&](const std::vector<std::string>& from) { return from[rng() % from.size()]; };
  auto same = [](std::string x, std::string y) {
    for (auto* s : {&x, &y})
      for (char& ch : *s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return x == y;
  };
  const std::vector<std::string> servers = {"S1", "s1", "S2", "S3", ""};
  const std::vector<std::string> names = {"A", "a", "B", "C", ""};
  for (int round = 0; round < 50; ++round) {
    SetUp();
    run.AbortStatus = false;
    std::vector<std::string> conns;
    for (int i = 0; i < 6; ++i) conns.push_back("\\\\" + pick(servers) + "\\" + pick(names));
    Connections(conns);
    run.ADPrinters.assign(1, NetworkPrinter{});
    for (int i = 0; i < 8; ++i) run.ADPrinters.push_back({pick(names), pick(servers), pick(names)});

    std::vector<std::string> expected;
    for (size_t c = 1; c < run.ClientPrinters.size(); ++c) {
      const auto& cl = run.ClientPrinters[c];
      bool found = false;
      for (size_t a = 1; a < run.ADPrinters.size(); ++a) {
        const auto& ad = run.ADPrinters[a];
        if (!same(ad.ShareName, cl.ShareName) && !same(ad.PrinterName, cl.ShareName)) continue;
        found = true;
        expected.push_back(
            same(cl.ServerName, ad.ServerName)
                ? ">> Printer already migrated: " + cl.PrinterName + " (" + cl.ServerName + ")"
                : ">> Server names (Client/AD): " + cl.ServerName + " / " + ad.ServerName);
      }
      if (!found)
        expected.push_back(">> Printer not found in AD: " + cl.PrinterName + " (" + cl.ServerName +
                           ")");
    }

    MigrateADPrinters(run);
    std::vector<std::string> decisions;
    std::string dbg = run.DebugText;
    for (size_t p = 0; p < dbg.size();) {
      size_t e = dbg.find("\r\n", p);
      std::string line = dbg.substr(p, e - p);
      p = e + 2;
      for (const char* kind : {">> Printer already migrated: ", ">> Server names (Client/AD): ",
                               ">> Printer not found in AD: "})
        if (line.rfind(kind, 0) == 0) decisions.push_back(line);
    }
    ASSERT_EQ(decisions, expected) << "round " << round;
  }
}

}  // namespace
}  // namespace velloran

namespace velloran {
namespace {

TEST(ADPrinterName, TheServerComesFromTheQueueItself) {
  struct Case {
    ADQueueRecord record;
    NetworkPrinter expected;
  };
  for (const auto& c : std::vector<Case>{
           // Printer names that are not share names, dashes on both sides.
           {{"PRN-SRV02-HR Printer", "HR-Printer", "PRN-SRV02", "\\\\PRN-SRV02\\HR-Printer"},
            {"HR Printer", "PRN-SRV02", "HR-Printer"}},
           {{"SRV5-Floor2-Laser9", "Laser9", "SRV5", "\\\\SRV5\\Laser9"},
            {"Floor2-Laser9", "SRV5", "Laser9"}},
           // The name's server part in other letter case is still cut off.
           {{"prn-01-Color", "Color", "PRN-01", ""}, {"Color", "PRN-01", "Color"}},
           // No short name: the host of the UNC path.
           {{"PRN-7-Q", "Q", "", "\\\\PRN-7\\Q"}, {"Q", "PRN-7", "Q"}},
           {{"PRN-7-Q", "Q", "", "\\\\PRN-7"}, {"Q", "PRN-7", "Q"}},
           // A name that does not start with its server keeps all of it.
           {{"Renamed-Queue", "RQ", "SRV9", ""}, {"Renamed-Queue", "SRV9", "RQ"}},
           {{"SRV9", "RQ", "SRV9", ""}, {"SRV9", "SRV9", "RQ"}},
           // Neither attribute (or an empty UNC path): the first dash.
           {{"SRV3-Big-Plotter", "BP", "", ""}, {"Big-Plotter", "SRV3", "BP"}},
           {{"SRV3-Big-Plotter", "BP", "", "\\\\"}, {"Big-Plotter", "SRV3", "BP"}},
           {{"Plain", "Plain", "", ""}, {"Plain", "", "Plain"}},
       }) {
    SCOPED_TRACE(std::string(c.record.Name) + " / " + std::string(c.record.ShortServerName) +
                 " / " + std::string(c.record.UNCName));
    EXPECT_EQ(ADPrinterFromRecord(c.record), c.expected);
  }
}

TEST_F(ADMode, DashedServerAndPrinterNamesMoveToTheirOwnServers) {
  Connections({"\\\\OLD1\\HR-Printer", "\\\\OLD2\\Laser9"});
  directory.Records = {Published("PRN-SRV02-HR Printer", "HR-Printer", "PRN-SRV02"),
                       Published("SRV5-Floor2-Laser9", "Laser9", "SRV5")};
  MoveADPrinters(run);
  EXPECT_FALSE(run.AbortStatus) << run.OutcomeText;
  EXPECT_EQ(fakes.Network.Connections,
            (std::vector<std::string>{"\\\\PRN-SRV02\\HR-Printer", "\\\\SRV5\\Laser9"}));
  EXPECT_TRUE(Contains(run.OutcomeText,
                       "\r\nHR Printer (\\\\PRN-SRV02\\HR-Printer)"
                       "\r\nFloor2-Laser9 (\\\\SRV5\\Laser9)"));
}

}  // namespace
}  // namespace velloran
