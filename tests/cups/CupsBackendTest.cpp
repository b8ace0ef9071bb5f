// The CUPS network object against real schedulers: which queues are
// connections, what a move keeps, what a failed add leaves, and what a user
// without the right to administer queues gets.

#include <grp.h>
#include <pwd.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "platform/cups/CupsNetwork.h"
#include "tests/cups/Child.h"
#include "tests/cups/CupsFixture.h"

namespace velloran::test {
namespace {

struct CupsBackend : CupsMachines {
  std::unique_ptr<NetworkObjectFactory> factory;

  std::unique_ptr<NetworkObject> Object(
      std::chrono::milliseconds descriptionWait = std::chrono::seconds(30)) {
    auto made = MakeCupsNetwork(false, descriptionWait);
    EXPECT_TRUE(made.ok());
    factory = std::move(*made);
    auto object = factory->Create("WScript.Network");
    EXPECT_TRUE(object.ok());
    return std::move(*object);
  }
};

TEST_F(CupsBackend, QueuesThatPointAtServerQueuesAreConnectionsTheRestAreLocal) {
  oldServer.AddSharedQueue("Laser");
  client.AddQueue("Laser", Uri(kOld, "Laser"), true);
  client.AddQueue("Front", Uri(kOld, "Front%20Desk") + "?waitjob=false", false);
  client.AddQueue("Desk", "file:///dev/null", false);
  client.AddQueue("Everywhere",
                  std::string("ipp://") + kOld + ":" + std::to_string(port) + "/ipp/print", false);

  auto items = Object()->EnumPrinterConnections();
  ASSERT_TRUE(items.ok()) << items.error().Description;
  EXPECT_EQ(*items,
            (std::vector<std::string>{"Desk", "Desk", "Everywhere", "Everywhere", "Front",
                                      Path(kOld, "Front Desk"), "Laser", Path(kOld, "Laser")}));
}

TEST_F(CupsBackend, RemovingWhatIsNoConnectionFailsAsOnWindowsAndDeletesNothing) {
  client.AddQueue("Desk", "file:///dev/null", false);
  client.AddQueue("Laser", Uri(kOld, "Laser"), false);
  auto network = Object();
  for (const std::string& path :
       {Path("127.0.0.9", "Laser"), std::string("Desk"), Path(kOld, "Lase")}) {
    Status removed = network->RemovePrinterConnection(path, true, true);
    ASSERT_FALSE(removed.ok()) << path;
    EXPECT_EQ(removed.error(),
              (PlatformError{-2147022646, "This network connection does not exist."}));
  }
  EXPECT_EQ(client.Devices().size(), 2u);
}

TEST_F(CupsBackend, AMoveKeepsTheQueueNameItsSettingsAndTheSystemDefault) {
  oldServer.AddSharedQueue("Laser");
  newServer.AddSharedQueue("Laser");
  client.AddQueue("Laser", Uri(kOld, "Laser"), true);
  client.Command("lpadmin",
                 {"-p", "Laser", "-o", "media=iso_a4_210x297mm", "-o",
                  "print-color-mode=monochrome", "-D", "Second floor", "-L", "Room 2.14"});
  client.Command("cupsreject", {"Laser"});
  client.Command("lpadmin", {"-d", "Laser"});

  auto network = Object();
  EXPECT_EQ(*network->GetDefaultPrinter(), Path(kOld, "Laser"));
  ASSERT_TRUE(network->RemovePrinterConnection(Path(kOld, "laser"), true, true).ok());
  EXPECT_EQ(client.Devices().count("Laser"), 0u);
  Status added = network->AddWindowsPrinterConnection(Path(kNew, "Laser"));
  ASSERT_TRUE(added.ok()) << added.error().Description;

  EXPECT_EQ(client.Devices(), (std::map<std::string, std::string>{{"Laser", Uri(kNew, "Laser")}}));
  EXPECT_EQ(Attribute("Laser", "media-default"), "iso_a4_210x297mm");
  EXPECT_EQ(Attribute("Laser", "print-color-mode-default"), "monochrome");
  EXPECT_EQ(Attribute("Laser", "printer-info"), "Second floor");
  EXPECT_EQ(Attribute("Laser", "printer-location"), "Room 2.14");
  EXPECT_EQ(Attribute("Laser", "printer-is-accepting-jobs"), "false");
  EXPECT_EQ(Attribute("Laser", "printer-make-and-model"), "Printer - IPP Everywhere");
  EXPECT_EQ(SystemDefault(), "Laser");
  EXPECT_EQ(*network->GetDefaultPrinter(), Path(kNew, "Laser"));
}

TEST_F(CupsBackend, AnAddNoServerAnswersCreatesNothingAndTheRollBackRestoresTheQueue) {
  oldServer.AddSharedQueue("Laser");
  // Driverless queues are made from the plain address; backend options
  // come after.
  client.AddQueue("Laser", Uri(kOld, "Laser"), true);
  client.Command("lpadmin", {"-p", "Laser", "-v", Uri(kOld, "Laser") + "?waitjob=false", "-o",
                             "media=iso_a4_210x297mm"});
  client.Command("lpadmin", {"-d", "Laser"});
  const std::string model = Attribute("Laser", "printer-make-and-model");

  auto network = Object();
  ASSERT_TRUE(network->RemovePrinterConnection(Path(kOld, "Laser"), true, true).ok());
  // The new server has no such queue; nothing answers at all on 127.0.0.9.
  for (const std::string& path :
       {Path(kNew, "Laser"), Path("127.0.0.9", "Laser"), std::string("\\\\a b\\Laser")}) {
    Status added = network->AddWindowsPrinterConnection(path);
    ASSERT_FALSE(added.ok()) << path;
    EXPECT_EQ(added.error(), (PlatformError{-2147023095, "The printer name is invalid."}));
    EXPECT_TRUE(client.Devices().empty()) << path;
  }
  ASSERT_TRUE(network->AddWindowsPrinterConnection(Path(kOld, "Laser")).ok());
  EXPECT_EQ(client.Devices(),
            (std::map<std::string, std::string>{{"Laser", Uri(kOld, "Laser") + "?waitjob=false"}}));
  EXPECT_EQ(Attribute("Laser", "media-default"), "iso_a4_210x297mm");
  EXPECT_EQ(Attribute("Laser", "printer-make-and-model"), model);
  EXPECT_EQ(SystemDefault(), "Laser");
}

TEST_F(CupsBackend, AQueueTheServerCannotDescribeIsNotLeftBehind) {
  oldServer.AddSharedQueue("Laser");
  // A raw queue answers for itself but gives nothing to build a driverless
  // queue from; the scheduler would keep a queue that cannot print.
  newServer.Command("lpadmin", {"-p", "Laser", "-E", "-v", "file:///dev/null"});
  client.AddQueue("Laser", Uri(kOld, "Laser"), true);

  auto network = Object(std::chrono::seconds(3));
  ASSERT_TRUE(network->RemovePrinterConnection(Path(kOld, "Laser"), true, true).ok());
  Status added = network->AddWindowsPrinterConnection(Path(kNew, "Laser"));
  ASSERT_FALSE(added.ok());
  EXPECT_EQ(added.error().Number, IPP_STATUS_ERROR_DEVICE);
  EXPECT_TRUE(client.Devices().empty());
  ASSERT_TRUE(network->AddWindowsPrinterConnection(Path(kOld, "Laser")).ok());
  EXPECT_EQ(client.Devices(), (std::map<std::string, std::string>{{"Laser", Uri(kOld, "Laser")}}));
}

TEST_F(CupsBackend, TheUsersOwnDefaultComesFromLpoptionsAndIsKeptThere) {
  client.AddQueue("Desk", "file:///dev/null", false);
  client.AddQueue("Laser", Uri(kOld, "Laser"), false);
  client.Command("lpadmin", {"-d", "Desk"});
  auto network = Object();
  EXPECT_EQ(*network->GetDefaultPrinter(), "Desk");

  std::filesystem::create_directories(home / ".cups");
  WriteFile(home / ".cups/lpoptions", "Dest Desk media=A4\nDefault Laser sides=one-sided\n");
  EXPECT_EQ(*network->GetDefaultPrinter(), Path(kOld, "Laser"));
  ASSERT_TRUE(network->SetDefaultPrinter("desk").ok());
  EXPECT_EQ(ReadFile(home / ".cups/lpoptions"),
            "Default Desk media=A4\nDest Laser sides=one-sided\n");
  ASSERT_TRUE(network->SetDefaultPrinter(Path(kOld, "LASER")).ok());
  EXPECT_EQ(ReadFile(home / ".cups/lpoptions"),
            "Dest Desk media=A4\nDefault Laser sides=one-sided\n");
  // The machine's default is not the user's to change when the user chose one.
  EXPECT_EQ(SystemDefault(), "Desk");

  Status missing = network->SetDefaultPrinter(Path(kNew, "Laser"));
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().Number, -2147022646);

  // Without a choice of the user's own, the machine's default is it.
  std::filesystem::remove(home / ".cups/lpoptions");
  ASSERT_TRUE(network->SetDefaultPrinter(Path(kOld, "Laser")).ok());
  EXPECT_EQ(SystemDefault(), "Laser");
}

// What the child reports: "NUMBER DESCRIPTION" per call, one a line.
std::string AsUnprivilegedUser(const std::function<std::string()>& work) {
  return test::InChild([&] {
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody || ::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
        ::setuid(nobody->pw_uid) != 0)
      return std::string("cannot become nobody");
    return work();
  });
}

TEST_F(CupsBackend, WithoutTheRightToAdministerQueuesChangesFailWithForbidden) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a child as the unprivileged user nobody";
  oldServer.AddSharedQueue("Laser");
  newServer.AddSharedQueue("Laser");
  client.AddQueue("Laser", Uri(kOld, "Laser"), true);

  // The user's own home, where its lpoptions and saved queues would be.
  TempDir own;
  const passwd* nobody = ::getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  ASSERT_EQ(::chown(own.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  std::string report = AsUnprivilegedUser([&] {
    ::setenv("HOME", own.str().c_str(), 1);
    ::setenv("VELLORAN_QUEUE_STATE", (own / "queues").c_str(), 1);
    // A new connection goes to IPP's port: the test servers' here.
    ippSetPort(port);
    auto made = MakeCupsNetwork();
    auto network = (*made)->Create("WScript.Network");
    auto line = [](const Status& s) {
      return s.ok() ? std::string("ok\n")
                    : std::to_string(s.error().Number) + " " + s.error().Description + "\n";
    };
    auto items = (*network)->EnumPrinterConnections();
    return std::string(items.ok() && items->size() == 2 ? "listed\n" : "not listed\n") +
           line((*network)->RemovePrinterConnection(Path(kOld, "Laser"), true, true)) +
           line((*network)->AddWindowsPrinterConnection(Path(kNew, "Laser"))) +
           line((*network)->SetDefaultPrinter(Path(kOld, "Laser")));
  });
  // Reading is for everyone; every change is refused, none silently.
  EXPECT_EQ(report, "listed\n1025 Forbidden\n1025 Forbidden\n1025 Forbidden\n");
  EXPECT_EQ(client.Devices(), (std::map<std::string, std::string>{{"Laser", Uri(kOld, "Laser")}}));
}

TEST(CupsBackendAlone, ASchedulerThatIsNotRunningIsNamedInEveryCallsError) {
  TempDir dir;
  const std::string socket = (dir / "no-such.sock").string();
  const std::string port = std::to_string(FreeLoopbackPort());
  struct Case {
    std::string server, expected;
  };
  const Case cases[] = {
      {socket, "The print scheduler on the socket " + socket + " is not running"},
      {"127.0.0.1:" + port, "The print scheduler at 127.0.0.1:" + port + " is not running"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.server);
    ::setenv("CUPS_SERVER", c.server.c_str(), 1);
    cupsSetServer(nullptr);
    auto made = MakeCupsNetwork();
    ASSERT_TRUE(made.ok());
    auto network = (*made)->Create("WScript.Network");
    ASSERT_TRUE(network.ok());
    auto items = (*network)->EnumPrinterConnections();
    ASSERT_FALSE(items.ok());
    EXPECT_GT(items.error().Number, 0);
    EXPECT_TRUE(Contains(items.error().Description, c.expected)) << items.error().Description;
    Status removed = (*network)->RemovePrinterConnection("\\\\S\\Q", true, true);
    ASSERT_FALSE(removed.ok());
    EXPECT_TRUE(Contains(removed.error().Description, c.expected)) << removed.error().Description;
    EXPECT_FALSE((*network)->GetDefaultPrinter().ok());
  }
}

TEST_F(CupsBackend, ATargetWithoutADriverlessDescriptionNeedsADriverThisClientCannotGet) {
  oldServer.AddSharedQueue("Laser");
  newServer.AddSharedQueue("Laser");
  // A raw queue takes only its own data: nothing a driverless queue prints.
  newServer.Command("lpadmin", {"-p", "Raw", "-E", "-v", "file:///dev/null"});
  client.AddQueue("Laser", Uri(kOld, "Laser"), true);
  auto network = Object();
  PrinterDrivers* drivers = network->Drivers();
  ASSERT_NE(drivers, nullptr);

  // The old queue's port reaches the new server; asked alone the target
  // would be looked for on IPP's own port, where no test server listens.
  auto driverless = drivers->QueueDriverReplacing(Path(kNew, "Laser"), Path(kOld, "Laser"));
  ASSERT_TRUE(driverless.ok()) << driverless.error().Description;
  EXPECT_FALSE(driverless->has_value());
  auto raw = drivers->QueueDriverReplacing(Path(kNew, "Raw"), Path(kOld, "Laser"));
  ASSERT_TRUE(raw.ok()) << raw.error().Description;
  ASSERT_TRUE(raw->has_value());
  EXPECT_FALSE((*raw)->Name.empty());
  EXPECT_FALSE(*drivers->HasDriver(**raw));
  auto rules = drivers->Rules(kNew);
  ASSERT_TRUE(rules.ok());
  EXPECT_FALSE(rules->UserMayInstall);
  EXPECT_FALSE(rules->Why.empty());

  // A queue the server does not have, or a server that does not answer,
  // tells nothing: the move goes the old way.
  EXPECT_FALSE(drivers->QueueDriverReplacing(Path(kNew, "Gone"), Path(kOld, "Laser")).ok());
  EXPECT_FALSE(drivers->QueueDriverReplacing(Path("127.0.0.9", "Laser"), Path(kOld, "Laser")).ok());
  // A queue the machine has already needs nothing set up.
  auto have = drivers->QueueDriver(Path(kOld, "Laser"));
  ASSERT_TRUE(have.ok());
  EXPECT_FALSE(have->has_value());
  EXPECT_FALSE(drivers->InstallDriver(Path(kNew, "Raw"), **raw).ok());
  EXPECT_EQ(client.Devices().size(), 1u);
}

}  // namespace
}  // namespace velloran::test
