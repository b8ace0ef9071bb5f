// The engine binary's reconnect step at its edges: the default printer kept
// across a move, a roll-back that fails, and a connection whose name cannot
// be read. The last two need the Windows network object (the test stand-in
// in the Windows test stage), whose state file can refuse an add and lose a
// name; the connection profile has no such lines.

#include <gtest/gtest.h>

#include "tests/support/EngineProcess.h"

namespace velloran {
namespace {

using test::Contains;
using test::EngineFolder;
using test::ReadFile;
using test::WriteFile;

struct Reconnect : ::testing::Test {
  EngineFolder engine{VELLORAN_ENGINE_PATH};

  bool ThroughCom() const { return engine.Env.count("VELLORAN_TEST_NETWORK_STATE") > 0; }
  std::string OutcomeFile() const { return ReadFile(engine.Root() / "out/outcome.txt"); }

  /// Runs the engine on an INI file that moves one server to another,
  /// reporting to an output file and the debug file; the run must end with
  /// `status` (1: not all were migrated).
  std::string MoveServer(const std::string& from, const std::string& to, int status = 0) {
    std::filesystem::create_directories(engine.Root() / "out");
    ini = (engine.Folder() / "move.ini").string();
    WriteFile(ini,
              "[GENERAL]\r\nUseActiveDirectory=False\r\nUseManualDefinitions=True\r\n"
              "AlwaysRun=False\r\n[MANUAL DEFINITIONS SERVERS]\r\nFromServers=" +
                  from + "\r\nToServers=" + to +
                  "\r\n[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
                  (engine.Root() / "out").string() +
                  "\r\nFileOutputName=outcome.txt\r\nIncludeComputerName=False\r\n"
                  "IncludeOutcome=False\r\nWriteToEventLog=False\r\n"
                  "[SUPPORT]\r\nDebugOn=True\r\n");
    auto r = engine.Run({ini});
    EXPECT_EQ(r.ExitCode, status) << r.Stderr;
    return engine.DebugText();
  }
  std::optional<std::string> Marker() const {
    return engine.UserValue("Software\\Velloran\\" + ini, "SUCCESS");
  }

  std::string ini;
};

// Names beyond ASCII cross the network object both ways here: listed,
// removed, added and made the default.
TEST_F(Reconnect, TheDefaultPrinterFollowsItsConnectionToTheNewServer) {
  WriteFile(engine.Connections(),
            "computer: PC01\nconnection: \\\\OLDDEF\\Büro-Straße-é\nconnection: Local Laser\n"
            "connection: \\\\OLDDEF\\Back\ndefault: \\\\OLDDEF\\Büro-Straße-é\n"
            "share: \\\\NEWDEF\\Büro-Straße-é\nshare: \\\\NEWDEF\\Back\n");
  const std::string debug = MoveServer("OLDDEF", "NEWDEF");

  EXPECT_TRUE(Contains(debug,
                       ">> Removed printer: \\\\OLDDEF\\Büro-Straße-é\r\n"
                       ">> Added printer: \\\\NEWDEF\\Büro-Straße-é\r\n"
                       ">> Default printer kept: \\\\NEWDEF\\Büro-Straße-é\r\n"))
      << debug;
  // Only the default printer's move touches the default.
  EXPECT_TRUE(Contains(debug, ">> Added printer: \\\\NEWDEF\\Back\r\n>> Finished moving manual"))
      << debug;
  const std::string connections = ReadFile(engine.Connections());
  EXPECT_TRUE(Contains(connections,
                       "connection: Local Laser\nconnection: \\\\NEWDEF\\Büro-Straße-é\n"
                       "connection: \\\\NEWDEF\\Back\ndefault: \\\\NEWDEF\\Büro-Straße-é\n"))
      << connections;
  EXPECT_EQ(Marker(), "True");
}

// The user is left without either printer: the debug log says so, the
// outcome carries the failed add, and the run is tried again next time.
TEST_F(Reconnect, ARollBackThatFailsIsLoggedWhateverItsNumber) {
  if (!ThroughCom()) GTEST_SKIP() << "needs the Windows network object's refused adds";
  WriteFile(engine.Connections(),
            "computer: PC01\nconnection: \\\\LOCKED\\Q\nshare: \\\\NEWSRV\\Other\n"
            "denied: \\\\LOCKED\n");
  const std::string debug = MoveServer("LOCKED", "NEWSRV", 1);

  EXPECT_TRUE(Contains(debug,
                       ">> Removed printer: \\\\LOCKED\\Q\r\n"
                       "ERROR: Adding printer: \\\\NEWSRV\\Q\r\nERROR: -2147023095\r\n"
                       "ERROR DESCRIPTION: The printer name is invalid.\r\n"
                       "ERROR: Adding old printer back: \\\\LOCKED\\Q\r\nERROR: -2147024891\r\n"
                       "ERROR DESCRIPTION: Access is denied.\r\n"))
      << debug;
  const std::string outcome = OutcomeFile();
  EXPECT_TRUE(Contains(outcome,
                       "\r\nError in adding/migrating network printer: \\\\NEWSRV\\Q\r\n"
                       "> Error Number: -2147023095\r\n"
                       "> Error Description: The printer name is invalid.\r\n"))
      << outcome;
  EXPECT_FALSE(Contains(outcome, "Adding old printer back"));
  EXPECT_FALSE(Contains(ReadFile(engine.Connections()), "connection:"));
  EXPECT_EQ(Marker(), "False");
}

// A name that cannot be read was never examined: the run fails with the
// reason instead of listing a blank local printer and passing, moves
// nothing this time (an inventory with a hole is no inventory), and is
// tried again at the next logon.
TEST_F(Reconnect, AConnectionWhoseNameCannotBeReadFailsTheRun) {
  if (!ThroughCom()) GTEST_SKIP() << "needs the Windows network object's unreadable names";
  const std::string before =
      "computer: PC01\nconnection: \\\\OLDSRV1\\A\nconnection: \\\\GONE\\B\n"
      "connection: \\\\OLDSRV1\\C\nunreadable: \\\\GONE\\B\n";
  WriteFile(engine.Connections(), before);
  const std::string debug = MoveServer("OLDSRV1", "NEWSRV1", 1);

  EXPECT_EQ(OutcomeFile(),
            "\r\n* ----- My Networked Printers ----- *\r\nA (OLDSRV1)\r\n"
            "Error reading the name of printer connection 2.\r\n"
            "> Error Number: -2147023174\r\n"
            "> Error Description: The RPC server is unavailable.\r\nC (OLDSRV1)\r\n");
  EXPECT_TRUE(Contains(debug,
                       ">> Found networked printer: A (OLDSRV1)\r\n"
                       "ERROR: Reading the name of printer connection 2 <<\r\n"))
      << debug;
  EXPECT_EQ(ReadFile(engine.Connections()), before);
  EXPECT_EQ(Marker(), "False");
}

}  // namespace
}  // namespace velloran
