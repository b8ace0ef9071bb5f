// The connection profile as the migration modes use it: remove, add, and
// put back after a failed add.

#include <gtest/gtest.h>

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
  EXPECT_EQ(ReadFile(path), "connection: \\\\OLD\\Sales\nconnection: Local Laser\ndefault: Local Laser\n# end\n");
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
