// The engine binary moving a client's CUPS queues between two loopback print
// servers, and the administrator's rehearsal of it.

#include <filesystem>

#include "platform/Paths.h"
#include "tests/cups/CupsFixture.h"

namespace velloran::test {
namespace {

std::string Crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += "\r\n" + l;
  return out;
}

struct CupsEngine : CupsMachines {
  EngineFolder engine{VELLORAN_ENGINE_PATH};

  void SetUp() override {
    CupsMachines::SetUp();
    engine.Env["VELLORAN_PRINTERS"] = "cups";
    engine.Env["CUPS_SERVER"] = client.Address();
    engine.Env["HOME"] = home.str();
    engine.Env["VELLORAN_QUEUE_STATE"] = (state / "queues").string();
  }

  /// An INI file with the given manual sections; the outcome goes to a file
  /// whose name tells whether the run failed.
  std::string WriteIni(const std::string& sections) {
    std::filesystem::create_directories(engine.Root() / "out");
    const std::string path = (engine.Folder() / "move.ini").string();
    WriteFile(
        path,
        "[GENERAL]\r\nUseActiveDirectory=False\r\nUseManualDefinitions=True\r\nAlwaysRun=True\r\n" +
            sections + "[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
            (engine.Root() / "out").string() +
            "\r\nFileOutputName=outcome.txt\r\nIncludeComputerName=False\r\n"
            "IncludeOutcome=True\r\nWriteToEventLog=False\r\n[SUPPORT]\r\nDebugOn=True\r\n");
    return path;
  }
  std::string Outcome(const char* result) const {
    return ReadFile(engine.Root() / "out" / (std::string(result) + "_outcome.txt"));
  }
};

TEST_F(CupsEngine, AServerMoveTakesTheQueueItsDefaultAndItsJobsToTheNewServer) {
  oldServer.AddSharedQueue("Laser");
  oldServer.AddSharedQueue("Plotter");
  newServer.AddSharedQueue("Laser");  // the new server has no Plotter
  client.AddQueue("Desk", "file:///dev/null", false);
  client.AddQueue("Laser", Uri(kOld, "Laser"), true);
  client.AddQueue("Plotter", Uri(kOld, "Plotter"), true);
  client.Command("lpadmin", {"-d", "Laser"});

  auto r = engine.Run({WriteIni(std::string("[MANUAL DEFINITIONS SERVERS]\r\nFromServers=") + kOld +
                                "\r\nToServers=" + kNew + "\r\n")});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;

  EXPECT_EQ(
      Outcome("FAILED"),
      Crlf({"* ----- My Networked Printers ----- *", "Non-Networked Printer: Desk (DO NOTHING)",
            "Laser (127.0.0.2)", "Plotter (127.0.0.2)",
            "* ----- Migrating Networked Printers Between Servers ----- *",
            "Printer migrated: Laser (127.0.0.2)",
            "Error in adding/migrating network printer: \\\\127.0.0.3\\Plotter",
            "> Error Number: -2147023095", "> Error Description: The printer name is invalid."}) +
          "\r\n");
  const std::string debug = engine.DebugText(HostName());
  EXPECT_TRUE(Contains(
      debug,
      ">> Removed printer: \\\\127.0.0.2\\Laser\r\n>> Added printer: \\\\127.0.0.3\\Laser\r\n"
      ">> Default printer kept: \\\\127.0.0.3\\Laser\r\n"))
      << debug;
  EXPECT_TRUE(Contains(debug,
                       ">> Removed printer: \\\\127.0.0.2\\Plotter\r\n"
                       "ERROR: Adding printer: \\\\127.0.0.3\\Plotter\r\nERROR: -2147023095\r\n"
                       "ERROR DESCRIPTION: The printer name is invalid.\r\n"))
      << debug;

  // Plotter stayed where it was; Laser moved and is still the default.
  EXPECT_EQ(client.Devices(),
            (std::map<std::string, std::string>{{"Desk", "///dev/null"},
                                                {"Laser", Uri(kNew, "Laser")},
                                                {"Plotter", Uri(kOld, "Plotter")}}));
  EXPECT_EQ(SystemDefault(), "Laser");

  // A job printed the way applications print reaches the new server.
  WriteFile(home / "page.txt", "hello\n");
  client.Command("lp", {"-d", "Laser", (home / "page.txt").string()});
  EXPECT_TRUE(JobArrives(newServer, "Laser")) << client.ErrorLog();
}

TEST_F(CupsEngine, APrinterMoveKeepsTheUsersOwnDefault) {
  oldServer.AddSharedQueue("Laser3");
  oldServer.AddSharedQueue("Laser4");
  client.AddQueue("Desk", "file:///dev/null", false);
  client.AddQueue("Laser3", Uri(kOld, "Laser3"), true);
  client.Command("lpadmin", {"-d", "Desk"});
  std::filesystem::create_directories(home / ".cups");
  WriteFile(home / ".cups/lpoptions", "Default Laser3 media=iso_a4_210x297mm\n");

  auto r = engine.Run(
      {WriteIni("[MANUAL DEFINITIONS PRINTERS]\r\nFromPrinters=laser3\r\nToPrinters=Laser4\r\n")});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_TRUE(Contains(Outcome("SUCCESS"), "\r\nPrinter migrated: Laser3 (127.0.0.2)\r\n"));
  // The debug file is named after the machine: CUPS has no computer name of its own.
  EXPECT_TRUE(
      Contains(engine.DebugText(HostName()), ">> Default printer kept: \\\\127.0.0.2\\Laser4\r\n"));
  // The queue keeps its name, so the user's choice and options still apply.
  EXPECT_EQ(client.Devices().at("Laser3"), Uri(kOld, "Laser4"));
  EXPECT_EQ(ReadFile(home / ".cups/lpoptions"), "Default Laser3 media=iso_a4_210x297mm\n");
  EXPECT_EQ(SystemDefault(), "Desk");
}

TEST_F(CupsEngine, WhatIfReadsTheRealQueuesAndChangesNothing) {
  oldServer.AddSharedQueue("Laser");
  newServer.AddSharedQueue("Laser");
  oldServer.AddSharedQueue("Plotter");
  client.AddQueue("Laser", Uri(kOld, "Laser"), true);
  client.AddQueue("Plotter", Uri(kOld, "Plotter"), true);
  const auto before = client.Devices();

  const std::string ini = WriteIni(std::string("[MANUAL DEFINITIONS SERVERS]\r\nFromServers=") +
                                   kOld + "\r\nToServers=" + kNew + "\r\n");
  auto r = RunProcess(VELLORAN_TOOL_PATH, {"what-if", ini, "--printers", "cups"}, engine.Env);
  EXPECT_EQ(r.ExitCode, 1) << r.Stderr;
  EXPECT_TRUE(Contains(r.Stdout, "Printer migrated: Laser (127.0.0.2)\n")) << r.Stdout;
  EXPECT_TRUE(
      Contains(r.Stdout, "Error in adding/migrating network printer: \\\\127.0.0.3\\Plotter\n"))
      << r.Stdout;
  EXPECT_TRUE(Contains(r.Stdout, "  - \\\\127.0.0.2\\Laser\n  + \\\\127.0.0.3\\Laser\n"))
      << r.Stdout;
  EXPECT_EQ(client.Devices(), before);
  EXPECT_FALSE(std::filesystem::exists(engine.Root() / "out/FAILED_outcome.txt"));
}

TEST_F(CupsEngine, ATargetWithoutADriverlessDescriptionIsHeldBackAndTheOldQueueKept) {
  oldServer.AddSharedQueue("Laser");
  oldServer.AddSharedQueue("Plotter");
  newServer.AddSharedQueue("Plotter");
  // The new Laser is a raw queue: no driverless queue can be built for it.
  newServer.Command("lpadmin", {"-p", "Laser", "-E", "-v", "file:///dev/null"});
  client.AddQueue("Laser", Uri(kOld, "Laser"), true);
  client.AddQueue("Plotter", Uri(kOld, "Plotter"), true);
  client.Command("lpadmin", {"-d", "Laser"});
  const std::string ini = WriteIni(std::string("[MANUAL DEFINITIONS SERVERS]\r\nFromServers=") +
                                   kOld + "\r\nToServers=" + kNew + "\r\n");

  // The rehearsal lists the hold and changes nothing.
  const auto before = client.Devices();
  auto whatIf = RunProcess(VELLORAN_TOOL_PATH, {"what-if", ini, "--printers", "cups"}, engine.Env);
  EXPECT_EQ(whatIf.ExitCode, 1) << whatIf.Stderr;
  EXPECT_TRUE(Contains(whatIf.Stdout,
                       "Moves a driver would hold back (the old connection stays):\n"
                       "  \\\\127.0.0.2\\Laser -> \\\\127.0.0.3\\Laser\n"))
      << whatIf.Stdout;
  EXPECT_EQ(client.Devices(), before);

  engine.Run({ini});
  const std::string outcome = Outcome("FAILED");
  EXPECT_TRUE(Contains(outcome,
                       "\r\nPrinter held back by its driver: \\\\127.0.0.3\\Laser\r\n"
                       "> Driver: "))
      << outcome;
  EXPECT_TRUE(Contains(outcome, "\r\nPrinter migrated: Plotter (127.0.0.2)\r\n")) << outcome;
  EXPECT_FALSE(Contains(outcome, "Error")) << outcome;
  const std::string debug = engine.DebugText(HostName());
  EXPECT_TRUE(Contains(debug, ">> Held back by its driver: \\\\127.0.0.3\\Laser\r\n")) << debug;
  EXPECT_FALSE(Contains(debug, "Removed printer: \\\\127.0.0.2\\Laser")) << debug;
  // The old queue was never taken down: same device, still the default.
  EXPECT_EQ(client.Devices(),
            (std::map<std::string, std::string>{{"Laser", Uri(kOld, "Laser")},
                                                {"Plotter", Uri(kNew, "Plotter")}}));
  EXPECT_EQ(SystemDefault(), "Laser");
}

}  // namespace
}  // namespace velloran::test
