// The engine binary moving a connection profile's printers: the manual
// modes, the directory mode against a private slapd, and the administrator's
// rehearsal of both.

#include <gtest/gtest.h>

#include "tests/support/EngineProcess.h"
#include "tests/support/Slapd.h"

namespace velloran {
namespace {

using namespace test;

const std::string kPrinters = std::string("ou=Printers,") + Slapd::kSuffix;

std::string Crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += "\r\n" + l;
  return out;
}

struct PrinterMigration : ::testing::Test {
  EngineFolder engine{VELLORAN_ENGINE_PATH};

  std::string OutcomeFile() const { return (engine.Root() / "out/outcome.txt").string(); }

  /// An INI file with the file output on and the given mode sections.
  std::string WriteIni(const std::string& general, const std::string& sections) {
    std::filesystem::create_directories(engine.Root() / "out");
    const std::string path = (engine.Folder() / "move.ini").string();
    WriteFile(path,
              "[GENERAL]\r\n" + general + "AlwaysRun=False\r\n" + sections +
                  "[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
                  (engine.Root() / "out").string() +
                  "\r\nFileOutputName=outcome.txt\r\nIncludeComputerName=False\r\n"
                  "IncludeOutcome=False\r\nWriteToEventLog=False\r\n[SUPPORT]\r\nDebugOn=True\r\n");
    return path;
  }
};

TEST_F(PrinterMigration, ManualModesMoveTheProfileAndReportEveryStep) {
  WriteFile(
      engine.Connections(),
      "computer: PC01\n"
      "connection: \\\\OLDSRV1\\ACCOUNTING\nconnection: Local Laser\nconnection: "
      "\\\\OLDSRV1\\Sales\n"
      "connection: \\\\PRN1\\Laser3\nconnection: \\\\MIX\\Plotter\n"
      "share: \\\\NEWSRV1\\ACCOUNTING\nshare: \\\\PRN1\\Laser4\nshare: \\\\NEWMIX\\BigPlotter\n");
  const std::string ini =
      WriteIni("UseActiveDirectory=False\r\nUseManualDefinitions=True\r\n",
               "[MANUAL DEFINITIONS PRINTERS]\r\nFromPrinters=laser3\r\nToPrinters=Laser4\r\n"
               "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLDSRV1\r\nToServers=NEWSRV1\r\n"
               "[MANUAL DEFINITIONS MIXED]\r\nFromServers=MIX\r\nFromPrinters=Plotter\r\n"
               "ToPrinters=BigPlotter\r\nToServers=NEWMIX\r\n");
  auto r = engine.Run({ini});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;

  const std::string outcome =
      Crlf({"* ----- My Networked Printers ----- *",
            "ACCOUNTING (OLDSRV1)",
            "Non-Networked Printer: Local Laser (DO NOTHING)",
            "Sales (OLDSRV1)",
            "Laser3 (PRN1)",
            "Plotter (MIX)",
            "* ----- Migrating Networked Printers Between Printers ----- *",
            "Printer already migrated: ACCOUNTING (OLDSRV1)",
            "Printer already migrated: Sales (OLDSRV1)",
            "Printer migrated: Laser3 (PRN1)",
            "Printer already migrated: Plotter (MIX)",
            "* ----- Migrating Networked Printers Between Servers ----- *",
            "Printer migrated: ACCOUNTING (OLDSRV1)",
            "Error in adding/migrating network printer: \\\\NEWSRV1\\Sales",
            "> Error Number: -2147023095",
            "> Error Description: The printer name is invalid.",
            "Printer already migrated: Laser3 (PRN1)",
            "Printer already migrated: Plotter (MIX)",
            "* ----- Migrating Networked Servers and Printers Between Servers and Printers----- *",
            "Printer already migrated: ACCOUNTING (OLDSRV1)",
            "Printer already migrated: Sales (OLDSRV1)",
            "Printer already migrated: Laser3 (PRN1)",
            "Printer migrated: Plotter (MIX)"});
  EXPECT_EQ(ReadFile(OutcomeFile()), outcome + "\r\n");

  // Sales could not move: its old connection was put back.
  EXPECT_EQ(
      ReadFile(engine.Connections()),
      "computer: PC01\n"
      "connection: Local Laser\nconnection: \\\\PRN1\\Laser4\nconnection: \\\\NEWSRV1\\ACCOUNTING\n"
      "connection: \\\\OLDSRV1\\Sales\nconnection: \\\\NEWMIX\\BigPlotter\n"
      "share: \\\\NEWSRV1\\ACCOUNTING\nshare: \\\\PRN1\\Laser4\nshare: \\\\NEWMIX\\BigPlotter\n"
      "share: \\\\PRN1\\Laser3\nshare: \\\\OLDSRV1\\ACCOUNTING\nshare: \\\\OLDSRV1\\Sales\n"
      "share: \\\\MIX\\Plotter\n");

  const std::string debug = engine.DebugText();
  const std::string stars(80, '*');
  EXPECT_TRUE(Contains(
      debug, ">> Finished moving via AD, abort status: False\r\n" + stars + "\r\n" +
                 std::string(22, '*') + "     MOVING USING PRINTER TO PRINTER    " +
                 std::string(22, '*') + "\r\n" + stars + "\r\n" +
                 ">> * ----- Migrating Networked Printers Between Printers ----- * <<\r\n"))
      << debug;
  EXPECT_TRUE(Contains(
      debug,
      ">> Found a server match <<\r\n>> Client server: OLDSRV1\r\n>> INI server: OLDSRV1\r\n"
      ">> Removed printer: \\\\OLDSRV1\\Sales\r\n"
      "ERROR: Adding printer: \\\\NEWSRV1\\Sales\r\nERROR: -2147023095\r\n"
      "ERROR DESCRIPTION: The printer name is invalid.\r\n"
      ">> Printer already migrated: Laser3 (PRN1)\r\n"));
  EXPECT_TRUE(Contains(
      debug,
      ">> Found a Printer and Server match <<\r\n>> Client printer: Plotter\r\n"
      ">> Client Server: MIX\r\n>> INI printer: Plotter\r\n>> INI Server: MIX\r\n"
      ">> Removed printer: \\\\MIX\\Plotter\r\n>> Added printer: \\\\NEWMIX\\BigPlotter\r\n"));
  EXPECT_TRUE(Contains(debug, ">> Finished moving manual, abort status: True\r\n"));
  EXPECT_EQ(engine.UserValue("Software\\Velloran\\" + ini, "SUCCESS"), "False");
}

// The CUPS backend is a module beside the engine too: without it (or with
// a file that is not it) the printer steps fail with the reason and the run
// is retried at the next logon.
TEST_F(PrinterMigration, AMissingOrForeignCupsModuleFailsTheRunWithItsReason) {
  if (engine.Windows()) GTEST_SKIP() << "the Windows engine has no CUPS backend";
  const auto module = engine.Folder() / "velloran-cups.so";
  if (!std::filesystem::exists(module)) GTEST_SKIP() << "built without the CUPS backend";
  engine.Env["VELLORAN_PRINTERS"] = "cups";
  const std::string ini = WriteIni("UseActiveDirectory=False\r\nUseManualDefinitions=True\r\n",
                                   "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLDSRV1\r\n"
                                   "ToServers=NEWSRV1\r\n");
  const std::string failed =
      "Error gathering my networked printers.\r\n> Error Number: 429\r\n"
      "> Error Description: The CUPS backend cannot be loaded: ";

  std::filesystem::remove(module);
  auto r = engine.Run({ini});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  std::string outcome = ReadFile(OutcomeFile());
  EXPECT_TRUE(Contains(outcome, failed)) << outcome;
  EXPECT_TRUE(Contains(outcome, "velloran-cups.so")) << outcome;
  EXPECT_TRUE(Contains(ReadFile(engine.UserHive()), "SUCCESS=False"));

  std::filesystem::copy_file(engine.Folder() / "velloran-directory.so", module);
  std::filesystem::remove(OutcomeFile());
  r = engine.Run({ini});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  outcome = ReadFile(OutcomeFile());
  EXPECT_TRUE(Contains(outcome, failed + module.string() + " has no VelloranCupsBuild")) << outcome;
  EXPECT_TRUE(Contains(ReadFile(engine.UserHive()), "SUCCESS=False"));
}

struct DirectoryMigration : PrinterMigration {
  Slapd server{test::OrganizationalUnitLdif("Printers") +
               test::PrintQueueLdif(kPrinters, {{"NEWSRV1-Accounting", {"ACCOUNTING"}},
                                                {"PRN1-Laser3", {"Laser3"}},
                                                {"OLDSRV1-Sales", {"Sales"}},
                                                {"NEWSRV2-Sales", {"Sales", "SalesB"}}})};

  void SetUp() override {
    WriteFile(engine.Connections(),
              "computer: PC01\nconnection: \\\\OLDSRV1\\ACCOUNTING\nconnection: \\\\prn1\\Laser3\n"
              "connection: \\\\OLDSRV1\\Sales\nconnection: \\\\OLDSRV1\\Gone\n");
  }
  std::string AdIni(const std::string& domain, bool manualToo = false) {
    return WriteIni(
        std::string("UseActiveDirectory=True\r\nUseManualDefinitions=") +
            (manualToo ? "True" : "False") + "\r\n",
        "[ACTIVE DIRECTORY]\r\nDomainName=" + domain +
            "\r\n[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLDSRV1\r\nToServers=X\r\n");
  }
  const std::string kMigrated =
      Crlf({"* ----- My Networked Printers ----- *", "ACCOUNTING (OLDSRV1)", "Laser3 (prn1)",
            "Sales (OLDSRV1)", "Gone (OLDSRV1)", "* ----- AD Printers ----- *",
            "Accounting (\\\\NEWSRV1\\ACCOUNTING)", "Laser3 (\\\\PRN1\\Laser3)",
            "Sales (\\\\OLDSRV1\\Sales)", "Sales (\\\\NEWSRV2\\Sales)",
            "* ----- Migrating Printers using AD ----- *", "Printer migrated: ACCOUNTING (OLDSRV1)",
            "Printer already migrated: Laser3 (prn1)", "Printer already migrated: Sales (OLDSRV1)",
            "Printer migrated: Sales (OLDSRV1)", "ERROR Printer NOT FOUND IN AD: Gone (OLDSRV1)"});
  const std::string kMovedProfile =
      "computer: PC01\nconnection: \\\\prn1\\Laser3\nconnection: \\\\OLDSRV1\\Gone\n"
      "connection: \\\\NEWSRV1\\ACCOUNTING\nconnection: \\\\NEWSRV2\\Sales\n";
};

TEST_F(DirectoryMigration, MovesEachConnectionToThePublishingServer) {
  const std::string domain = server.HostPort() + "/" + kPrinters;
  const std::string ini = AdIni(domain);
  auto r = engine.Run({ini});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_EQ(ReadFile(OutcomeFile()), kMigrated + "\r\n");
  EXPECT_EQ(ReadFile(engine.Connections()), kMovedProfile);

  const std::string debug = engine.DebugText();
  EXPECT_TRUE(Contains(
      debug, ">> Moving Printers Using AD <<\r\n>> Created connection to AD: LDAP://" + domain +
                 "\r\n>> Querying AD for printers, command:Select name, printShareName FROM "
                 "'LDAP://" +
                 domain +
                 "' WHERE objectCategory='printQueue'\r\n"
                 ">> * ----- AD Printers ----- * <<\r\n"
                 ">> AD Printer: Accounting (\\\\NEWSRV1\\ACCOUNTING)\r\n"))
      << debug;
  EXPECT_TRUE(Contains(
      debug,
      ">> Found a printer match <<\r\n>> Printer share names (Client/AD): Laser3 / Laser3\r\n"
      ">> Printer names (Client/AD): Laser3 / Laser3\r\n"
      ">> Printer already migrated: Laser3 (prn1)\r\n"));
  EXPECT_TRUE(Contains(
      debug,
      ">> Found a server match <<\r\n>> Server names (Client/AD): OLDSRV1 / NEWSRV2\r\n"
      ">> Removed printer: \\\\OLDSRV1\\Sales\r\n>> Added printer: \\\\NEWSRV2\\Sales\r\n"));
  EXPECT_TRUE(Contains(debug,
                       ">> Printer not found in AD: Gone (OLDSRV1)\r\n"
                       ">> Finished moving printers using AD, abort status: False\r\n"));
  EXPECT_EQ(engine.UserValue("Software\\Velloran\\" + ini, "SUCCESS"), "True");
}

TEST_F(DirectoryMigration, ADriverTheUserMayNotInstallHoldsBackTheDirectorysMove) {
  // The driver lines are the profile's, for the Windows engine as well.
  engine.Env["VELLORAN_PRINTERS"] = "profile:" + engine.EnginePath(engine.Connections());
  WriteFile(engine.Connections(), ReadFile(engine.Connections()) +
                                      "driver: \\\\NEWSRV2\\Sales = Acme Laser PS\n"
                                      "user-installs-drivers: no\n");
  const std::string ini = AdIni(server.HostPort() + "/" + kPrinters);
  engine.Run({ini});
  const std::string outcome = ReadFile(OutcomeFile());
  // Accounting needs no driver and moves; Sales stays on its old server.
  EXPECT_TRUE(Contains(outcome, "\r\nPrinter migrated: ACCOUNTING (OLDSRV1)\r\n")) << outcome;
  EXPECT_TRUE(Contains(outcome,
                       "\r\nPrinter already migrated: Sales (OLDSRV1)\r\n"
                       "Printer held back by its driver: \\\\NEWSRV2\\Sales\r\n"
                       "> Driver: Acme Laser PS\r\n> Cause: "))
      << outcome;
  const std::string connections = ReadFile(engine.Connections());
  EXPECT_TRUE(Contains(connections, "connection: \\\\OLDSRV1\\Sales\n")) << connections;
  EXPECT_FALSE(Contains(connections, "connection: \\\\NEWSRV2\\Sales\n")) << connections;
  EXPECT_TRUE(Contains(engine.DebugText(),
                       ">> Server names (Client/AD): OLDSRV1 / NEWSRV2\r\n"
                       ">> Held back by its driver: \\\\NEWSRV2\\Sales\r\n"));
  EXPECT_EQ(engine.UserValue("Software\\Velloran\\" + ini, "SUCCESS"), "False");
}

TEST_F(DirectoryMigration, ADNAloneFindsTheServerInTheClientConfiguration) {
  // A Windows client finds its domain controller through the domain it
  // belongs to, not through the LDAP client configuration.
  if (engine.Windows()) GTEST_SKIP() << "serverless binds need a domain member";
  WriteFile(engine.Root() / "ldap.conf", "URI " + server.Uri() + "\n");
  engine.Env["LDAPCONF"] = (engine.Root() / "ldap.conf").string();
  auto r = engine.Run({AdIni(kPrinters)});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  const std::string debug = engine.DebugText();
  EXPECT_TRUE(Contains(debug, ">> Created connection to AD: LDAP://" + kPrinters + "\r\n"))
      << debug;
  EXPECT_TRUE(Contains(debug, "FROM 'LDAP://" + server.HostPort() + "/" + kPrinters + "'"));
  EXPECT_EQ(ReadFile(engine.Connections()), kMovedProfile);
}

TEST_F(DirectoryMigration, AServerThatIsDownStopsTheRunBeforeTheManualModes) {
  const std::string before = ReadFile(engine.Connections());
  const std::string down = "127.0.0.1:" + std::to_string(test::FreeLoopbackPort());
  auto r = engine.Run({AdIni(down + "/" + kPrinters, true)});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_EQ(ReadFile(OutcomeFile()),
            Crlf({"* ----- My Networked Printers ----- *", "ACCOUNTING (OLDSRV1)", "Laser3 (prn1)",
                  "Sales (OLDSRV1)", "Gone (OLDSRV1)",
                  "Error accessing Active Directory. Try installing an MDAC update.",
                  "> Error Number: -2147016646"}) +
                // Each client says it in its own words.
                "\r\n> Error Description: " +
                (engine.Windows() ? "The server is not operational."
                                  : "Can't contact LDAP server (ldap://" + down + ")") +
                "\r\n");
  EXPECT_EQ(ReadFile(engine.Connections()), before);
  EXPECT_FALSE(Contains(engine.DebugText(), "MOVING USING SERVER TO SERVER"));
}

// The directory client is a module beside the engine; a deployment that
// lost it must fail the run (and so retry at the next logon), not pass it.
TEST_F(DirectoryMigration, AMissingDirectoryModuleFailsTheRunWithItsReason) {
  if (engine.Windows()) GTEST_SKIP() << "the Windows engine's directory client is the system's own";
  std::filesystem::remove(engine.Folder() / "velloran-directory.so");
  const std::string before = ReadFile(engine.Connections());
  auto r = engine.Run({AdIni(server.HostPort() + "/" + kPrinters, true)});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  const std::string outcome = ReadFile(OutcomeFile());
  EXPECT_TRUE(Contains(outcome,
                       "Error accessing Active Directory. Try installing an MDAC update.\r\n"
                       "> Error Number: 429\r\n"
                       "> Error Description: The directory client cannot be loaded: "))
      << outcome;
  EXPECT_TRUE(Contains(outcome, "velloran-directory.so")) << outcome;
  EXPECT_EQ(ReadFile(engine.Connections()), before);
  EXPECT_TRUE(Contains(ReadFile(engine.UserHive()), "SUCCESS=False"));
}

TEST_F(DirectoryMigration, WhatIfRehearsesWithoutTouchingTheProfile) {
  const std::string before = ReadFile(engine.Connections());
  const std::string ini = AdIni(server.HostPort() + "/" + kPrinters);
  auto r = test::RunProcess(VELLORAN_TOOL_PATH,
                            {"what-if", ini, "--connections", engine.Connections().string()},
                            engine.Env);
  EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
  std::string expectedOutcome = kMigrated.substr(2);
  for (size_t p; (p = expectedOutcome.find("\r\n")) != std::string::npos;)
    expectedOutcome.replace(p, 2, "\n");
  EXPECT_TRUE(Contains(r.Stdout, "\nOutcome:\n" + expectedOutcome + "\n\nAbort status: False\n"))
      << r.Stdout;
  EXPECT_TRUE(Contains(r.Stdout,
                       "\nConnections that would change:\n"
                       "  - \\\\OLDSRV1\\ACCOUNTING\n  - \\\\OLDSRV1\\Sales\n"
                       "  + \\\\NEWSRV1\\ACCOUNTING\n  + \\\\NEWSRV2\\Sales\n"))
      << r.Stdout;
  EXPECT_EQ(ReadFile(engine.Connections()), before);
  EXPECT_FALSE(std::filesystem::exists(OutcomeFile()));
  EXPECT_FALSE(std::filesystem::exists(engine.UserHive()));

  // A run that would fail says so by its exit code.
  auto down = test::RunProcess(
      VELLORAN_TOOL_PATH,
      {"what-if", AdIni("127.0.0.1:" + std::to_string(test::FreeLoopbackPort()) + "/" + kPrinters),
       "--connections", engine.Connections().string()},
      engine.Env);
  EXPECT_EQ(down.ExitCode, 1);
  EXPECT_TRUE(Contains(down.Stdout, "No connection would change."));
  EXPECT_EQ(test::RunProcess(VELLORAN_TOOL_PATH, {"what-if", ini, "--connections", "/nonexistent"})
                .ExitCode,
            2);
}

}  // namespace
}  // namespace velloran

namespace velloran {
namespace {

// A directory with more queues than the server hands out in one answer:
// every queue is read, and the last one moves the client's connection.
TEST_F(PrinterMigration, EveryQueueIsReadPastTheServerLimit) {
  constexpr int kQueues = 2500;
  std::vector<test::PrintQueue> queues;
  for (int i = 1; i <= kQueues; ++i)
    queues.push_back({"NEWSRV-Q" + std::to_string(i), {"Q" + std::to_string(i)}});
  Slapd server{test::OrganizationalUnitLdif("Printers") + test::PrintQueueLdif(kPrinters, queues)};
  WriteFile(engine.Connections(), "computer: PC01\nconnection: \\\\OLDSRV\\Q2500\n");
  const std::string ini =
      WriteIni("UseActiveDirectory=True\r\nUseManualDefinitions=False\r\n",
               "[ACTIVE DIRECTORY]\r\nDomainName=" + server.HostPort() + "/" + kPrinters + "\r\n");
  auto r = engine.Run({ini});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;

  const std::string debug = engine.DebugText();
  size_t read = 0;
  for (size_t p = debug.find(">> AD Printer: "); p != std::string::npos;
       p = debug.find(">> AD Printer: ", p + 1))
    ++read;
  EXPECT_EQ(read, static_cast<size_t>(kQueues));
  const std::string profile = ReadFile(engine.Connections());
  EXPECT_TRUE(Contains(profile, "connection: \\\\NEWSRV\\Q2500\n")) << profile;
  EXPECT_FALSE(Contains(profile, "OLDSRV")) << profile;
  EXPECT_EQ(engine.UserValue("Software\\Velloran\\" + ini, "SUCCESS"), "True");
}

}  // namespace
}  // namespace velloran
