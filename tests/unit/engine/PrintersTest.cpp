// The printer inventory and the three manual modes against the in-memory
// network object.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "engine/modMoveNetworkPrinters.h"
#include "engine/modPrinters.h"
#include "tests/support/FakePlatform.h"

namespace velloran {
namespace {

using test::FakePlatform;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", start)) {
    out.push_back(text.substr(start, p - start));
    start = p + 2;
  }
  if (start < text.size()) out.push_back(text.substr(start));
  return out;
}

using test::Contains;

// Hands out a fixed item list, so ports, odd counts and items that cannot
// be read can be whatever a test needs.
class ItemsNetwork : public NetworkObjectFactory {
 public:
  std::vector<std::string> Items;
  std::map<size_t, PlatformError> Unreadable;
  Result<std::unique_ptr<NetworkObject>> Create(std::string_view) override {
    struct Object : NetworkObject {
      std::vector<std::string> items;
      std::map<size_t, PlatformError> unreadable;
      Result<std::vector<std::string>> EnumPrinterConnections() override { return items; }
      Result<std::vector<Result<std::string>>> EnumPrinterConnectionItems() override {
        std::vector<Result<std::string>> out(items.begin(), items.end());
        for (const auto& [i, error] : unreadable) out[i] = error;
        return out;
      }
      Status RemovePrinterConnection(std::string_view, bool, bool) override { return Status::Ok(); }
      Status AddWindowsPrinterConnection(std::string_view) override { return Status::Ok(); }
      Result<std::string> GetDefaultPrinter() override { return std::string(); }
      Status SetDefaultPrinter(std::string_view) override { return Status::Ok(); }
      Result<std::string> ComputerName() override { return std::string("PC01"); }
    };
    auto o = std::make_unique<Object>();
    o->items = Items;
    o->unreadable = Unreadable;
    return std::unique_ptr<NetworkObject>(std::move(o));
  }
};

struct Migration : ::testing::Test {
  FakePlatform fakes;
  velloran::Run run{fakes.services()};

  void SetUp() override {
    ResetINISettings(run.Settings);
    run.Settings.DebugOn = true;
  }
  /// The user's connections, inventoried; outcome and debug text start empty.
  void Connections(std::vector<std::string> names) {
    fakes.Network.Connections = std::move(names);
    GetClientPrinters(run);
    ASSERT_FALSE(run.AbortStatus);
    run.OutcomeText.clear();
    run.DebugText.clear();
    fakes.Network.Calls.clear();
  }
  std::vector<std::string> Outcome() const { return Lines(run.OutcomeText); }
};

// ---------------------------------------------------------------- inventory

TEST_F(Migration, InventorySplitsNetworkConnectionsAndListsLocalOnes) {
  fakes.Network.Connections = {"\\\\PRN01\\Laser3", "Local Laser", "\\\\PRN02\\Laser3",
                               "\\\\SRVONLY",       "\\single\\x", "x\\\\SRV\\y",
                               "\\\\SRV\\a\\b"};
  run.OutcomeText = "before";
  GetClientPrinters(run);

  EXPECT_FALSE(run.AbortStatus);
  EXPECT_EQ(run.ClientPrinters, (std::vector<NetworkPrinter>{{},
                                                             {"Laser3", "PRN01", "Laser3"},
                                                             {"Laser3", "PRN02", "Laser3"},
                                                             {"\\\\SRVONLY", "", "\\\\SRVONLY"},
                                                             {"a\\b", "SRV", "a\\b"}}));
  EXPECT_EQ(run.OutcomeText,
            "before\r\n* ----- My Networked Printers ----- *"
            "\r\nLaser3 (PRN01)"
            "\r\nNon-Networked Printer: Local Laser (DO NOTHING)"
            "\r\nLaser3 (PRN02)"
            "\r\n\\\\SRVONLY ()"
            "\r\nNon-Networked Printer: \\single\\x (DO NOTHING)"
            "\r\nNon-Networked Printer: x\\\\SRV\\y (DO NOTHING)"
            "\r\na\\b (SRV)");
  EXPECT_EQ(Lines(run.DebugText),
            (std::vector<std::string>{">> Getting client's list of printers <<",
                                      ">> * ----- My Networked Printers ----- * <<",
                                      ">> Found networked printer: Laser3 (PRN01)",
                                      ">> Found non-networked printer: Local Laser",
                                      ">> Found networked printer: Laser3 (PRN02)",
                                      ">> Found networked printer: \\\\SRVONLY ()",
                                      ">> Found non-networked printer: \\single\\x",
                                      ">> Found non-networked printer: x\\\\SRV\\y",
                                      ">> Found networked printer: a\\b (SRV)"}));

  // A second call starts again from the empty entry 0.
  fakes.Network.Connections = {"Local Laser"};
  GetClientPrinters(run);
  EXPECT_EQ(run.ClientPrinters.size(), 1u);
}

TEST_F(Migration, InventoryReadsOnlyNamesNeverPorts) {
  ItemsNetwork items;
  items.Items = {"\\\\PORTSRV\\p", "Local", "LPT1:", "\\\\SRV\\Q", "\\\\DANGLING\\port"};
  run.Svc.Network = items;
  GetClientPrinters(run);
  EXPECT_EQ(run.ClientPrinters, (std::vector<NetworkPrinter>{{}, {"Q", "SRV", "Q"}}));
  EXPECT_EQ(run.OutcomeText,
            "\r\n* ----- My Networked Printers ----- *"
            "\r\nNon-Networked Printer: Local (DO NOTHING)\r\nQ (SRV)");
}

// A name that cannot be read is a connection nobody examined: the run fails
// with the reason, and the connections around it are still listed.
TEST_F(Migration, AnUnreadableNameFailsTheRunAndTheOthersAreStillListed) {
  ItemsNetwork items;
  items.Items = {"Ne00:", "\\\\SRV\\A", "Ne01:", "", "", "Local", "Ne02:", "\\\\SRV\\C"};
  const PlatformError lost{-2147023174, "The RPC server is unavailable."};
  // The unreadable port (item 4) is never looked at.
  items.Unreadable = {{3, lost}, {4, lost}};
  run.Svc.Network = items;
  GetClientPrinters(run);

  EXPECT_TRUE(run.AbortStatus);
  EXPECT_EQ(run.ClientPrinters,
            (std::vector<NetworkPrinter>{{}, {"A", "SRV", "A"}, {"C", "SRV", "C"}}));
  EXPECT_EQ(Outcome(),
            (std::vector<std::string>{"", "* ----- My Networked Printers ----- *", "A (SRV)",
                                      "Error reading the name of printer connection 2.",
                                      "> Error Number: -2147023174",
                                      "> Error Description: The RPC server is unavailable.",
                                      "Non-Networked Printer: Local (DO NOTHING)", "C (SRV)"}));
  EXPECT_TRUE(Contains(run.DebugText,
                       ">> Found networked printer: A (SRV)\r\n"
                       "ERROR: Reading the name of printer connection 2 <<\r\n"
                       "ERROR: -2147023174\r\n"
                       "ERROR DESCRIPTION: The RPC server is unavailable.\r\n"
                       ">> Found non-networked printer: Local\r\n"))
      << run.DebugText;
}

TEST_F(Migration, InventoryWithoutConnectionsWritesOnlyTheHeader) {
  GetClientPrinters(run);
  EXPECT_EQ(run.OutcomeText, "\r\n* ----- My Networked Printers ----- *");
  EXPECT_EQ(run.ClientPrinters.size(), 1u);
}

TEST_F(Migration, InventoryFailuresAbortWithTheirNumberAndNoHeader) {
  struct Case {
    const char* what;
    std::optional<PlatformError> test::FakeNetwork::*field;
  };
  for (auto c : {Case{"create", &test::FakeNetwork::CreateFails},
                 Case{"enumerate", &test::FakeNetwork::EnumFails}}) {
    SCOPED_TRACE(c.what);
    FakePlatform local;
    velloran::Run r{local.services()};
    r.Settings.DebugOn = true;
    r.ClientPrinters.assign(3, NetworkPrinter{"x", "y", "z"});
    local.Network.Connections = {"\\\\A\\B"};
    local.Network.*c.field = PlatformError{-2147024891, "Access is denied."};
    GetClientPrinters(r);
    EXPECT_TRUE(r.AbortStatus);
    EXPECT_EQ(r.ClientPrinters, std::vector<NetworkPrinter>(1));
    EXPECT_EQ(r.OutcomeText,
              "\r\nError gathering my networked printers.\r\n> Error Number: -2147024891"
              "\r\n> Error Description: Access is denied.");
    EXPECT_EQ(
        Lines(r.DebugText),
        (std::vector<std::string>{">> Getting client's list of printers <<",
                                  "ERROR: Getting client's list of printers <<",
                                  "ERROR: -2147024891", "ERROR DESCRIPTION: Access is denied."}));
  }
}

// ------------------------------------------------------------- manual modes

TEST_F(Migration, PrinterToPrinterMovesAndReportsEveryLine) {
  Connections({"\\\\SRV1\\Laser3", "\\\\SRV1\\Other"});
  run.Settings.PrinterPairs = {{"laser3", "LaserNEW"}};
  MoveManualPrinters(run);

  EXPECT_FALSE(run.AbortStatus);
  EXPECT_EQ(fakes.Network.Connections,
            (std::vector<std::string>{"\\\\SRV1\\Other", "\\\\SRV1\\LaserNEW"}));
  EXPECT_EQ(Outcome(),
            (std::vector<std::string>{
                "", "* ----- Migrating Networked Printers Between Printers ----- *",
                "Printer migrated: Laser3 (SRV1)", "Printer already migrated: Other (SRV1)"}));
  const std::string stars(80, '*');
  EXPECT_EQ(
      Lines(run.DebugText),
      (std::vector<std::string>{
          stars,
          std::string(22, '*') + "     MOVING USING PRINTER TO PRINTER    " + std::string(22, '*'),
          stars, ">> * ----- Migrating Networked Printers Between Printers ----- * <<",
          ">> Found a printer match <<", ">> Client printer: Laser3", ">> INI Printer: laser3",
          ">> Removed printer: \\\\SRV1\\Laser3", ">> Added printer: \\\\SRV1\\LaserNEW",
          ">> Printer already migrated: Other (SRV1)"}));
}

TEST_F(Migration, ServerAndMixedModesBuildTheirPathsFromTheRightParts) {
  Connections({"\\\\old1\\Acct", "\\\\OLD2\\Sales", "\\\\OLD2\\Keep"});
  run.Settings.ServerPairs = {{"OLD1", "NEW1"}};
  run.Settings.MixedPairs = {{"old2", "SALES", "Verkauf", "NEW2"}};
  MoveManualPrinters(run);

  EXPECT_FALSE(run.AbortStatus);
  // The kept part keeps the connection's case, the new part takes the INI's.
  EXPECT_EQ(fakes.Network.Calls,
            (std::vector<std::string>{"remove \\\\old1\\Acct", "add \\\\NEW1\\Acct",
                                      "remove \\\\OLD2\\Sales", "add \\\\NEW2\\Verkauf"}));
  EXPECT_TRUE(Contains(run.DebugText, std::string(20, '*') +
                                          "     MOVING USING SERVER TO SERVER    " +
                                          std::string(20, '*') + "\r\n"));
  EXPECT_TRUE(Contains(run.DebugText, std::string(21, '*') +
                                          "     MOVING USING MIXED TO MIXED    " +
                                          std::string(20, '*') + "\r\n"));
  EXPECT_TRUE(
      Contains(run.DebugText,
               ">> Found a server match <<\r\n>> Client server: old1\r\n>> INI server: OLD1\r\n"));
  EXPECT_TRUE(
      Contains(run.DebugText,
               ">> Found a Printer and Server match <<\r\n>> Client printer: Sales\r\n"
               ">> Client Server: OLD2\r\n>> INI printer: SALES\r\n>> INI Server: old2\r\n"));
  EXPECT_EQ(
      Outcome(),
      (std::vector<std::string>{
          "", "* ----- Migrating Networked Printers Between Servers ----- *",
          "Printer migrated: Acct (old1)", "Printer already migrated: Sales (OLD2)",
          "Printer already migrated: Keep (OLD2)",
          "* ----- Migrating Networked Servers and Printers Between Servers and Printers----- *",
          "Printer already migrated: Acct (old1)", "Printer migrated: Sales (OLD2)",
          "Printer already migrated: Keep (OLD2)"}));
}

TEST_F(Migration, ServerChainsMoveOneStepPerRun) {
  Connections({"\\\\A\\P1", "\\\\B\\P2"});
  run.Settings.ServerPairs = {{"A", "B"}, {"B", "C"}};
  MoveManualPrinters(run);
  EXPECT_FALSE(run.AbortStatus);
  EXPECT_EQ(fakes.Network.Connections, (std::vector<std::string>{"\\\\B\\P1", "\\\\C\\P2"}));
}

TEST_F(Migration, APrinterNamedTwiceIsRemovedTwiceAndTheSecondRemovalFails) {
  Connections({"\\\\A\\P1"});
  run.Settings.ServerPairs = {{"A", "B"}, {"a", "C"}};
  MoveManualPrinters(run);
  EXPECT_TRUE(run.AbortStatus);
  EXPECT_EQ(fakes.Network.Connections, (std::vector<std::string>{"\\\\B\\P1"}));
  EXPECT_TRUE(
      Contains(run.OutcomeText,
               "\r\nPrinter migrated: P1 (A)\r\nError in deleting network printer: \\\\A\\P1"
               "\r\n> Error Number: -2147022646"
               "\r\n> Error Description: This network connection does not exist."));
  EXPECT_TRUE(Contains(run.DebugText,
                       "ERROR: Removing client networked printer: \\\\A\\P1\r\n"
                       "ERROR: -2147022646\r\n"
                       "ERROR DESCRIPTION: This network connection does not exist.\r\n"));
  EXPECT_EQ(fakes.Network.Calls.back(), "remove \\\\A\\P1");
}

TEST_F(Migration, ModesWorkOnTheConnectionsAsTheyWereBeforeTheRun) {
  Connections({"\\\\A\\P1"});
  run.Settings.PrinterPairs = {{"P1", "P2"}};
  run.Settings.ServerPairs = {{"A", "B"}};
  MoveManualPrinters(run);
  // The server mode still sees \\A\P1, which the printer mode already moved;
  // its removal fails, and the next mode runs anyway.
  EXPECT_TRUE(run.AbortStatus);
  EXPECT_EQ(fakes.Network.Connections, (std::vector<std::string>{"\\\\A\\P2"}));
  EXPECT_EQ(fakes.Network.Calls,
            (std::vector<std::string>{"remove \\\\A\\P1", "add \\\\A\\P2", "remove \\\\A\\P1"}));
}

// A one-pair list runs its mode and moves only what that pair names: a
// connection whose server or share part is empty is left alone.
TEST_F(Migration, AOnePairListMovesOnlyWhatItsPairNames) {
  Connections({"\\\\SRVONLY", "\\\\S1\\", "\\\\A\\P1"});
  run.Settings.PrinterPairs = {{"P1", "P2"}};
  run.Settings.ServerPairs = {{"A", "B"}};
  run.Settings.MixedPairs = {{"A", "P1", "C", "P3"}};
  MoveManualPrinters(run);
  for (const auto& call : fakes.Network.Calls) {
    EXPECT_EQ(call.find("SRVONLY"), std::string::npos) << call;
    EXPECT_EQ(call.find("S1"), std::string::npos) << call;
  }
  EXPECT_EQ(fakes.Network.Connections[0], "\\\\SRVONLY");
  EXPECT_EQ(fakes.Network.Connections[1], "\\\\S1\\");
  const auto& calls = fakes.Network.Calls;
  EXPECT_NE(std::find(calls.begin(), calls.end(), "add \\\\A\\P2"), calls.end());
}

TEST_F(Migration, GuardsAndEmptyListsWriteNothing) {
  Connections({"\\\\A\\P1"});
  // Empty keys: nothing at all, not even a banner.
  MoveManualPrinters(run);
  EXPECT_EQ(run.DebugText, "");
  EXPECT_EQ(run.OutcomeText, "");

  // Mixed servers filled, printers empty: the banner, then the guard.
  run.Settings.MixedPairs = {{"A", "", "", "B"}, {"X", "", "", "Y"}};
  MoveManualPrinters(run);
  EXPECT_TRUE(Contains(run.DebugText, "     MOVING USING MIXED TO MIXED    "));
  EXPECT_FALSE(Contains(run.DebugText, "Migrating"));
  EXPECT_EQ(run.OutcomeText, "");
  EXPECT_TRUE(fakes.Network.Calls.empty());
  EXPECT_EQ(fakes.Network.ObjectsCreated, 1);  // the inventory's only

  // A server written with backslashes never matches a stored server name.
  run.Settings.ServerPairs = {{"\\\\A", "B"}};
  MoveServerToServer(run);
  EXPECT_EQ(Outcome().back(), "Printer already migrated: P1 (A)");
}

TEST_F(Migration, AFailedAddPutsTheOldConnectionBack) {
  Connections({"\\\\A\\P1", "\\\\A\\P2"});
  // The reader's placeholder for a blank to-value names no share that exists.
  fakes.Network.Shares = {"\\\\A\\P1", "\\\\A\\P2", "\\\\B\\P2"};
  run.Settings.ServerPairs = {{"A", "Error in To Server Name"}};
  MoveManualPrinters(run);

  EXPECT_TRUE(run.AbortStatus);
  EXPECT_EQ(fakes.Network.Connections, (std::vector<std::string>{"\\\\A\\P1", "\\\\A\\P2"}));
  EXPECT_TRUE(Contains(
      run.OutcomeText,
      "\r\nError in adding/migrating network printer: \\\\Error in To Server Name\\P1"
      "\r\n> Error Number: -2147023095\r\n> Error Description: The printer name is invalid."));
  EXPECT_FALSE(Contains(run.OutcomeText, "Printer migrated"));
  EXPECT_FALSE(Contains(run.DebugText, "Adding old printer back"));
  EXPECT_TRUE(Contains(run.DebugText,
                       ">> Removed printer: \\\\A\\P1\r\n"
                       "ERROR: Adding printer: \\\\Error in To Server Name\\P1\r\n"
                       "ERROR: -2147023095\r\n"
                       "ERROR DESCRIPTION: The printer name is invalid.\r\n"));
}

TEST_F(Migration, AFailedRollBackIsLoggedWhateverTheSignOfItsNumber) {
  for (int32_t number : {-2147023095, 1801}) {
    SCOPED_TRACE(number);
    SetUp();
    run.AbortStatus = false;
    Connections({"\\\\A\\P1"});
    fakes.Network.AddFails = {{"\\\\B\\P1", {-2147023095, "The printer name is invalid."}},
                              {"\\\\A\\P1", {number, "The printer name is invalid."}}};
    run.Settings.ServerPairs = {{"A", "B"}};
    MoveManualPrinters(run);
    EXPECT_TRUE(fakes.Network.Connections.empty());
    EXPECT_TRUE(
        Contains(run.DebugText,
                 "ERROR: Adding old printer back: \\\\A\\P1\r\nERROR: " + std::to_string(number) +
                     "\r\nERROR DESCRIPTION: The printer name is invalid.\r\n"));
    // The outcome carries the failed add only.
    EXPECT_FALSE(Contains(run.OutcomeText, "old printer"));
    EXPECT_EQ(Outcome().size(), 5u);
  }
}

// Since drivers need an administrator, a logon's add fails when the new
// queue's driver is not on the client: the report must say so, for the
// errors Windows gives for it as plain numbers and as HRESULTs alike, and
// for no other failure.
TEST_F(Migration, AFailedAddNamesTheDriverCauseOnlyForTheDriverErrors) {
  struct Case {
    int32_t number;
    bool driver;
  };
  for (Case c : {Case{740, true}, Case{-2147024156, true}, Case{3019, true},
                 Case{-2147021877, true}, Case{3014, true}, Case{-2147021882, true}, Case{5, false},
                 Case{-2147023095, false}, Case{741, false}}) {
    SCOPED_TRACE(c.number);
    SetUp();
    run.AbortStatus = false;
    Connections({"\\\\A\\P1"});
    fakes.Network.AddFails = {{"\\\\B\\P1", {c.number, "Refused."}}};
    run.Settings.ServerPairs = {{"A", "B"}};
    MoveManualPrinters(run);
    // The failure's own three lines stay as they were; the cause follows.
    EXPECT_TRUE(Contains(run.OutcomeText,
                         "\r\nError in adding/migrating network printer: \\\\B\\P1\r\n> Error "
                         "Number: " +
                             std::to_string(c.number) + "\r\n> Error Description: Refused."));
    EXPECT_EQ(Contains(run.OutcomeText, "Refused.\r\n> Cause: "), c.driver);
    EXPECT_EQ(Contains(run.OutcomeText, "driver"), c.driver);
    EXPECT_EQ(Contains(run.DebugText, "ERROR DESCRIPTION: Refused.\r\n>> Cause: "), c.driver);
    EXPECT_EQ(fakes.Network.Connections, (std::vector<std::string>{"\\\\A\\P1"}));
  }
}

TEST_F(Migration, WithoutANetworkObjectEveryMatchIsAFailedRemoval) {
  Connections({"\\\\A\\P1", "\\\\Z\\P2"});
  fakes.Network.CreateFails = PlatformError{429, "ActiveX component can't create object"};
  run.Settings.ServerPairs = {{"A", "B"}};
  MoveManualPrinters(run);
  EXPECT_TRUE(run.AbortStatus);
  EXPECT_TRUE(fakes.Network.Calls.empty());
  EXPECT_EQ(Outcome(), (std::vector<std::string>{
                           "", "* ----- Migrating Networked Printers Between Servers ----- *",
                           "Error in deleting network printer: \\\\A\\P1", "> Error Number: 429",
                           "> Error Description: ActiveX component can't create object",
                           "Printer already migrated: P2 (Z)"}));
}

// ---------------------------------------------------------- default printer

TEST_F(Migration, TheDefaultPrinterFollowsItsMoveAndComesBackWithARollBack) {
  Connections({"\\\\A\\P1", "\\\\A\\P2"});
  fakes.Network.Shares = {"\\\\B\\P1", "\\\\B\\P2", "\\\\A\\Gone"};
  run.Settings.ServerPairs = {{"a", "B"}};

  // P2 is not the default: moving it leaves the default alone.
  fakes.Network.Default = "\\\\A\\P1";
  MoveManualPrinters(run);
  EXPECT_FALSE(run.AbortStatus);
  EXPECT_EQ(fakes.Network.Default, "\\\\B\\P1");
  EXPECT_EQ(std::count_if(fakes.Network.Calls.begin(), fakes.Network.Calls.end(),
                          [](const std::string& c) { return c.rfind("default ", 0) == 0; }),
            1);
  EXPECT_TRUE(Contains(run.DebugText,
                       ">> Added printer: \\\\B\\P1\r\n>> Default printer kept: \\\\B\\P1\r\n"));
  // The outcome tells of the move only.
  EXPECT_FALSE(Contains(run.OutcomeText, "efault"));

  // A failed move puts the default back with the old connection.
  Connections({"\\\\A\\Gone"});
  fakes.Network.Default = "\\\\a\\gone";
  MoveManualPrinters(run);
  EXPECT_TRUE(run.AbortStatus);
  EXPECT_EQ(fakes.Network.Connections, (std::vector<std::string>{"\\\\A\\Gone"}));
  EXPECT_EQ(fakes.Network.Default, "\\\\A\\Gone");
  EXPECT_TRUE(Contains(run.DebugText, ">> Default printer kept: \\\\A\\Gone\r\n"));
}

TEST_F(Migration, ADefaultThatCannotBeSetIsLoggedButTheMoveStands) {
  Connections({"\\\\A\\P1"});
  fakes.Network.Default = "\\\\A\\P1";
  fakes.Network.SetDefaultFails = PlatformError{5, "Access is denied."};
  run.Settings.ServerPairs = {{"A", "B"}};
  MoveManualPrinters(run);
  EXPECT_FALSE(run.AbortStatus);
  EXPECT_EQ(Outcome().back(), "Printer migrated: P1 (A)");
  EXPECT_TRUE(Contains(run.DebugText,
                       "ERROR: Setting default printer: \\\\B\\P1\r\nERROR: 5\r\n"
                       "ERROR DESCRIPTION: Access is denied.\r\n"));
}

}  // namespace
}  // namespace velloran
