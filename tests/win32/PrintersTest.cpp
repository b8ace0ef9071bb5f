// The printer-connection network object over COM. Under Wine it is the test
// stand-in (fakenetwork/) over a state file each test writes; on Windows it
// is the system's own, and the tests that need the state file, or a real
// print server, say so when they skip.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/AtomicFile.h"
#include "platform/ConnectionName.h"
#include "platform/win32/Backends-win32.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {
namespace {

bool UnderWine() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

constexpr int32_t kAccessDenied = -2147024891;
constexpr int32_t kRpcServerUnavailable = -2147023174;

/// Each test's state file, named in this process's environment for the
/// objects the test creates; the stand-in reads it on every call.
struct Network : ::testing::Test {
  std::string state;

  void SetUp() override {
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, base);
    state = FromWide(std::wstring(base)) + "velloran-network-" +
            std::to_string(::GetCurrentProcessId()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    State("");
    ::SetEnvironmentVariableW(L"VELLORAN_TEST_NETWORK_STATE", Wide(state).c_str());
  }
  void TearDown() override {
    ::SetEnvironmentVariableW(L"VELLORAN_TEST_NETWORK_STATE", nullptr);
    ::DeleteFileW(Wide(state).c_str());
  }

  void State(const std::string& text) { ASSERT_TRUE(WriteFileAtomically(state, text).ok()); }
  std::string StateText() const { return ReadWholeFile(state).value(); }

  std::unique_ptr<NetworkObject> Create() {
    auto network = MakeComNetworkFactory()->Create("WScript.Network");
    EXPECT_TRUE(network.ok()) << network.error().Description
                              << (UnderWine() ? " (is the test network object registered in "
                                                "this prefix? scripts/test-windows.sh does it)"
                                              : "");
    return network.ok() ? std::move(*network) : nullptr;
  }
};

/// Tests of what the stand-in's state file decides.
struct TestNetwork : Network {
  void SetUp() override {
    if (!UnderWine()) GTEST_SKIP() << "the state file is the test network object's";
    Network::SetUp();
  }
};

// ------------------------------------------- the object the system has

TEST_F(Network, TheComputerNameIsTheSystems) {
  auto network = Create();
  ASSERT_TRUE(network);
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  ASSERT_TRUE(::GetComputerNameA(name, &size));
  auto computer = network->ComputerName();
  ASSERT_TRUE(computer.ok()) << computer.error().Number << " " << computer.error().Description;
  EXPECT_EQ(*computer, std::string(name, size));
}

TEST_F(Network, TheDefaultPrinterIsTheSpoolers) {
  auto network = Create();
  ASSERT_TRUE(network);
  auto before = network->GetDefaultPrinter();
  ASSERT_TRUE(before.ok()) << before.error().Description;
  wchar_t name[512] = {};
  DWORD size = 512;
  EXPECT_EQ(*before,
            ::GetDefaultPrinterW(name, &size) ? FromWide(name, wcslen(name)) : std::string());

  // A connection the user does not have cannot become the default, and the
  // failure says why instead of passing as done.
  Status set = network->SetDefaultPrinter("\\\\NOSUCHSRV\\NoSuchQueue");
  ASSERT_FALSE(set.ok());
  EXPECT_NE(set.error().Number, 0);
  EXPECT_EQ(network->GetDefaultPrinter().value(), *before);
}

TEST_F(Network, AnUnknownObjectCannotBeCreated) {
  auto network = MakeComNetworkFactory()->Create("Velloran.NoSuchObject");
  ASSERT_FALSE(network.ok());
  EXPECT_EQ(network.error().Number, 429);
  EXPECT_EQ(network.error().Description.rfind("ActiveX component can't create object", 0), 0u);
}

// What the engine's roll-back and reports rely on: a connection the user
// does not have cannot be removed, and the failure carries the system's
// number and text. On Windows this proves the numbers the stand-in gives.
TEST_F(Network, RemovingAConnectionTheUserLacksFailsWithItsNumberAndText) {
  auto network = Create();
  ASSERT_TRUE(network);
  Status removed = network->RemovePrinterConnection("\\\\VELLORAN-NOSUCH\\Queue", true, true);
  ASSERT_FALSE(removed.ok());
  EXPECT_EQ(removed.error(),
            (PlatformError{kConnectionMissing, "This network connection does not exist."}));
}

TEST_F(Network, ConnectionsAreListedAsReadablePortAndNamePairs) {
  State("connection: \\\\PRN01\\Laser3\nconnection: Local Laser\n");
  auto network = Create();
  ASSERT_TRUE(network);
  auto items = network->EnumPrinterConnectionItems();
  ASSERT_TRUE(items.ok()) << items.error().Description;
  EXPECT_EQ(items->size() % 2, 0u);
  for (size_t i = 0; i < items->size(); ++i) {
    ASSERT_TRUE((*items)[i].ok()) << i << ": " << (*items)[i].error().Description;
    if (i % 2 == 1) {
      EXPECT_FALSE((*items)[i]->empty()) << i;
    }
  }
}

// A move end to end needs a share that exists; on Windows name one with
// VELLORAN_TEST_PRINT_SHARE (\\server\queue, not yet connected).
TEST_F(Network, ARealShareConnectsAndDisconnects) {
  const char* share = std::getenv("VELLORAN_TEST_PRINT_SHARE");
  if (UnderWine() || !share || !*share)
    GTEST_SKIP() << "needs a real print server: set VELLORAN_TEST_PRINT_SHARE on Windows";
  auto network = Create();
  ASSERT_TRUE(network);
  auto listed = [&] {
    auto items = network->EnumPrinterConnections();
    EXPECT_TRUE(items.ok());
    std::vector<std::string> names;
    for (size_t i = 1; items.ok() && i < items->size(); i += 2) names.push_back((*items)[i]);
    return names;
  };
  Status added = network->AddWindowsPrinterConnection(share);
  ASSERT_TRUE(added.ok()) << added.error().Number << " " << added.error().Description;
  auto after = listed();
  EXPECT_NE(std::find(after.begin(), after.end(), share), after.end());
  Status removed = network->RemovePrinterConnection(share, true, true);
  ASSERT_TRUE(removed.ok()) << removed.error().Number << " " << removed.error().Description;
  after = listed();
  EXPECT_EQ(std::find(after.begin(), after.end(), share), after.end());
}

// ------------------------------------- the stand-in's state, through COM

// Names pass as BSTRs both ways: what the engine sends arrives whole, and
// what the object lists comes back as it was written.
TEST_F(TestNetwork, AMoveWithNamesBeyondAsciiReachesTheStateAndTheListing) {
  State(
      "computer: PC-Grüße\nconnection: \\\\ALTSRV\\Straße\nconnection: Drucker é\n"
      "share: \\\\NEUSRV\\Büro-ß\n");
  auto network = Create();
  ASSERT_TRUE(network);
  EXPECT_EQ(network->ComputerName().value(), "PC-Grüße");
  EXPECT_EQ(network->EnumPrinterConnections().value(),
            (std::vector<std::string>{"Ne00:", "\\\\ALTSRV\\Straße", "LPT1:", "Drucker é"}));

  ASSERT_TRUE(network->RemovePrinterConnection("\\\\altsrv\\Straße", true, true).ok());
  ASSERT_TRUE(network->AddWindowsPrinterConnection("\\\\NEUSRV\\Büro-ß").ok());
  EXPECT_EQ(network->EnumPrinterConnections().value(),
            (std::vector<std::string>{"LPT1:", "Drucker é", "Ne00:", "\\\\NEUSRV\\Büro-ß"}));
  EXPECT_EQ(StateText(),
            "computer: PC-Grüße\nconnection: Drucker é\nconnection: \\\\NEUSRV\\Büro-ß\n"
            "share: \\\\NEUSRV\\Büro-ß\nshare: \\\\ALTSRV\\Straße\n");
}

// The four failures a move meets, each with the number and text the
// system's object raises, and none of them changes the connections.
TEST_F(TestNetwork, FailedCallsCarryTheSystemsNumbersAndLeaveTheConnections) {
  const std::string before =
      "connection: \\\\OLD\\Q\nconnection: \\\\DOWN\\Q\n"
      "share: \\\\NEW\\Q\noffline: \\\\DOWN\ndenied: \\\\LOCKED\n";
  State(before);
  auto network = Create();
  ASSERT_TRUE(network);
  struct Case {
    const char* what;
    Status status;
    PlatformError expected;
  } cases[] = {
      {"add of a share no server has",
       network->AddWindowsPrinterConnection("\\\\NEW\\Nope"),
       {kPrinterNameInvalid, "The printer name is invalid."}},
      {"add of a path no connection can have",
       network->AddWindowsPrinterConnection("\\\\NEW"),
       {kPrinterNameInvalid, "The printer name is invalid."}},
      {"remove of a connection the user lacks",
       network->RemovePrinterConnection("\\\\NEW\\Q", true, true),
       {kConnectionMissing, "This network connection does not exist."}},
      {"add on a server that is down",
       network->AddWindowsPrinterConnection("\\\\DOWN\\Other"),
       {kNetworkPathNotFound, "The network path was not found."}},
      {"remove on a server that is down",
       network->RemovePrinterConnection("\\\\DOWN\\Q", true, true),
       {kNetworkPathNotFound, "The network path was not found."}},
      {"add where the user may not",
       network->AddWindowsPrinterConnection("\\\\LOCKED\\Other"),
       {kAccessDenied, "Access is denied."}},
  };
  for (const Case& c : cases) {
    ASSERT_FALSE(c.status.ok()) << c.what;
    EXPECT_EQ(c.status.error(), c.expected) << c.what;
  }
  EXPECT_EQ(StateText(), before);
}

TEST_F(TestNetwork, AnUnreadableNameIsAFailureNotABlank) {
  State(
      "connection: \\\\OLD\\A\nconnection: \\\\GONE\\B\nconnection: \\\\OLD\\C\n"
      "unreadable: \\\\GONE\\B\n");
  auto network = Create();
  ASSERT_TRUE(network);
  auto items = network->EnumPrinterConnectionItems();
  ASSERT_TRUE(items.ok());
  ASSERT_EQ(items->size(), 6u);
  EXPECT_EQ((*items)[1].value(), "\\\\OLD\\A");
  ASSERT_FALSE((*items)[3].ok());
  EXPECT_EQ((*items)[3].error(),
            (PlatformError{kRpcServerUnavailable, "The RPC server is unavailable."}));
  EXPECT_EQ((*items)[5].value(), "\\\\OLD\\C");

  // A caller that takes the names as plain text gets the failure, not a
  // blank name.
  auto names = network->EnumPrinterConnections();
  ASSERT_FALSE(names.ok());
  EXPECT_EQ(names.error().Number, kRpcServerUnavailable);
}

// The engine keeps the default printer through the spooler, as on
// Windows; the stand-in carries the file's default to the spooler and back.
TEST_F(TestNetwork, TheSpoolersDefaultFollowsAMove) {
  State(
      "connection: \\\\OLDDEF\\Front-Desk\nconnection: Local Laser\n"
      "default: \\\\OLDDEF\\Front-Desk\n");
  {
    auto network = Create();
    ASSERT_TRUE(network);
    EXPECT_EQ(network->GetDefaultPrinter().value(), "\\\\OLDDEF\\Front-Desk");
    ASSERT_TRUE(network->RemovePrinterConnection("\\\\OLDDEF\\Front-Desk", true, true).ok());
    EXPECT_EQ(network->GetDefaultPrinter().value(), "");
    ASSERT_TRUE(network->AddWindowsPrinterConnection("\\\\NEWDEF\\Front-Desk").ok());
    Status set = network->SetDefaultPrinter("\\\\NEWDEF\\Front-Desk");
    ASSERT_TRUE(set.ok()) << set.error().Number << " " << set.error().Description;
    EXPECT_EQ(network->GetDefaultPrinter().value(), "\\\\NEWDEF\\Front-Desk");
  }
  EXPECT_EQ(StateText(),
            "connection: Local Laser\nconnection: \\\\NEWDEF\\Front-Desk\n"
            "default: \\\\NEWDEF\\Front-Desk\n");
}

}  // namespace
}  // namespace velloran
