// The engine and its rehearsal over profiles that name drivers: a move the
// target's driver would stop keeps the old connection and is tried again at
// a later logon; the rest move as they always did.

#include <gtest/gtest.h>

#include "tests/support/EngineProcess.h"

namespace velloran {
namespace {

using namespace test;

std::string Crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += "\r\n" + l;
  return out;
}

struct DriverHold : ::testing::Test {
  EngineFolder engine{VELLORAN_ENGINE_PATH};

  void SetUp() override {
    // The driver lines are the profile's: the Windows engine reads them too,
    // also in the stage where its printers are otherwise the system's.
    engine.Env["VELLORAN_PRINTERS"] = "profile:" + engine.EnginePath(engine.Connections());
  }

  /// Servers pair OLD -> NEW, the outcome in a file named after the result.
  std::string WriteIni(bool alwaysRun = false) {
    std::filesystem::create_directories(engine.Root() / "out");
    const std::string path = (engine.Folder() / "move.ini").string();
    WriteFile(path,
              "[GENERAL]\r\nUseActiveDirectory=False\r\nUseManualDefinitions=True\r\n"
              "AlwaysRun=" +
                  std::string(alwaysRun ? "True" : "False") +
                  "\r\n[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLD\r\n"
                  "ToServers=NEW\r\n[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\n"
                  "FileOutputPath=" +
                  (engine.Root() / "out").string() +
                  "\r\nFileOutputName=outcome.txt\r\nIncludeComputerName=False\r\n"
                  "IncludeOutcome=True\r\nWriteToEventLog=False\r\n[SUPPORT]\r\nDebugOn=True\r\n");
    return path;
  }
  std::filesystem::path OutcomeFile(const char* result) const {
    return engine.Root() / "out" / (std::string(result) + "_outcome.txt");
  }
  std::string Marker(const std::string& ini) const {
    return engine.UserValue("Software\\Velloran\\" + ini, "SUCCESS").value_or("(none)");
  }
  ProcessResult WhatIf(const std::string& ini) const {
    return RunProcess(VELLORAN_TOOL_PATH,
                      {"what-if", ini, "--connections", engine.Connections().string()}, engine.Env);
  }
};

const char* const kInventory = "* ----- My Networked Printers ----- *";
const char* const kServersHeader = "* ----- Migrating Networked Printers Between Servers ----- *";

TEST_F(DriverHold, AMissingDriverTheUserMayNotInstallKeepsTheOldConnectionUntilItIsThere) {
  const std::string profile =
      "computer: PC01\n"
      "connection: \\\\OLD\\Laser\n"
      "connection: \\\\OLD\\Front\n"
      "share: \\\\NEW\\Laser\nshare: \\\\NEW\\Front\n"
      "driver: \\\\NEW\\Laser = Acme Laser PS\n"
      "user-installs-drivers: no\n";
  WriteFile(engine.Connections(), profile);
  const std::string ini = WriteIni();

  engine.Run({ini});
  // Front needs no driver and moves; Laser stays where it was, untouched.
  const std::string outcome = ReadFile(OutcomeFile("FAILED"));
  const std::string held =
      Crlf({"Printer held back by its driver: \\\\NEW\\Laser", "> Driver: Acme Laser PS"});
  EXPECT_TRUE(Contains(outcome, Crlf({kServersHeader}) + held + "\r\n> Cause: ")) << outcome;
  EXPECT_TRUE(Contains(outcome, "user-installs-drivers")) << outcome;  // the cause names its rule
  EXPECT_TRUE(Contains(outcome, "\r\nPrinter migrated: Front (OLD)\r\n")) << outcome;
  EXPECT_FALSE(Contains(outcome, "Error")) << outcome;
  EXPECT_EQ(ReadFile(engine.Connections()),
            "computer: PC01\n"
            "connection: \\\\OLD\\Laser\n"
            "connection: \\\\NEW\\Front\n"
            "share: \\\\NEW\\Laser\nshare: \\\\NEW\\Front\nshare: \\\\OLD\\Front\n"
            "driver: \\\\NEW\\Laser = Acme Laser PS\n"
            "user-installs-drivers: no\n");
  const std::string debug = engine.DebugText();
  EXPECT_TRUE(Contains(debug,
                       ">> INI server: OLD\r\n>> Held back by its driver: \\\\NEW\\Laser\r\n"
                       ">> Driver: Acme Laser PS\r\n>> Cause: "))
      << debug;
  EXPECT_FALSE(Contains(debug, ">> Removed printer: \\\\OLD\\Laser")) << debug;
  // Not done: no marker, so the next logon tries again.
  EXPECT_EQ(Marker(ini), "False");

  // Once the driver is on the client the next logon moves the printer.
  WriteFile(engine.Connections(),
            ReadFile(engine.Connections()) + "installed-driver: Acme Laser PS\n");
  engine.Run({ini});
  const std::string second = ReadFile(OutcomeFile("SUCCESS"));
  EXPECT_TRUE(Contains(second, "\r\nPrinter migrated: Laser (OLD)\r\n")) << second;
  EXPECT_FALSE(Contains(second, "held back")) << second;
  EXPECT_TRUE(Contains(ReadFile(engine.Connections()), "connection: \\\\NEW\\Laser\n"));
  EXPECT_EQ(Marker(ini), "True");
}

TEST_F(DriverHold, WithoutARuleThatStopsThemMovesGoAheadAsBefore) {
  const struct {
    const char* name;
    const char* lines;
  } cases[] = {
      {"a user who may install drivers", "driver: \\\\NEW\\Laser = Acme Laser PS\n"},
      {"user-installs-drivers: yes",
       "driver: \\\\NEW\\Laser = Acme Laser PS\nuser-installs-drivers: yes\n"},
      {"protected print off", "driver: \\\\NEW\\Laser = Acme Laser PS\nprotected-print: off\n"},
  };
  const std::string ini = WriteIni(/*alwaysRun=*/true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(engine.Root() / "out");
    std::filesystem::create_directories(engine.Root() / "out");
    WriteFile(engine.Connections(),
              std::string("computer: PC01\nconnection: \\\\OLD\\Laser\n") + c.lines);
    engine.Run({ini});
    EXPECT_EQ(ReadFile(OutcomeFile("SUCCESS")),
              Crlf({kInventory, "Laser (OLD)", kServersHeader, "Printer migrated: Laser (OLD)"}) +
                  "\r\n");
    const std::string debug = engine.DebugText();
    EXPECT_TRUE(Contains(
        debug, ">> Removed printer: \\\\OLD\\Laser\r\n>> Added printer: \\\\NEW\\Laser\r\n"))
        << debug;
  }
}

TEST_F(DriverHold, ProtectedPrintModeLetsOnlyTheIppClassDriverThrough) {
  WriteFile(engine.Connections(),
            "computer: PC01\n"
            "connection: \\\\OLD\\Laser\nconnection: \\\\OLD\\Plotter\n"
            "driver: \\\\NEW\\Laser = Microsoft IPP Class Driver\n"
            "driver: \\\\NEW\\Plotter = Acme Plotter\n"
            "installed-driver: Acme Plotter\n"
            "protected-print: on\n");
  const std::string ini = WriteIni();
  engine.Run({ini});
  const std::string outcome = ReadFile(OutcomeFile("FAILED"));
  EXPECT_TRUE(Contains(outcome,
                       "\r\nPrinter migrated: Laser (OLD)\r\n"
                       "Printer held back by its driver: \\\\NEW\\Plotter\r\n"
                       "> Driver: Acme Plotter\r\n> Cause: "))
      << outcome;
  const std::string connections = ReadFile(engine.Connections());
  EXPECT_TRUE(Contains(connections, "connection: \\\\NEW\\Laser\n")) << connections;
  EXPECT_TRUE(Contains(connections, "connection: \\\\OLD\\Plotter\n")) << connections;
  EXPECT_EQ(Marker(ini), "False");
}

TEST_F(DriverHold, AServerThatCannotBeAskedIsMovedAsBefore) {
  // The new server is down: its driver cannot be learnt, and the move goes
  // the old way (remove, the add fails, the old connection comes back).
  WriteFile(engine.Connections(),
            "computer: PC01\nconnection: \\\\OLD\\Laser\n"
            "driver: \\\\NEW\\Laser = Acme Laser PS\nuser-installs-drivers: no\noffline: NEW\n");
  const std::string ini = WriteIni();
  engine.Run({ini});
  const std::string outcome = ReadFile(OutcomeFile("FAILED"));
  EXPECT_TRUE(Contains(outcome,
                       "\r\nError in adding/migrating network printer: \\\\NEW\\Laser\r\n"
                       "> Error Number: -2147024843\r\n"))
      << outcome;
  EXPECT_FALSE(Contains(outcome, "held back")) << outcome;
  const std::string debug = engine.DebugText();
  EXPECT_TRUE(Contains(debug, ">> Driver not checked, adding as before: \\\\NEW\\Laser")) << debug;
  EXPECT_TRUE(Contains(debug,
                       ">> Removed printer: \\\\OLD\\Laser\r\nERROR: Adding printer: "
                       "\\\\NEW\\Laser\r\n"))
      << debug;
  EXPECT_TRUE(Contains(ReadFile(engine.Connections()), "connection: \\\\OLD\\Laser\n"));
}

TEST_F(DriverHold, WhatIfListsTheMovesADriverWouldHoldBack) {
  const std::string profile =
      "computer: PC01\n"
      "connection: \\\\OLD\\Laser\nconnection: \\\\OLD\\Front\n"
      "driver: \\\\NEW\\Laser = Acme Laser PS\n"
      "user-installs-drivers: no\n";
  WriteFile(engine.Connections(), profile);
  auto r = WhatIf(WriteIni());
  EXPECT_EQ(r.ExitCode, 1) << r.Stderr;
  EXPECT_TRUE(Contains(r.Stdout,
                       "\nConnections that would change:\n"
                       "  - \\\\OLD\\Front\n  + \\\\NEW\\Front\n"))
      << r.Stdout;
  EXPECT_TRUE(Contains(r.Stdout,
                       "\nMoves a driver would hold back (the old connection stays):\n"
                       "  \\\\OLD\\Laser -> \\\\NEW\\Laser\n"
                       "    Driver: Acme Laser PS\n    Cause: "))
      << r.Stdout;
  EXPECT_EQ(ReadFile(engine.Connections()), profile);

  // With the driver on the client, the rehearsal moves both and lists no hold.
  WriteFile(engine.Connections(), profile + "installed-driver: Acme Laser PS\n");
  auto moved = WhatIf(WriteIni());
  EXPECT_EQ(moved.ExitCode, 0) << moved.Stderr;
  EXPECT_TRUE(Contains(moved.Stdout, "  + \\\\NEW\\Laser\n")) << moved.Stdout;
  EXPECT_FALSE(Contains(moved.Stdout, "hold back")) << moved.Stdout;
}

TEST_F(DriverHold, AProfileWithLinesThatAreNoProfileLinesIsReportedWithTheirNumbers) {
  // A bare path, a misspelt key and a driver line without its driver: read
  // without them, the rehearsal would say that nothing changes.
  WriteFile(engine.Connections(),
            "# the user's printers\n"
            "computer: PC01\n"
            "\n"
            "\\\\OLD\\Laser\n"
            "conection: \\\\OLD\\Front\n"
            "driver: \\\\NEW\\Laser\n");
  const std::string ini = WriteIni();
  auto r = WhatIf(ini);
  EXPECT_EQ(r.ExitCode, 2);
  EXPECT_FALSE(Contains(r.Stdout, "No connection would change")) << r.Stdout;
  // Which lines are counted is the profile reader's own test; here, that the
  // report reaches the user.
  EXPECT_TRUE(Contains(r.Stderr, engine.Connections().string())) << r.Stderr;
  EXPECT_TRUE(Contains(r.Stderr, "line 4 ")) << r.Stderr;

  // The engine cannot read the user's connections from it, and says why.
  const std::string before = ReadFile(engine.Connections());
  engine.Run({ini});
  const std::string outcome = ReadFile(OutcomeFile("FAILED"));
  EXPECT_TRUE(Contains(outcome, "Error gathering my networked printers.\r\n> Error Number: "))
      << outcome;
  EXPECT_TRUE(Contains(outcome, "line 4 ")) << outcome;
  EXPECT_EQ(ReadFile(engine.Connections()), before);
  EXPECT_EQ(Marker(ini), "False");
}

}  // namespace
}  // namespace velloran
