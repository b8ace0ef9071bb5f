// The engine with INI files as Windows editors save them: ANSI in the code
// page the clients use, or Notepad's UTF-16. Names beyond ASCII must match
// in any letter case and reach every report intact.

#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "tests/support/EngineProcess.h"

namespace velloran {
namespace {

using test::EngineFolder;
using test::ReadFile;
using test::WriteFile;

struct TextEncoding : ::testing::Test {
  EngineFolder engine{VELLORAN_ENGINE_PATH};
  std::string ini = (engine.Folder() / "move.ini").string();
  std::string out = (engine.Root() / "out").string();

  void SetUp() override {
    std::filesystem::create_directories(out);
    WriteFile(engine.Connections(),
              "computer: PC01\nconnection: \\\\BÜRO\\Drucker\nshare: \\\\NEUBAU\\Drucker\n");
  }

  /// The settings of a server move, in program text; `encode` makes the bytes.
  std::string Settings(const std::string& from, const std::string& to) const {
    return "[GENERAL]\r\nUseManualDefinitions=True\r\n"
           "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=" +
           from + "\r\nToServers=" + to +
           "\r\n"
           "[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
           out + "\r\nFileOutputName=outcome.txt\r\n[SUPPORT]\r\nDebugOn=True\r\n";
  }
};

TEST_F(TextEncoding, Windows1252IniMatchesNamesInAnyCaseAndReportsInEachForm) {
  // "büro" in windows-1252, lower case where the connection is upper case.
  WriteFile(ini, Settings("b\xFCro", "NEUBAU"));
  auto r = engine.Run({ini});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;

  const std::string connections = ReadFile(engine.Connections().string());
  EXPECT_NE(connections.find("connection: \\\\NEUBAU\\Drucker"), std::string::npos) << connections;
  EXPECT_EQ(connections.find("connection: \\\\BÜRO"), std::string::npos) << connections;
  // The output file is ANSI like the INI file; the debug file UTF-16.
  const std::string outcome = ReadFile(out + "/outcome.txt");
  EXPECT_NE(outcome.find("Drucker (B\xDCRO)"), std::string::npos) << outcome;
  EXPECT_EQ(outcome.find("\xC3"), std::string::npos) << "UTF-8 in an ANSI file";
  const std::string debug = engine.DebugText();
  EXPECT_NE(debug.find(">> From Server: büro"), std::string::npos) << debug;
}

TEST_F(TextEncoding, Utf16IniIsReadNotSkipped) {
  std::string bytes = "\xFF\xFE";
  for (char16_t u : Utf8ToUtf16(Settings("BÜRO", "NEUBAU"))) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  WriteFile(ini, bytes);
  auto r = engine.Run({ini});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_NE(ReadFile(engine.Connections().string()).find("connection: \\\\NEUBAU\\Drucker"),
            std::string::npos);
}

TEST_F(TextEncoding, CodePageSettingNamesAnotherOrIsRefused) {
  if (engine.Windows()) GTEST_SKIP() << "Windows takes its ANSI code page from the system";
  WriteFile(engine.Connections(),
            "computer: PC01\nconnection: \\\\СКЛАД\\P1\nshare: \\\\NEW\\P1\n");
  // "склад" in windows-1251.
  WriteFile(ini, Settings("\xF1\xEA\xEB\xE0\xE4", "NEW"));
  engine.Env["VELLORAN_CODEPAGE"] = "windows-1251";
  auto r = engine.Run({ini});
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_NE(ReadFile(engine.Connections().string()).find("connection: \\\\NEW\\P1"),
            std::string::npos);

  engine.Env["VELLORAN_CODEPAGE"] = "klingon-1";
  r = engine.Run({ini});
  EXPECT_EQ(r.ExitCode, 2);
  EXPECT_NE(r.Stderr.find("VELLORAN_CODEPAGE"), std::string::npos) << r.Stderr;
}

}  // namespace
}  // namespace velloran
