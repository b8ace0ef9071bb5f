// The connection profile as the migration modes use it: remove, add, and
// put back after a failed add.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/Backends.h"
#include "tests/support/Fakes.h"

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

TEST_F(ConnectionProfileRules, ARemovedConnectionCanBePutBackWhenSharesAreListed) {
  WriteFile(path, "connection: \\\\OLD\\Sales\nconnection: \\\\OLD\\Acct\nshare: \\\\NEW\\Acct\n");
  auto net = Open();

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

TEST_F(ConnectionProfileRules, TheDefaultLineNamesAConnectionAndGoesWithIt) {
  WriteFile(path, "connection: \\\\OLD\\Sales\nconnection: Local Laser\n# end\n");
  auto net = Open();

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

TEST_F(ConnectionProfileRules, AServerLostAfterTheRemoveMakesTheRollBackFail) {
  WriteFile(path,
            "connection: \\\\OLD\\P1\nconnection: \\\\OLD2\\P2\noffline-after-remove: \\\\old\n"
            "share: \\\\NEW\\P2\n");
  auto net = Open();
  ASSERT_TRUE(net->RemovePrinterConnection("\\\\OLD\\P1", true, true).ok());
  EXPECT_FALSE(net->AddWindowsPrinterConnection("\\\\NEW\\P1").ok());
  Status back = net->AddWindowsPrinterConnection("\\\\OLD\\P1");
  ASSERT_FALSE(back.ok());
  EXPECT_EQ(back.error().Number, -2147024843);
  // Servers the line does not name move and roll back as ever.
  ASSERT_TRUE(net->RemovePrinterConnection("\\\\OLD2\\P2", true, true).ok());
  EXPECT_TRUE(net->AddWindowsPrinterConnection("\\\\OLD2\\P2").ok());
  // The file says what happened.
  EXPECT_EQ(ReadFile(path),
            "offline-after-remove: \\\\old\nshare: \\\\NEW\\P2\nshare: \\\\OLD\\P1\n"
            "share: \\\\OLD2\\P2\noffline: OLD\nconnection: \\\\OLD2\\P2\n");
}

// A profile of a large site: thousands of connections, many moves.
struct LargeProfile : ConnectionProfileRules {
  static constexpr int kConnections = 4000;
  void SetUp() override {
    std::string text = "computer: PC01\n";
    for (int i = 0; i < kConnections; ++i)
      text += "connection: \\\\OLDSRV\\Q" + std::to_string(i) + "\n";
    WriteFile(path, text);
  }
  static void Move(NetworkObject& net, int i) {
    ASSERT_TRUE(net.RemovePrinterConnection("\\\\OLDSRV\\Q" + std::to_string(i), true, true).ok());
    ASSERT_TRUE(net.AddWindowsPrinterConnection("\\\\NEWSRV\\Q" + std::to_string(i)).ok());
  }
};

TEST_F(LargeProfile, AChangeCostsItsLineAndAStoppedRunLeavesWhatWasDone) {
  auto net = Open();
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  const auto size = std::filesystem::file_size(path);
  Move(*net, 0);
  // The file is not written anew for one move: the change is added to it.
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_LT(std::filesystem::file_size(path) - size, 64u);

  for (int i = 1; i < 100; ++i) Move(*net, i);
  // A run stopped here: another reader sees every move made so far, and
  // a change cut off mid-write counts for nothing.
  const auto copy = dir / "stopped.txt";
  std::filesystem::copy_file(path, copy);
  {
    std::FILE* f = std::fopen(copy.c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::fputs("-connection: \\\\OLDSRV\\Q10", f);
    std::fclose(f);
  }
  auto stopped = MakeConnectionProfile(copy.string())->Create("WScript.Network");
  ASSERT_TRUE(stopped.ok());
  const auto seen = *(*stopped)->EnumPrinterConnections();
  EXPECT_EQ(seen, *net->EnumPrinterConnections());
  ASSERT_EQ(seen.size(), 2u * kConnections);
  EXPECT_EQ(seen[2 * kConnections - 1], "\\\\NEWSRV\\Q99");
  EXPECT_EQ(seen[1], "\\\\OLDSRV\\Q100");
  // The next change there writes the file in whole, without the cut part.
  Move(**stopped, 100);
  stopped->reset();
  EXPECT_EQ(ReadFile(copy).find("-connection"), std::string::npos);

  // Released, the object leaves the file as if written in whole.
  net.reset();
  const std::string text = ReadFile(path);
  EXPECT_EQ(text.find("+connection"), std::string::npos);
  EXPECT_TRUE(text.starts_with("computer: PC01\nconnection: \\\\OLDSRV\\Q100\n"))
      << text.substr(0, 80);
  EXPECT_TRUE(text.ends_with("connection: \\\\NEWSRV\\Q98\nconnection: \\\\NEWSRV\\Q99\n"));
}

TEST_F(ConnectionProfileRules, DriverLinesAnswerTheDriverQuestions) {
  WriteFile(path,
            "connection: \\\\OLD\\Acct\n"
            "DRIVER: \\\\new\\acct = Acme Laser PS\n"
            "driver: \\\\NEW\\Plot=Acme Plotter\n"
            "installed-driver: acme laser ps\n"
            "user-installs-drivers: No\n"
            "offline: DOWN\n"
            "driver: \\\\DOWN\\Q = Acme Laser PS\n");
  auto net = Open();
  PrinterDrivers* drivers = net->Drivers();
  ASSERT_NE(drivers, nullptr);

  auto acct = drivers->QueueDriver("\\\\NEW\\ACCT");
  ASSERT_TRUE(acct.ok());
  ASSERT_TRUE(acct->has_value());
  EXPECT_EQ((*acct)->Name, "Acme Laser PS");
  auto plot = drivers->QueueDriver("\\\\NEW\\Plot");
  ASSERT_TRUE(plot.ok() && plot->has_value());
  EXPECT_EQ((*plot)->Name, "Acme Plotter");
  // A share without a driver line needs none; a server that is down cannot be asked.
  auto none = drivers->QueueDriver("\\\\NEW\\Other");
  ASSERT_TRUE(none.ok());
  EXPECT_FALSE(none->has_value());
  EXPECT_FALSE(drivers->QueueDriver("\\\\DOWN\\Q").ok());

  EXPECT_TRUE(*drivers->HasDriver(**acct));
  EXPECT_FALSE(*drivers->HasDriver(**plot));
  EXPECT_TRUE(*drivers->HasDriver({std::string(kIppClassDriver), 0}));

  auto rules = drivers->Rules("NEW");
  ASSERT_TRUE(rules.ok());
  EXPECT_FALSE(rules->UserMayInstall);
  EXPECT_FALSE(rules->Why.empty());
  EXPECT_FALSE(rules->ProtectedPrint);

  WriteFile(path, "connection: \\\\OLD\\Acct\nprotected-print: on\n");
  rules = drivers->Rules("NEW");
  ASSERT_TRUE(rules.ok());
  EXPECT_TRUE(rules->UserMayInstall);
  EXPECT_TRUE(rules->ProtectedPrint);
}

TEST_F(ConnectionProfileRules, InstallingADriverAddsItsLineOnce) {
  WriteFile(path, "connection: \\\\OLD\\Acct\nshare: \\\\NEW\\Acct\n# end\n");
  auto net = Open();
  PrinterDrivers* drivers = net->Drivers();
  ASSERT_NE(drivers, nullptr);
  const PrinterDriver laser{"Acme Laser PS", 0};
  EXPECT_TRUE(drivers->InstallDriver("\\\\NEW\\Acct", laser).ok());
  EXPECT_TRUE(drivers->InstallDriver("\\\\new\\acct", {"ACME LASER PS", 0}).ok());
  EXPECT_TRUE(*drivers->HasDriver(laser));
  // A queue the network does not have has no driver to install.
  EXPECT_FALSE(drivers->InstallDriver("\\\\NEW\\Gone", laser).ok());
  EXPECT_EQ(ReadFile(path),
            "connection: \\\\OLD\\Acct\nshare: \\\\NEW\\Acct\n# end\n"
            "installed-driver: Acme Laser PS\n");
  // A second one goes after the first.
  EXPECT_TRUE(drivers->InstallDriver("\\\\NEW\\Acct", {"Acme Plotter", 0}).ok());
  EXPECT_EQ(ReadFile(path),
            "connection: \\\\OLD\\Acct\nshare: \\\\NEW\\Acct\n# end\n"
            "installed-driver: Acme Laser PS\ninstalled-driver: Acme Plotter\n");
}

TEST_F(ConnectionProfileRules, LinesThatAreNoProfileLinesAreReportedByNumber) {
  const struct {
    const char* name;
    const char* text;
    std::vector<std::string> badLines;  // " line N " of each, in order
  } cases[] = {
      {"comments, blank lines and keys in any case are fine",
       "# printers\n\n  \nComputer: PC01\nCONNECTION: \\\\OLD\\Q\n\tdefault: \\\\OLD\\Q\r\n",
       {}},
      {"a bare path", "connection: \\\\OLD\\A\n\\\\OLD\\B\n", {"line 2 "}},
      {"a misspelt key and a line without a colon",
       "conection: \\\\OLD\\A\nconnection \\\\OLD\\B\n",
       {"line 1 ", "line 2 "}},
      {"driver lines need their share and driver",
       "driver: \\\\NEW\\A\ndriver: = X\ndriver: \\\\NEW\\A =\ndriver: \\\\NEW\\A = X\n",
       {"line 1 ", "line 2 ", "line 3 "}},
      {"yes/no and on/off",
       "user-installs-drivers: never\nprotected-print: yes\nprotected-print: OFF\n",
       {"line 1 ", "line 2 "}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(path, c.text);
    Status checked = CheckConnectionProfile(path.string());
    auto items = Open()->EnumPrinterConnections();
    if (c.badLines.empty()) {
      EXPECT_TRUE(checked.ok()) << checked.error().Description;
      EXPECT_TRUE(items.ok());
      continue;
    }
    ASSERT_FALSE(checked.ok());
    ASSERT_FALSE(items.ok());
    EXPECT_EQ(items.error(), checked.error());
    const std::string& why = checked.error().Description;
    EXPECT_NE(why.find(path.string()), std::string::npos) << why;
    size_t at = 0;
    for (const std::string& line : c.badLines) {
      size_t found = why.find(line, at);
      EXPECT_NE(found, std::string::npos) << line << " in " << why;
      if (found != std::string::npos) at = found;
    }
    EXPECT_EQ(std::count(why.begin(), why.end(), ';') + 1, static_cast<long>(c.badLines.size()))
        << why;
    // Refused, the file is left as it was.
    EXPECT_EQ(ReadFile(path), c.text);
  }
}

TEST_F(ConnectionProfileRules, AFileWithManyBadLinesNamesTheFirstAndCountsTheRest) {
  std::string text;
  for (int i = 0; i < 25; ++i) text += "\\\\OLD\\Q" + std::to_string(i) + "\n";
  WriteFile(path, text);
  Status checked = CheckConnectionProfile(path.string());
  ASSERT_FALSE(checked.ok());
  EXPECT_NE(checked.error().Description.find("line 10 "), std::string::npos);
  EXPECT_EQ(checked.error().Description.find("line 11 "), std::string::npos);
  EXPECT_NE(checked.error().Description.find("15 more"), std::string::npos)
      << checked.error().Description;
}

}  // namespace
}  // namespace velloran
