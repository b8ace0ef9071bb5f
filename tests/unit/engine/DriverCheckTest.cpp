// The driver verdict a move gets before its old connection is removed.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "engine/DriverCheck.h"
#include "engine/modMoveNetworkPrinters.h"
#include "tests/support/FakePlatform.h"

namespace velloran {
namespace {

// Answers from fixed tables, and records what it was asked.
class TableDrivers : public PrinterDrivers {
 public:
  std::map<std::string, std::optional<PrinterDriver>> Queues;  // share -> its driver
  std::vector<std::string> Installed;
  DriverRules Answer;
  std::optional<PlatformError> QueueFails, RulesFails, HasFails;
  std::vector<std::string> Asked;

  Result<std::optional<PrinterDriver>> QueueDriver(std::string_view share) override {
    Asked.push_back("queue " + std::string(share));
    if (QueueFails) return *QueueFails;
    auto it = Queues.find(std::string(share));
    return it == Queues.end() ? std::optional<PrinterDriver>() : it->second;
  }
  Result<std::optional<PrinterDriver>> QueueDriverReplacing(std::string_view share,
                                                            std::string_view replacing) override {
    Asked.push_back("replacing " + std::string(replacing));
    return QueueDriver(share);
  }
  Result<bool> HasDriver(const PrinterDriver& driver) override {
    Asked.push_back("has " + driver.Name);
    if (HasFails) return *HasFails;
    for (const std::string& name : Installed)
      if (name == driver.Name) return true;
    return false;
  }
  Result<DriverRules> Rules(std::string_view server) override {
    Asked.push_back("rules " + std::string(server));
    if (RulesFails) return *RulesFails;
    return Answer;
  }
  Status InstallDriver(std::string_view, const PrinterDriver&) override {
    ADD_FAILURE() << "a check installs nothing";
    return Status::Ok();
  }
};

constexpr const char* kTarget = "\\\\NEW\\Laser";
constexpr const char* kFrom = "\\\\OLD\\Laser";
const PrinterDriver kLaser{"Acme Laser PS", 0};
const PrinterDriver kIpp{std::string(kIppClassDriver), 0};

struct Case {
  const char* name;
  std::optional<PrinterDriver> driver;
  bool installed;
  bool userMayInstall;
  bool protectedPrint;
  /// Null for a move that goes ahead, else what the cause of the hold holds.
  const char* cause;
  /// The reason the backend gives.
  const char* why = "policy says no";
};

TEST(DriverCheck, TheDriverTheClientAndTheRulesDecide) {
  const Case cases[] = {
      {"a queue that needs no driver", std::nullopt, false, false, true, nullptr},
      {"the driver is there", kLaser, true, false, false, nullptr},
      {"the user may install it", kLaser, false, true, false, nullptr},
      {"missing and not installable", kLaser, false, false, false, "policy says no"},
      {"protected print blocks an installed third-party driver", kLaser, true, true, true,
       kIppClassDriver.data()},
      {"protected print lets the IPP class driver through", kIpp, true, false, true, nullptr},
      {"the IPP class driver missing and not installable", kIpp, false, false, true,
       "policy says no"},
      {"a backend that gives no reason still leaves one", kLaser, false, false, false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TableDrivers drivers;
    drivers.Queues[kTarget] = c.driver;
    if (c.installed && c.driver) drivers.Installed.push_back(c.driver->Name);
    drivers.Answer = {c.userMayInstall, c.protectedPrint, c.why};
    DriverVerdict v = CheckTargetDriver(drivers, kFrom, kTarget);
    EXPECT_FALSE(v.NotAsked.has_value());
    EXPECT_EQ(v.Hold.has_value(), c.cause != nullptr);
    if (v.Hold && c.cause) {
      EXPECT_EQ(v.Hold->Driver, *c.driver);
      EXPECT_FALSE(v.Hold->Cause.empty());
      EXPECT_NE(v.Hold->Cause.find(c.cause), std::string::npos) << v.Hold->Cause;
    }
    // The rules are asked of the target's server, and the old connection is
    // named so that the backend can reach the new queue as it reached the old.
    EXPECT_EQ(drivers.Asked.front(), std::string("replacing ") + kFrom);
    if (c.driver) {
      EXPECT_NE(std::find(drivers.Asked.begin(), drivers.Asked.end(), "rules NEW"),
                drivers.Asked.end());
    }
  }
}

TEST(DriverCheck, AQuestionThatCannotBeAnsweredLetsTheMoveGoAhead) {
  const PlatformError down{-2147024843, "The network path was not found."};
  for (int which = 0; which < 3; ++which) {
    SCOPED_TRACE(which);
    TableDrivers drivers;
    drivers.Queues[kTarget] = kLaser;
    drivers.Answer = {false, false, "no"};
    (which == 0 ? drivers.QueueFails : which == 1 ? drivers.RulesFails : drivers.HasFails) = down;
    DriverVerdict v = CheckTargetDriver(drivers, kFrom, kTarget);
    EXPECT_FALSE(v.Hold.has_value());
    ASSERT_TRUE(v.NotAsked.has_value());
    EXPECT_EQ(*v.NotAsked, down);
  }
}

// A network object whose every call is recorded, with the drivers above.
class DriverNetwork : public NetworkObject {
 public:
  TableDrivers Table;
  std::vector<std::string> Calls;
  Result<std::vector<std::string>> EnumPrinterConnections() override {
    return std::vector<std::string>{};
  }
  Status RemovePrinterConnection(std::string_view path, bool, bool) override {
    Calls.push_back("remove " + std::string(path));
    return Status::Ok();
  }
  Status AddWindowsPrinterConnection(std::string_view path) override {
    Calls.push_back("add " + std::string(path));
    return Status::Ok();
  }
  Result<std::string> GetDefaultPrinter() override { return std::string(); }
  Status SetDefaultPrinter(std::string_view) override { return Status::Ok(); }
  Result<std::string> ComputerName() override { return std::string("PC01"); }
  PrinterDrivers* Drivers() override { return &Table; }
};

TEST(DriverCheck, AHeldBackMoveTouchesNoConnectionAndFailsTheRun) {
  test::FakePlatform fakes;
  velloran::Run run{fakes.services()};
  run.Settings.DebugOn = true;
  auto owned = std::make_unique<DriverNetwork>();
  DriverNetwork& net = *owned;
  // A server's driver name is its own text: a line break in it must not
  // become a line of the report.
  net.Table.Queues[kTarget] = PrinterDriver{"Acme\r\nPrinter migrated: Forged (X)", 0};
  net.Table.Answer = {false, false, "policy says no"};
  Result<std::unique_ptr<NetworkObject>> network(std::unique_ptr<NetworkObject>(std::move(owned)));

  ReconnectPrinter(run, network, {"Laser", "OLD", "Laser"}, kFrom, kTarget);
  EXPECT_TRUE(net.Calls.empty());
  EXPECT_TRUE(run.AbortStatus);
  EXPECT_EQ(run.OutcomeText,
            "\r\nPrinter held back by its driver: \\\\NEW\\Laser"
            "\r\n> Driver: Acme  Printer migrated: Forged (X)\r\n> Cause: policy says no");
  ASSERT_EQ(run.DriverHolds.size(), 1u);
  EXPECT_EQ(run.DriverHolds[0].From, kFrom);
  EXPECT_EQ(run.DriverHolds[0].To, kTarget);

  // The same move once the driver is there goes the usual way.
  net.Table.Installed = {"Acme\r\nPrinter migrated: Forged (X)"};
  velloran::Run second{fakes.services()};
  ReconnectPrinter(second, network, {"Laser", "OLD", "Laser"}, kFrom, kTarget);
  EXPECT_EQ(net.Calls, (std::vector<std::string>{std::string("remove ") + kFrom,
                                                 std::string("add ") + kTarget}));
  EXPECT_FALSE(second.AbortStatus);
  EXPECT_TRUE(second.DriverHolds.empty());
}

}  // namespace
}  // namespace velloran
