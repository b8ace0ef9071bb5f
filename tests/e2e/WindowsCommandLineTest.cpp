// velloran.exe against the Linux velloran on the same files: a result share
// is read on a Windows desktop as often as on a Linux one, and the two must
// tell the administrator the same. VELLORAN_E2E_WINDOWS_TOOL names the .exe
// and VELLORAN_E2E_RUNNER what starts it (the Windows stage sets both);
// without them the tests skip.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "engine/modDebug.h"
#include "tests/support/EngineProcess.h"
#include "tests/support/FleetShare.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;

struct BothTools : ::testing::Test {
  std::string windowsTool;
  std::vector<std::string> runner;
  test::TempDir dir;

  void SetUp() override {
    const char* tool = std::getenv("VELLORAN_E2E_WINDOWS_TOOL");
    if (!tool || !*tool) GTEST_SKIP() << "VELLORAN_E2E_WINDOWS_TOOL names no velloran.exe";
    windowsTool = tool;
    const char* words = std::getenv("VELLORAN_E2E_RUNNER");
    std::istringstream in(words ? words : "wine");
    for (std::string w; in >> w;) runner.push_back(w);
  }

  /// Runs both programs with the same words (Unix paths, which Wine reads
  /// on its Z: drive) and requires the same exit status and output.
  /// Returns the Linux program's result.
  test::ProcessResult Same(const std::vector<std::string>& args, bool sameErrors = false) {
    const auto linuxStart = std::chrono::steady_clock::now();
    test::ProcessResult onLinux = test::RunProcess(VELLORAN_TOOL_PATH, args);
    const auto windowsStart = std::chrono::steady_clock::now();
    std::vector<std::string> words = runner;
    words.push_back(windowsTool);
    words.insert(words.end(), args.begin(), args.end());
    test::ProcessResult onWindows = test::RunProcess("/usr/bin/env", words);
    const auto end = std::chrono::steady_clock::now();
    using Seconds = std::chrono::duration<double>;
    std::printf("velloran %s: %.2f s, velloran.exe: %.2f s\n", args[0].c_str(),
                Seconds(windowsStart - linuxStart).count(), Seconds(end - windowsStart).count());
    EXPECT_EQ(onWindows.ExitCode, onLinux.ExitCode) << onWindows.Stderr;
    // Byte for byte: the first difference is easier to read than a diff of
    // two megabytes.
    const auto [l, w] = std::mismatch(onLinux.Stdout.begin(), onLinux.Stdout.end(),
                                      onWindows.Stdout.begin(), onWindows.Stdout.end());
    if (l != onLinux.Stdout.end() || w != onWindows.Stdout.end()) {
      const size_t at = static_cast<size_t>(l - onLinux.Stdout.begin());
      const size_t from = at > 200 ? at - 200 : 0;
      ADD_FAILURE() << "the outputs differ at byte " << at << " of " << onLinux.Stdout.size()
                    << " (Linux) and " << onWindows.Stdout.size() << " (Windows)\nLinux:\n"
                    << onLinux.Stdout.substr(from, 400) << "\nWindows:\n"
                    << onWindows.Stdout.substr(from, 400) << "\nWindows' errors:\n"
                    << onWindows.Stderr;
    }
    if (sameErrors) {
      EXPECT_EQ(onWindows.Stderr, onLinux.Stderr);
    }
    return onLinux;
  }
};

TEST_F(BothTools, SummaryOfFiveThousandResultFilesIsTheSameReport) {
  const fs::path share = dir.path() / "results";
  // 2,500 computers that ran (an output and a debug file each), 25 that
  // did not.
  const test::FleetShareFacts fleet = test::WriteFleetShare(share, 2525);
  test::WriteFile(share / "VelloranEngine.exe", "MZ");
  std::string list = "# the site\r\n";
  for (const auto& name : fleet.Listed) list += name + "\r\n";
  test::WriteFile(dir.path() / "computers.txt", list);

  auto table =
      Same({"summary", share.string(), "--computers", (dir.path() / "computers.txt").string()});
  EXPECT_EQ(table.ExitCode, 1) << "some computers failed or were not seen\n" << table.Stderr;
  EXPECT_TRUE(test::Contains(table.Stdout, "PC00099")) << table.Stdout;
}

TEST_F(BothTools, SummaryOfAMixedShareIsTheSameInEveryFormat) {
  const fs::path share = dir.path() / "results";
  fs::create_directories(share / "floor2" / "deep");
  const std::string migrated =
      "\r\n* ----- My Networked Printers ----- *\r\nB\xFCro (OLDSRV1)\r\n"
      "* ----- Migrating Networked Printers Between Servers ----- *\r\n"
      "Printer migrated: B\xFCro (OLDSRV1)\r\n";
  const std::string failed =
      "\r\n* ----- My Networked Printers ----- *\r\nSALES (OLDSRV2)\r\n"
      "* ----- Migrating Networked Printers Between Servers ----- *\r\n"
      "Error in adding/migrating network printer: \\\\NEWSRV2\\SALES\r\n"
      "> Error Number: -2147023095\r\n> Error Description: The printer name is invalid.\r\n";
  // Computer names outside ASCII, subfolders per floor, a report that all
  // clients share, a debug file cut short, files that are no report.
  test::WriteFile(share / "M\xC3\x9CNCHEN-01_SUCCESS_report.txt", migrated);
  test::WriteFile(share / "floor2" / "PC07_FAILED_report.txt", failed);
  test::WriteFile(share / "floor2" / "deep" / "PC08_SUCCESS_report.txt", migrated);
  test::WriteFile(share / "PC09_report.txt", failed);
  test::WriteFile(share / "PC10_report.txt", migrated);
  const std::string whole = test::RunDebugText(true);
  Bytes debug = EncodeDebugText(whole.substr(0, whole.size() / 2));
  test::WriteFile(share / "PC11.debug", std::string(debug.begin(), debug.end()));
  test::WriteFile(share / "PC12.debug", "not encoded at all");
  test::WriteFile(share / "notes.txt", "the migration starts on Monday\r\n");
  test::WriteFile(share / "Printers.ini", "[GENERAL]\r\n");
  // A client's crafted report: a Windows console obeys the same escape
  // sequences a terminal does, so both programs escape them alike.
  test::WriteFile(share / "PC13_FAILED_report.txt",
                  "\r\n* ----- My Networked Printers ----- *\r\n\x1B[2JLaser (OLDSRV1)\r\n"
                  "* ----- Migrating Networked Printers Between Servers ----- *\r\n"
                  "Error in adding/migrating network printer: \\\\NEWSRV2\\SALES\r\n"
                  "> Error Number: 5\r\n> Error Description: \x1B]0;owned\x07\xC2\x9B"
                  "2J\r\n");

  for (const char* format : {"--json", "--csv", "--no-progress"}) {
    auto r = Same({"summary", share.string(), format, "--old-server", "OLDSRV9"});
    EXPECT_EQ(test::RawControlIn(r.Stdout, std::string(format) == "--csv" ? "\t\r\n" : "\n"), "")
        << format << "\n"
        << r.Stdout;
  }
  // The same refusal for a share that is not there.
  auto missing = Same({"summary", (dir.path() / "nowhere").string()}, true);
  EXPECT_EQ(missing.ExitCode, 2);
}

TEST_F(BothTools, DecodeDebugPrintsTheSameText) {
  const std::string text =
      test::RunDebugText(false, ">> Printer: \\\\NEWSRV1\\B\xC3\xBCro \xE6\x9D\xB1\xE4\xBA\xAC");
  Bytes bytes = EncodeDebugText(text);
  test::WriteFile(dir.path() / "PC01.debug", std::string(bytes.begin(), bytes.end()));
  // A file cut in the middle: what there is, and the same failure status.
  test::WriteFile(dir.path() / "PC02.debug", std::string(bytes.begin(), bytes.begin() + 60));

  EXPECT_EQ(Same({"decode-debug", (dir.path() / "PC01.debug").string()}).ExitCode, 0);
  EXPECT_EQ(Same({"decode-debug", (dir.path() / "PC02.debug").string()}).ExitCode, 1);
}

TEST_F(BothTools, WhatIfOfTheExampleRehearsesTheSameRun) {
  const std::string examples = VELLORAN_SOURCE_DIR "/examples/";
  auto r = Same({"what-if", examples + "manual-migration.ini", "--connections",
                 examples + "connections.txt", "--debug"});
  EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_TRUE(test::Contains(r.Stdout, "Connections that would change:")) << r.Stdout;
}

TEST_F(BothTools, WhatIfOnWindowsRehearsesOnTheUsersOwnConnections) {
  // The user's connections, as the test network object that stands in for
  // the system's keeps them: the example profile.
  const std::string examples = VELLORAN_SOURCE_DIR "/examples/";
  const fs::path state = dir.path() / "state.txt";
  fs::copy_file(examples + "connections.txt", state);
  const std::string before = test::ReadFile(state);
  std::string statePath = "Z:" + fs::absolute(state).string();
  std::replace(statePath.begin(), statePath.end(), '/', '\\');

  std::vector<std::string> words = runner;
  words.insert(words.end(), {windowsTool, "what-if", examples + "manual-migration.ini"});
  auto onWindows =
      test::RunProcess("/usr/bin/env", words, {{"VELLORAN_TEST_NETWORK_STATE", statePath}});
  ASSERT_EQ(onWindows.ExitCode, 0) << onWindows.Stderr << onWindows.Stdout;
  EXPECT_EQ(test::ReadFile(state), before) << "the rehearsal changed the user's connections";

  const std::string& out = onWindows.Stdout;
  EXPECT_TRUE(test::Contains(out, " on this user's printer connections (nothing was changed)\n"))
      << out;
  // The connections as they are, then the moves.
  EXPECT_TRUE(test::Contains(out, "ACCOUNTING (OLDSRV1)\nSALES (OLDSRV2)\n")) << out;
  EXPECT_TRUE(test::Contains(out, "  - \\\\OLDSRV1\\ACCOUNTING\n")) << out;
  EXPECT_TRUE(test::Contains(out, "  + \\\\NEWSRV1\\ACCOUNTING\n")) << out;

  // The same rehearsal as on a copy of that profile, but for the line that
  // names where the connections came from.
  auto onProfile = test::RunProcess(
      VELLORAN_TOOL_PATH,
      {"what-if", examples + "manual-migration.ini", "--connections", state.string()});
  ASSERT_EQ(onProfile.ExitCode, 0) << onProfile.Stderr;
  EXPECT_EQ(out.substr(out.find('\n')), onProfile.Stdout.substr(onProfile.Stdout.find('\n')));

  // Where the network object cannot be created, the rehearsal says so.
  auto unreadable =
      test::RunProcess("/usr/bin/env", words, {}, "", {"VELLORAN_TEST_NETWORK_STATE"});
  EXPECT_EQ(unreadable.ExitCode, 2) << unreadable.Stdout;
  EXPECT_TRUE(test::Contains(unreadable.Stderr, "this user's printer connections"))
      << unreadable.Stderr;
}

}  // namespace
}  // namespace velloran
