// The connection profile as the migration modes use it: remove, add, and
// put back after a failed add.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Backends.h"
#include "tests/support/Fakes.h"

namespace velloran {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(ConnectionProfileReconnect, ARemovedConnectionCanBePutBackWhenSharesAreListed) {
  TempDir dir;
  const auto path = dir / "connections.txt";
  WriteFile(path, "connection: \\\\OLD\\Sales\nconnection: \\\\OLD\\Acct\nshare: \\\\NEW\\Acct\n");
  auto factory = MakeConnectionProfile(path.string());
  auto created = factory->Create("WScript.Network");
  ASSERT_TRUE(created.ok());
  auto& net = *created;

  // Sales has no new home: remove, the add fails, the roll-back succeeds.
  EXPECT_TRUE((net->RemovePrinterConnection("\\\\old\\sales", true, true)).ok());
  auto failed = net->AddWindowsPrinterConnection("\\\\NEW\\Sales");
  ASSERT_TRUE(!failed.ok());
  EXPECT_EQ(failed.error().Number, -2147023095);
  EXPECT_TRUE((net->AddWindowsPrinterConnection("\\\\OLD\\Sales")).ok());

  // Acct moves; its old share stays on the network.
  EXPECT_TRUE((net->RemovePrinterConnection("\\\\OLD\\Acct", true, true)).ok());
  EXPECT_TRUE((net->AddWindowsPrinterConnection("\\\\NEW\\Acct")).ok());

  auto items = *net->EnumPrinterConnections();
  EXPECT_EQ(items, (std::vector<std::string>{"Ne00:", "\\\\OLD\\Sales", "Ne01:", "\\\\NEW\\Acct"}));
  EXPECT_EQ(ReadFile(path),
            "connection: \\\\OLD\\Sales\nconnection: \\\\NEW\\Acct\nshare: \\\\NEW\\Acct\n"
            "share: \\\\OLD\\Sales\nshare: \\\\OLD\\Acct\n");

  // Without share lines every add succeeds, and none are written.
  WriteFile(path, "connection: \\\\A\\P\n");
  EXPECT_TRUE((net->RemovePrinterConnection("\\\\A\\P", true, true)).ok());
  EXPECT_TRUE((net->AddWindowsPrinterConnection("\\\\B\\P")).ok());
  EXPECT_EQ(ReadFile(path), "connection: \\\\B\\P\n");
}

TEST(ConnectionProfileDefault, TheDefaultLineNamesAConnectionAndGoesWithIt) {
  TempDir dir;
  const auto path = dir / "connections.txt";
  WriteFile(path, "connection: \\\\OLD\\Sales\nconnection: Local Laser\n# end\n");
  auto created = MakeConnectionProfile(path.string())->Create("WScript.Network");
  ASSERT_TRUE(created.ok());
  auto& net = *created;

  EXPECT_EQ(*net->GetDefaultPrinter(), "");
  // Only a printer the user has can be the default; the name is kept as listed.
  auto missing = net->SetDefaultPrinter("\\\\NEW\\Sales");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().Number, -2147022646);
  ASSERT_TRUE(net->SetDefaultPrinter("\\\\old\\sales").ok());
  ASSERT_TRUE(net->SetDefaultPrinter("local laser").ok());
  EXPECT_EQ(ReadFile(path),
            "connection: \\\\OLD\\Sales\nconnection: Local Laser\ndefault: Local Laser\n# end\n");
  ASSERT_TRUE(net->SetDefaultPrinter("\\\\OLD\\Sales").ok());
  EXPECT_EQ(*net->GetDefaultPrinter(), "\\\\OLD\\Sales");

  // Removing the default printer removes the default; another removal leaves it.
  ASSERT_TRUE(net->RemovePrinterConnection("Local Laser", true, true).ok());
  EXPECT_EQ(*net->GetDefaultPrinter(), "\\\\OLD\\Sales");
  ASSERT_TRUE(net->RemovePrinterConnection("\\\\OLD\\SALES", true, true).ok());
  EXPECT_EQ(*net->GetDefaultPrinter(), "");
  EXPECT_EQ(ReadFile(path), "# end\n");
}

}  // namespace
}  // namespace velloran

namespace velloran {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct ConnectionProfileRules : ::testing::Test {
  TempDir dir;
  std::filesystem::path path = dir / "connections.txt";
  std::unique_ptr<NetworkObjectFactory> factory = MakeConnectionProfile(path.string());
  std::unique_ptr<NetworkObject> Open() { return std::move(*factory->Create("WScript.Network")); }
};

TEST_F(ConnectionProfileRules, NamesWithControlCharactersNeverReachTheFile) {
  // A directory value can hold a line break; written as it is, it would add
  // lines of its own to the profile.
  const std::string original = "computer: PC01\nconnection: \\\\OLD\\ACC\n";
  WriteFile(path, original);
  auto net = Open();
  for (const std::string& name : std::vector<std::string>{
           "\\\\NEW\\ACC\ncomputer: OTHERPC", "\\\\NEW\\ACC\r", "\\\\NEW\\A\tCC",
           std::string("\\\\NEW\\A\0C", 8), "\\\\NEW\\ACC\x7f"}) {
    Status added = net->AddWindowsPrinterConnection(name);
    ASSERT_FALSE(added.ok());
    EXPECT_EQ(added.error(), (PlatformError{-2147023095, "The printer name is invalid."}));
    Status removed = net->RemovePrinterConnection("\\\\OLD\\ACC\nconnection: x", true, true);
    ASSERT_FALSE(removed.ok());
    EXPECT_EQ(removed.error().Number, -2147023095);
  }
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(*net->ComputerName(), "PC01");
}

TEST_F(ConnectionProfileRules, ConnectionsThatCannotExistAreRefusedWithoutShareLines) {
  WriteFile(path, "connection: \\\\OLD\\P1\n");
  auto net = Open();
  for (const char* bad : {"\\\\\\", "\\\\", "\\\\SRV", "\\\\SRV\\", "\\\\\\P1",
                          "\\\\Error in To Server Name\\P1", "\\\\SRV\\P1\\extra", "\\\\SRV\\P*1",
                          "\\\\SR:V\\P1", "\\\\..\\P1", "\\\\SRV\\..", "SRV\\P1", "Local Laser"}) {
    Status added = net->AddWindowsPrinterConnection(bad);
    ASSERT_FALSE(added.ok()) << bad;
    EXPECT_EQ(added.error().Number, -2147023095) << bad;
  }
  // What real servers and shares are called still connects.
  for (const char* good : {"\\\\NEWSRV1\\HP LaserJet 4", "\\\\print-01.corp.example\\Q_2",
                           "\\\\10.0.0.5\\Acct$", "\\\\SRV_1\\P(1)"})
    EXPECT_TRUE(net->AddWindowsPrinterConnection(good).ok()) << good;
  // A connection the user has, however odd its name, can still be removed.
  WriteFile(path, "connection: \\\\SRVONLY\n");
  EXPECT_TRUE(net->RemovePrinterConnection("\\\\SRVONLY", true, true).ok());
}

TEST_F(ConnectionProfileRules, AnOfflineServerFailsEveryAddAndRemoveThere) {
  WriteFile(
      path,
      "connection: \\\\OLD\\P1\nconnection: \\\\KEEP\\P2\noffline: \\\\new\nshare: \\\\NEW\\P1\n");
  auto net = Open();
  // A roll-back that fails: the old server goes offline between remove and add.
  ASSERT_TRUE(net->RemovePrinterConnection("\\\\OLD\\P1", true, true).ok());
  Status added = net->AddWindowsPrinterConnection("\\\\NEW\\P1");
  ASSERT_FALSE(added.ok());
  EXPECT_EQ(added.error(), (PlatformError{-2147024843, "The network path was not found."}));

  WriteFile(path, "connection: \\\\OLD\\P1\noffline: OLD\n");
  Status removed = net->RemovePrinterConnection("\\\\old\\P1", true, true);
  ASSERT_FALSE(removed.ok());
  EXPECT_EQ(removed.error().Number, -2147024843);
  EXPECT_FALSE(net->AddWindowsPrinterConnection("\\\\OLD\\P9").ok());
  EXPECT_TRUE(net->AddWindowsPrinterConnection("\\\\OLDER\\P9").ok());
  EXPECT_EQ(ReadFile(path), "connection: \\\\OLD\\P1\nconnection: \\\\OLDER\\P9\noffline: OLD\n");
}

TEST_F(ConnectionProfileRules, ChangesMadeByOthersBetweenCallsAreSeen) {
  // The object keeps the parsed file; an edit by another program (an
  // administrator, a second engine) must still count.
  WriteFile(path, "connection: \\\\A\\P\n");
  auto net = Open();
  ASSERT_TRUE(net->AddWindowsPrinterConnection("\\\\B\\P").ok());
  WriteFile(path, "connection: \\\\C\\P\nconnection: \\\\D\\P\n");
  EXPECT_EQ(*net->EnumPrinterConnections(),
            (std::vector<std::string>{"Ne00:", "\\\\C\\P", "Ne01:", "\\\\D\\P"}));
  ASSERT_TRUE(net->RemovePrinterConnection("\\\\C\\P", true, true).ok());
  EXPECT_EQ(ReadFile(path), "connection: \\\\D\\P\n");

  // A change that cannot be written is not kept either.
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_FALSE(net->AddWindowsPrinterConnection("\\\\E\\P").ok());
  std::filesystem::remove(path);
  WriteFile(path, "connection: \\\\D\\P\n");
  EXPECT_EQ(net->EnumPrinterConnections()->size(), 2u);
}

}  // namespace
}  // namespace velloran
