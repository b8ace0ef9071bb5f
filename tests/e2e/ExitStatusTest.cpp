// The engine's exit status, which is all a scheduled task or a deployment
// package sees of a run: each status from a real run of the built engine
// (the Windows stage runs the same against VelloranEngine.exe).

#include <gtest/gtest.h>

#include "tests/support/EngineProcess.h"

namespace velloran {
namespace {

using test::EngineFolder;
using test::WriteFile;

struct ExitStatus : ::testing::Test {
  EngineFolder engine{VELLORAN_ENGINE_PATH};

  /// A manual move from OLDSRV1 to NEWSRV1, with the output file on, so
  /// that a test can see that the run still reports as it did.
  std::string MoveIni(bool alwaysRun = true) {
    const std::string path = (engine.Folder() / "move.ini").string();
    std::filesystem::create_directories(engine.Root() / "out");
    WriteFile(path, std::string("[GENERAL]\r\nUseActiveDirectory=False\r\n"
                                "UseManualDefinitions=True\r\nAlwaysRun=") +
                        (alwaysRun ? "True" : "False") +
                        "\r\n[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLDSRV1\r\n"
                        "ToServers=NEWSRV1\r\n[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\n"
                        "FileOutputPath=" +
                        (engine.Root() / "out").string() +
                        "\r\nFileOutputName=outcome.txt\r\nIncludeComputerName=False\r\n"
                        "IncludeOutcome=True\r\n[SUPPORT]\r\nDebugOn=True\r\n");
    return path;
  }
  void Connections(const std::string& lines) {
    WriteFile(engine.Connections(), "computer: PC01\n" + lines);
  }
  bool OutputFile(const std::string& outcome) const {
    return std::filesystem::exists(engine.Root() / "out" / (outcome + "_outcome.txt"));
  }
};

TEST_F(ExitStatus, MigratedOrNothingToDoIsZero) {
  Connections("connection: \\\\OLDSRV1\\SALES\nshare: \\\\NEWSRV1\\SALES\n");
  const std::string ini = MoveIni(/*alwaysRun=*/false);
  auto moved = engine.Run({ini});
  EXPECT_EQ(moved.ExitCode, 0) << moved.Stderr;
  EXPECT_TRUE(OutputFile("SUCCESS"));
  EXPECT_NE(test::ReadFile(engine.Connections()).find("connection: \\\\NEWSRV1\\SALES"),
            std::string::npos);

  // The next logon stops at the run-once marker.
  auto again = engine.Run({ini});
  EXPECT_EQ(again.ExitCode, 0) << again.Stderr;
  EXPECT_NE(engine.DebugText().find(">> Registry Key Value: True"), std::string::npos);

  // Nothing on the old server: nothing to move is no failure.
  Connections("connection: Local Laser\n");
  auto idle = engine.Run({MoveIni()});
  EXPECT_EQ(idle.ExitCode, 0) << idle.Stderr;
}

TEST_F(ExitStatus, AMoveThatFailsIsOne) {
  // The new server lacks the queue: the add fails and the old connection is
  // put back; the other connection still moves.
  Connections(
      "connection: \\\\OLDSRV1\\SALES\nconnection: \\\\OLDSRV1\\LASER\n"
      "share: \\\\NEWSRV1\\LASER\n");
  auto r = engine.Run({MoveIni()});
  EXPECT_EQ(r.ExitCode, 1) << r.Stderr;
  EXPECT_TRUE(OutputFile("FAILED"));
  const std::string profile = test::ReadFile(engine.Connections());
  EXPECT_NE(profile.find("connection: \\\\OLDSRV1\\SALES"), std::string::npos) << profile;
  EXPECT_NE(profile.find("connection: \\\\NEWSRV1\\LASER"), std::string::npos) << profile;
}

TEST_F(ExitStatus, AnEnvironmentVariableThatCannotWorkIsTwo) {
  Connections("connection: \\\\OLDSRV1\\SALES\nshare: \\\\NEWSRV1\\SALES\n");
  engine.Env["VELLORAN_SMTP_TICK_MS"] = "soon";
  auto r = engine.Run({MoveIni()});
  EXPECT_EQ(r.ExitCode, 2) << r.Stderr;
  EXPECT_NE(r.Stderr.find("VELLORAN_SMTP_TICK_MS"), std::string::npos) << r.Stderr;
  EXPECT_FALSE(std::filesystem::exists(engine.Folder() / "PC01.debug")) << "nothing ran";
}

TEST_F(ExitStatus, NoINIFileThatCanBeReadIsThree) {
  Connections("connection: \\\\OLDSRV1\\SALES\n");
  std::filesystem::create_directories(engine.Root() / "folder.ini");
  for (const auto& path : {engine.Root() / "absent.ini", engine.Root() / "folder.ini"}) {
    SCOPED_TRACE(path.string());
    auto r = engine.Run({path.string()});
    EXPECT_EQ(r.ExitCode, 3) << r.Stderr;
    // The run still writes its debug file, as it always did.
    const std::string debug = engine.DebugText();
    EXPECT_NE(debug.find("ERROR: Reading INI file: " + path.string()), std::string::npos) << debug;
  }
  // None named and none beside the engine (ExpectNoINIRun in the spine
  // tests checks that run's texts).
  engine.DeleteUserValue("Software\\Velloran", "SUCCESS");
  auto none = engine.Run();
  EXPECT_EQ(none.ExitCode, 3) << none.Stderr;

  // An INI file that can be read again: the run counts again.
  auto back = engine.Run({MoveIni()});
  EXPECT_EQ(back.ExitCode, 0) << back.Stderr;
}

}  // namespace
}  // namespace velloran
