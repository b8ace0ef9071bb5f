// A rehearsal on the user's own connections: the engine's whole run goes
// through it, and the live object is only ever read.

#include <gtest/gtest.h>

#include "engine/modMain.h"
#include "platform/Backends.h"
#include "platform/ConnectionName.h"
#include "platform/NullBackends.h"
#include "platform/RehearsalNetwork.h"
#include "tests/support/FakePlatform.h"

namespace velloran {
namespace {

/// Hands the rehearsal the test's live network without giving it away.
class Borrowed : public NetworkObjectFactory {
 public:
  explicit Borrowed(NetworkObjectFactory& live) : live_(live) {}
  Result<std::unique_ptr<NetworkObject>> Create(std::string_view progId) override {
    return live_.Create(progId);
  }
  void RunEnded(bool succeeded) override { live_.RunEnded(succeeded); }

 private:
  NetworkObjectFactory& live_;
};

std::vector<std::string> Names(NetworkObjectFactory& network) {
  auto object = network.Create("WScript.Network");
  EXPECT_TRUE(object.ok());
  if (!object) return {};
  auto items = (*object)->EnumPrinterConnections();
  EXPECT_TRUE(items.ok());
  std::vector<std::string> names;
  for (size_t i = 1; items && i < items->size(); i += 2) names.push_back((*items)[i]);
  return names;
}

struct Rehearsal : ::testing::Test {
  test::FakePlatform platform;
  std::unique_ptr<NetworkObjectFactory> rehearsal =
      MakeRehearsalNetwork(std::make_unique<Borrowed>(platform.Network));

  std::unique_ptr<NetworkObject> Object() {
    auto object = rehearsal->Create("WScript.Network");
    EXPECT_TRUE(object.ok());
    return object ? std::move(*object) : nullptr;
  }
};

TEST_F(Rehearsal, AWholeRunMovesTheCopyAndLeavesTheUsersConnectionsAlone) {
  test::FakeNetwork& live = platform.Network;
  live.Connections = {"\\\\OLD\\P1", "Local Laser", "\\\\old\\P2", "\\\\KEEP\\P3"};
  live.Default = "\\\\OLD\\P2";
  // A share list the moves would fail on: the rehearsal does not ask.
  live.Shares = {"\\\\KEEP\\P3"};
  Services services = platform.services();
  services.Network = *rehearsal;
  velloran::Run run(services);
  run.Settings.AlwaysRun = true;
  run.Settings.UseManualDefinitions = true;
  run.Settings.ServerPairs = {{"OLD", "NEW"}};
  RunMigration(run);
  EXPECT_FALSE(run.AbortStatus) << run.OutcomeText;

  EXPECT_EQ(live.Calls, std::vector<std::string>{"enum"}) << "the live object is read once";
  EXPECT_EQ(live.ObjectsCreated, 1);
  EXPECT_EQ(live.Connections, (std::vector<std::string>{"\\\\OLD\\P1", "Local Laser", "\\\\old\\P2",
                                                        "\\\\KEEP\\P3"}));
  EXPECT_EQ(live.Default, "\\\\OLD\\P2");

  EXPECT_EQ(Names(*rehearsal), (std::vector<std::string>{"Local Laser", "\\\\KEEP\\P3",
                                                         "\\\\NEW\\P1", "\\\\NEW\\P2"}));
  // The engine kept the default on the moved printer, in the copy.
  auto object = Object();
  ASSERT_TRUE(object);
  EXPECT_EQ(*object->GetDefaultPrinter(), "\\\\NEW\\P2");
  EXPECT_EQ(*object->ComputerName(), "PC01");
  EXPECT_EQ(live.Calls, std::vector<std::string>{"enum"});
}

TEST_F(Rehearsal, ChangesFollowTheSystemsRulesOnTheCopy) {
  platform.Network.Connections = {"\\\\OLD\\P1", "\\\\OLD\\P2"};
  platform.Network.Default = "\\\\OLD\\P1";
  auto object = Object();
  ASSERT_TRUE(object);

  // Names meet in any case; a connection that is not there cannot go.
  EXPECT_TRUE(object->RemovePrinterConnection("\\\\old\\p1", true, true).ok());
  EXPECT_EQ(*object->GetDefaultPrinter(), "") << "the default goes with its connection";
  Status again = object->RemovePrinterConnection("\\\\OLD\\P1", true, true);
  ASSERT_FALSE(again.ok());
  EXPECT_EQ(again.error().Number, kConnectionMissing);
  EXPECT_FALSE(object->SetDefaultPrinter("\\\\OLD\\P1").ok());

  // An add of a path no connection can have fails as the system's does; one
  // the user has already changes nothing.
  for (const char* bad : {"\\\\NEW", "NEW\\P1", "\\\\NEW\\P1\nX", "\\\\N W\\P1"}) {
    Status added = object->AddWindowsPrinterConnection(bad);
    ASSERT_FALSE(added.ok()) << bad;
    EXPECT_EQ(added.error().Number, kPrinterNameInvalid) << bad;
  }
  EXPECT_TRUE(object->AddWindowsPrinterConnection("\\\\old\\p2").ok());
  EXPECT_TRUE(object->AddWindowsPrinterConnection("\\\\NEW\\P1").ok());
  EXPECT_TRUE(object->SetDefaultPrinter("\\\\new\\p1").ok());
  EXPECT_EQ(*object->GetDefaultPrinter(), "\\\\NEW\\P1");

  // A second object of the same run sees what the first did, and the items
  // still come in pairs of port and name.
  auto second = Object();
  ASSERT_TRUE(second);
  auto items = second->EnumPrinterConnections();
  ASSERT_TRUE(items.ok());
  ASSERT_EQ(items->size(), 4u);
  EXPECT_EQ((*items)[1], "\\\\OLD\\P2");
  EXPECT_EQ((*items)[3], "\\\\NEW\\P1");
  EXPECT_TRUE((*items)[2].ends_with(":")) << (*items)[2];
  EXPECT_EQ(platform.Network.Calls, std::vector<std::string>{"enum"});
}

TEST_F(Rehearsal, FailuresOfTheLiveObjectStayTheRehearsalsAnswers) {
  test::FakeNetwork& live = platform.Network;
  live.CreateFails = PlatformError{429, "ActiveX component can't create object"};
  auto failed = rehearsal->Create("WScript.Network");
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error().Number, 429);

  // Once the object can be created it is read; a listing that failed stays
  // failed for the whole rehearsal, and nothing can be changed on it.
  live.CreateFails.reset();
  live.EnumFails = PlatformError{1722, "The RPC server is unavailable."};
  live.ComputerNameFails = PlatformError{5, "Access is denied."};
  auto object = Object();
  ASSERT_TRUE(object);
  live.EnumFails.reset();
  for (int i = 0; i < 2; ++i) {
    auto items = object->EnumPrinterConnectionItems();
    ASSERT_FALSE(items.ok());
    EXPECT_EQ(items.error().Number, 1722);
  }
  EXPECT_EQ(object->AddWindowsPrinterConnection("\\\\NEW\\P1").error().Number, 1722);
  EXPECT_EQ(object->ComputerName().error().Number, 5);
  EXPECT_EQ(live.Calls, std::vector<std::string>{"enum"});
}

TEST(RehearsalDrivers, QuestionsGoToTheSystemAndAnInstallStaysInMemory) {
  // A connection profile answers the driver questions and writes an install
  // to its file: the file shows whether the install reached the system.
  test::TempDir dir;
  const auto path = dir / "connections.txt";
  const std::string profile =
      "connection: \\\\OLD\\P1\ndriver: \\\\NEW\\P1 = Laser PS\nuser-installs-drivers: yes\n"
      "installed-driver: Acme Plotter\n";
  test::WriteFile(path, profile);
  auto live = MakeConnectionProfile(path.string());
  auto rehearsal = MakeRehearsalNetwork(std::make_unique<Borrowed>(*live));
  auto object = rehearsal->Create("WScript.Network");
  ASSERT_TRUE(object.ok());
  PrinterDrivers* drivers = (*object)->Drivers();
  ASSERT_NE(drivers, nullptr);
  auto driver = drivers->QueueDriver("\\\\NEW\\P1");
  ASSERT_TRUE(driver.ok() && driver->has_value());
  EXPECT_EQ((*driver)->Name, "Laser PS");
  EXPECT_FALSE(*drivers->HasDriver(**driver));
  EXPECT_TRUE(*drivers->HasDriver(PrinterDriver{"Acme Plotter", 0})) << "the system's answer";
  EXPECT_TRUE(drivers->Rules("NEW")->UserMayInstall);
  EXPECT_TRUE(drivers->InstallDriver("\\\\NEW\\P1", **driver).ok());
  EXPECT_EQ(test::ReadFile(path), profile);
  EXPECT_TRUE(*drivers->HasDriver(PrinterDriver{"laser ps", 0})) << "installed, in the rehearsal";

  // A backend that cannot tell stays one that cannot tell.
  test::FakeNetwork plain;
  auto without = MakeRehearsalNetwork(std::make_unique<Borrowed>(plain));
  auto other = without->Create("WScript.Network");
  ASSERT_TRUE(other.ok());
  EXPECT_EQ((*other)->Drivers(), nullptr);
}

}  // namespace
}  // namespace velloran
