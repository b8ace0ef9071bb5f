// The Point and Print decision and the spooler-backed driver questions,
// over a fake of what the system is asked.

#include <gtest/gtest.h>

#include <map>

#include "platform/CodePage.h"
#include "platform/SpoolerDrivers.h"

namespace velloran {
namespace {

// ------------------------------------------------------------ the decision

PointAndPrintPolicy UsersMayInstall() {
  PointAndPrintPolicy p;
  p.RestrictDriverInstallationToAdministrators = 0;
  p.Restricted = 1;
  p.TrustedServers = 1;
  p.ServerList = "PRT01; \\\\prt02.corp.example ;PRT03";
  p.NoWarningNoElevationOnInstall = 1;
  p.UpdatePromptSettings = 2;
  return p;
}

using Edit = PointAndPrintPolicy&;

struct DecisionCase {
  const char* Name;
  /// What the case changes in a policy that lets users install.
  void (*Change)(Edit);
  DriverInstallCase Install;
  bool MayInstall;
  /// A word the reason must hold: the value that decided.
  const char* Decider;
};

class Decision : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(Decision, NamesTheValueThatDecided) {
  const DecisionCase& c = GetParam();
  PointAndPrintPolicy policy = UsersMayInstall();
  c.Change(policy);
  DriverRules rules = DecideDriverRules(policy, c.Install);
  EXPECT_EQ(rules.UserMayInstall, c.MayInstall);
  if (c.MayInstall)
    EXPECT_EQ(rules.Why, "");
  else
    EXPECT_NE(rules.Why.find(c.Decider), std::string::npos) << rules.Why;
  EXPECT_FALSE(rules.ProtectedPrint);
}

INSTANTIATE_TEST_SUITE_P(
    PointAndPrint, Decision,
    ::testing::Values(
        DecisionCase{"NothingSetMeansAdministratorsOnly",
                     [](Edit p) { p = {}; },
                     {"PRT01"},
                     false,
                     "RestrictDriverInstallationToAdministrators is not set"},
        DecisionCase{"ElevatedInstallsWhateverThePolicy",
                     [](Edit p) { p = {}; },
                     {"PRT01", false, false, true},
                     true,
                     ""},
        DecisionCase{"RestrictionOn",
                     [](Edit p) { p.RestrictDriverInstallationToAdministrators = 1; },
                     {"PRT01"},
                     false,
                     "RestrictDriverInstallationToAdministrators is 1"},
        DecisionCase{"ApprovedServerNoPrompt", [](Edit) {}, {"prt03"}, true, ""},
        DecisionCase{"ServerListEntriesAreTrimmedOfBlanksAndBackslashes",
                     [](Edit) {},
                     {"PRT02.CORP.EXAMPLE"},
                     true,
                     ""},
        DecisionCase{
            "ServerNotInTheList", [](Edit) {}, {"PRT0"}, false, "ServerList does not name PRT0"},
        DecisionCase{"ListNotEnforcedWithoutTrustedServers",
                     [](Edit p) { p.TrustedServers = 0; },
                     {"ELSEWHERE"},
                     true,
                     ""},
        DecisionCase{"NewDriverWouldPrompt",
                     [](Edit p) { p.NoWarningNoElevationOnInstall = 0; },
                     {"PRT01"},
                     false,
                     "NoWarningNoElevationOnInstall is 0"},
        DecisionCase{"NewDriverPromptNotSetCountsAsPrompt",
                     [](Edit p) { p.NoWarningNoElevationOnInstall.reset(); },
                     {"PRT01"},
                     false,
                     "NoWarningNoElevationOnInstall is not set"},
        DecisionCase{"UpdateAsksTheUpdateSetting",
                     [](Edit p) { p.UpdatePromptSettings = 1; },
                     {"PRT01", true},
                     false,
                     "UpdatePromptSettings is 1"},
        DecisionCase{"NewDriverIgnoresTheUpdateSetting",
                     [](Edit p) { p.UpdatePromptSettings = 0; },
                     {"PRT01", false},
                     true,
                     ""},
        DecisionCase{"RestrictionsOffLetsAnyServer",
                     [](Edit p) {
                       p = {};
                       p.RestrictDriverInstallationToAdministrators = p.Restricted = 0;
                     },
                     {"ANY"},
                     true,
                     ""},
        DecisionCase{"RestrictionsNotSetPrompt",
                     [](Edit p) {
                       p = {};
                       p.RestrictDriverInstallationToAdministrators = 0;
                     },
                     {"ANY"},
                     false,
                     "NoWarningNoElevationOnInstall"},
        DecisionCase{"PackageOnlyRefusesAnOlderKindOfDriver",
                     [](Edit p) { p.PackagePointAndPrintOnly = 1; },
                     {"PRT01", false, false},
                     false,
                     "not package-aware"},
        DecisionCase{"PackageOnlyAcceptsAPackageFromAnApprovedServer",
                     [](Edit p) {
                       p.PackagePointAndPrintOnly = p.PackagePointAndPrintServerList = 1;
                       p.PackageServers = {"prt09", "PRT01"};
                     },
                     {"PRT01", false, true},
                     true,
                     ""},
        DecisionCase{"PackageServerListMustNameTheServer",
                     [](Edit p) {
                       p.PackagePointAndPrintOnly = p.PackagePointAndPrintServerList = 1;
                       p.PackageServers = {"PRT09"};
                     },
                     {"PRT01", false, true},
                     false,
                     "list of servers does not name PRT01"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ProtectedPrint, ThePolicyDecidesOverTheSetting) {
  struct Case {
    std::optional<uint32_t> Policy, Mode;
    bool On;
  };
  for (const Case& c : {Case{std::nullopt, std::nullopt, false}, Case{1, std::nullopt, true},
                        Case{std::nullopt, 1, true}, Case{0, 1, false}, Case{1, 0, true}}) {
    PointAndPrintPolicy p;
    p.WindowsProtectedPrintGroupPolicyState = c.Policy;
    p.WindowsProtectedPrintMode = c.Mode;
    // The mode holds for an elevated process as well: nobody installs a
    // third-party driver under it.
    EXPECT_EQ(DecideDriverRules(p, {"PRT01", false, false, true}).ProtectedPrint, c.On)
        << c.Policy.value_or(9) << " " << c.Mode.value_or(9);
  }
}

// ------------------------------------------------ the questions over a fake

struct FakeSpooler : SpoolerSystem {
  PointAndPrintPolicy Policy;
  bool IsElevated = false;
  std::map<std::string, std::optional<ServerDriver>> Queues;
  /// What connecting to a queue installs.
  std::map<std::string, PrinterDriver> Installs;
  std::vector<PrinterDriver> Local;
  std::vector<std::string> Connections;
  std::vector<std::string> Calls;
  std::optional<PlatformError> ConnectFails;

  Result<PointAndPrintPolicy> ReadPolicy() override { return Policy; }
  bool Elevated() override { return IsElevated; }
  Result<std::optional<ServerDriver>> QueueDriver(std::string_view share) override {
    auto it = Queues.find(std::string(share));
    if (it == Queues.end()) return PlatformError{1722, "The RPC server is unavailable."};
    return it->second;
  }
  Result<std::vector<PrinterDriver>> LocalDrivers() override { return Local; }
  Result<bool> HasConnection(std::string_view share) override {
    for (const auto& c : Connections)
      if (SameText(c, share)) return true;
    return false;
  }
  Status Connect(std::string_view share) override {
    Calls.push_back("connect " + std::string(share));
    if (ConnectFails) return *ConnectFails;
    if (auto it = Installs.find(std::string(share)); it != Installs.end())
      Local.push_back(it->second);
    Connections.emplace_back(share);
    return Status::Ok();
  }
  Status Disconnect(std::string_view share) override {
    Calls.push_back("disconnect " + std::string(share));
    std::erase_if(Connections, [&](const std::string& c) { return SameText(c, share); });
    return Status::Ok();
  }
};

struct Drivers : ::testing::Test {
  FakeSpooler* spooler = nullptr;
  std::unique_ptr<PrinterDrivers> drivers;
  const PrinterDriver kLaser{"Laser PCL6", 0x0006000100020003ull};

  void SetUp() override {
    auto fake = std::make_unique<FakeSpooler>();
    spooler = fake.get();
    spooler->Queues["\\\\PRT01\\LASER"] = ServerDriver{kLaser, false};
    spooler->Queues["\\\\PRT01\\PLAIN"] = std::nullopt;
    spooler->Policy = UsersMayInstall();
    spooler->Policy.UpdatePromptSettings = 0;
    drivers = MakeSpoolerDrivers(std::move(fake));
  }
};

TEST_F(Drivers, AQueueTellsItsDriverOrNoneOrFails) {
  auto laser = drivers->QueueDriver("\\\\PRT01\\LASER");
  ASSERT_TRUE(laser.ok());
  EXPECT_EQ(*laser, kLaser);
  auto plain = drivers->QueueDriver("\\\\PRT01\\PLAIN");
  ASSERT_TRUE(plain.ok());
  EXPECT_EQ(*plain, std::nullopt);
  EXPECT_FALSE(drivers->QueueDriver("\\\\GONE\\Q").ok());
}

TEST_F(Drivers, TheClientHasADriverByNameAtTheServersVersionOrNewer) {
  struct Case {
    std::vector<PrinterDriver> Local;
    bool Has;
  };
  const uint64_t v = kLaser.Version;
  for (const Case& c :
       {Case{{}, false}, Case{{{"laser pcl6", v}}, true}, Case{{{"Laser PCL6", v + 1}}, true},
        Case{{{"Laser PCL6", v - 1}}, false},
        Case{{{"Laser PCL6", v - 1}, {"Laser PCL6", v}}, true}, Case{{{"Laser PCL", v}}, false}}) {
    spooler->Local = c.Local;
    auto has = drivers->HasDriver(kLaser);
    ASSERT_TRUE(has.ok());
    EXPECT_EQ(*has, c.Has) << c.Local.size();
  }
}

TEST_F(Drivers, AnOlderDriverOnTheClientMakesTheRulesThoseOfAnUpdate) {
  // A new install is allowed without a prompt, an update is not.
  ASSERT_TRUE(drivers->QueueDriver("\\\\PRT01\\LASER").ok());
  spooler->Local = {};
  ASSERT_FALSE(drivers->HasDriver(kLaser).value());
  EXPECT_TRUE(drivers->Rules("PRT01").value().UserMayInstall);

  spooler->Local = {{"Laser PCL6", kLaser.Version - 1}};
  ASSERT_FALSE(drivers->HasDriver(kLaser).value());
  DriverRules rules = drivers->Rules("PRT01").value();
  EXPECT_FALSE(rules.UserMayInstall);
  EXPECT_NE(rules.Why.find("UpdatePromptSettings"), std::string::npos) << rules.Why;
}

TEST_F(Drivers, InstallingConnectsAndDisconnectsAndChecksTheDriverIsThere) {
  spooler->Installs["\\\\PRT01\\LASER"] = kLaser;
  ASSERT_TRUE(drivers->InstallDriver("\\\\PRT01\\LASER", kLaser).ok());
  EXPECT_EQ(spooler->Calls,
            (std::vector<std::string>{"connect \\\\PRT01\\LASER", "disconnect \\\\PRT01\\LASER"}));
  EXPECT_TRUE(spooler->Connections.empty());
  EXPECT_TRUE(drivers->HasDriver(kLaser).value());
}

TEST_F(Drivers, InstallingKeepsAConnectionTheAccountHadBefore) {
  spooler->Installs["\\\\PRT01\\LASER"] = kLaser;
  spooler->Connections = {"\\\\prt01\\laser"};
  ASSERT_TRUE(drivers->InstallDriver("\\\\PRT01\\LASER", kLaser).ok());
  EXPECT_EQ(spooler->Calls, (std::vector<std::string>{"connect \\\\PRT01\\LASER"}));
  EXPECT_EQ(spooler->Connections.size(), 2u);
}

TEST_F(Drivers, AConnectionThatLeavesNoDriverIsAFailure) {
  // The spooler connected but installed an older driver (or none).
  spooler->Installs["\\\\PRT01\\LASER"] = {"Laser PCL6", 1};
  Status installed = drivers->InstallDriver("\\\\PRT01\\LASER", kLaser);
  ASSERT_FALSE(installed.ok());
  EXPECT_NE(installed.error().Description.find("Laser PCL6"), std::string::npos);

  spooler->ConnectFails = PlatformError{3019, "The printer driver must be installed first."};
  installed = drivers->InstallDriver("\\\\PRT01\\LASER", kLaser);
  ASSERT_FALSE(installed.ok());
  EXPECT_EQ(installed.error().Number, 3019);
}

}  // namespace
}  // namespace velloran
