// velloran summary over a share that the real engine filled, run after run,
// as the clients of a site would.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "tests/support/EngineProcess.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using test::EngineFolder;
using test::ReadFile;
using test::RunProcess;
using test::WriteFile;

using test::Contains;

// Every file of a folder with its bytes and modification time.
std::map<std::string, std::pair<std::string, fs::file_time_type>> Snapshot(const fs::path& folder) {
  std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file()) files[e.path().string()] = {ReadFile(e.path()), e.last_write_time()};
  return files;
}

struct FleetSummary : ::testing::Test {
  EngineFolder engine{VELLORAN_ENGINE_PATH};
  std::string ini = (engine.Folder() / "Printers.ini").string();

  void SetUp() override {
    // Output files beside the engine, named after computer and outcome, as
    // a deployment share collects them.
    WriteFile(
        ini,
        "[GENERAL]\r\nUseActiveDirectory=False\r\nUseManualDefinitions=True\r\nAlwaysRun=False\r\n"
        "[MANUAL DEFINITIONS "
        "SERVERS]\r\nFromServers=OLDSRV1,OLDSRV2\r\nToServers=NEWSRV1,NEWSRV2\r\n"
        "[NOTIFICATION FILE OUTPUT]\r\nUseFileOutput=True\r\nFileOutputPath=" +
            engine.Folder().string() +
            "\r\nFileOutputName=report.txt\r\nIncludeComputerName=True\r\nIncludeOutcome=True\r\n"
            "[SUPPORT]\r\nDebugOn=True\r\n");
  }

  void RunOn(const std::string& computer, bool newSalesShareExists) {
    WriteFile(engine.Connections(), "computer: " + computer +
                                        "\nconnection: \\\\OLDSRV1\\ACCOUNTING\n"
                                        "connection: \\\\OLDSRV2\\SALES\n"
                                        "share: \\\\NEWSRV1\\ACCOUNTING\n" +
                                        (newSalesShareExists ? "share: \\\\NEWSRV2\\SALES\n" : ""));
    auto r = engine.Run({ini});
    ASSERT_EQ(r.ExitCode, newSalesShareExists ? 0 : 1) << r.Stderr;
  }
};

TEST_F(FleetSummary, ReportsWhatTheEnginesLeftAndChangesNothing) {
  // The run-once marker is per user: PC02 fails first, PC01 then succeeds
  // and marks the user, so PC03's logon is skipped.
  RunOn("PC02", false);
  RunOn("PC01", true);
  RunOn("PC03", true);
  WriteFile(engine.Root() / "computers.txt",
            "\xEF\xBB\xBF# the lab\nPC01\nPC02\r\n  PC03\n\nPC04\n");
  const auto before = Snapshot(engine.Folder());

  auto r =
      RunProcess(VELLORAN_TOOL_PATH, {"summary", engine.Folder().string(), "--json", "--computers",
                                      (engine.Root() / "computers.txt").string()});
  EXPECT_EQ(r.ExitCode, 1) << r.Stderr;
  EXPECT_EQ(r.Stderr, "") << "no progress bar without a terminal";
  const std::string& json = r.Stdout;
  EXPECT_TRUE(
      Contains(json,
               "\"seen\": 3, \"migrated\": 2, \"failed\": 1, \"unknown\": 0, \"listed\": 4, "
               "\"not_seen\": 1"))
      << json;
  EXPECT_TRUE(Contains(json, "{\"name\": \"PC02\", \"status\": \"failed\"")) << json;
  EXPECT_TRUE(Contains(json, "{\"name\": \"PC03\", \"status\": \"migrated earlier\"")) << json;
  EXPECT_TRUE(Contains(json,
                       "\"step\": \"adding the new connection\", \"number\": -2147023095, "
                       "\"description\": \"The printer name is invalid.\""))
      << json;
  EXPECT_TRUE(Contains(
      json, "\"targets\": [{\"target\": \"\\\\\\\\NEWSRV2\\\\SALES\", \"computers\": [\"PC02\"]}]"))
      << json;
  EXPECT_TRUE(Contains(json,
                       "\"printers_on_old_servers\": [{\"server\": \"OLDSRV2\", \"printers\": "
                       "[{\"printer\": \"SALES\", \"computers\": [\"PC02\"]}]}]"))
      << json;
  EXPECT_TRUE(Contains(json, "\"not_seen\": [\"PC04\"]")) << json;

  auto table = RunProcess(VELLORAN_TOOL_PATH, {"summary", engine.Folder().string()});
  EXPECT_EQ(table.ExitCode, 1);
  EXPECT_TRUE(Contains(table.Stdout, "Failed computers: PC02")) << table.Stdout;
  EXPECT_EQ(Snapshot(engine.Folder()), before) << "the share is only read";
}

TEST_F(FleetSummary, ExitStatusAndArguments) {
  RunOn("PC01", true);
  auto ok = RunProcess(VELLORAN_TOOL_PATH, {"summary", engine.Folder().string(), "--csv"});
  EXPECT_EQ(ok.ExitCode, 0) << ok.Stderr;
  EXPECT_TRUE(Contains(ok.Stdout, "computer,status,last_run,source,")) << ok.Stdout;
  EXPECT_TRUE(Contains(ok.Stdout, "\nPC01,migrated,")) << ok.Stdout;

  EXPECT_EQ(RunProcess(VELLORAN_TOOL_PATH, {"summary"}).ExitCode, 2);
  EXPECT_EQ(RunProcess(VELLORAN_TOOL_PATH, {"summary", engine.Folder().string(), "--csv", "--json"})
                .ExitCode,
            2);
  EXPECT_EQ(
      RunProcess(VELLORAN_TOOL_PATH, {"summary", (engine.Root() / "missing").string()}).ExitCode,
      2);
  auto unc = RunProcess(VELLORAN_TOOL_PATH, {"summary", "\\\\nosuchserver\\netlogon"});
  EXPECT_EQ(unc.ExitCode, 2);
  EXPECT_TRUE(Contains(unc.Stderr, "\\\\nosuchserver\\netlogon is not mounted here")) << unc.Stderr;
  EXPECT_EQ(RunProcess(VELLORAN_TOOL_PATH, {"summary", engine.Folder().string(), "--computers",
                                            (engine.Root() / "none").string()})
                .ExitCode,
            2);
  for (const char* command : {"summary", "what-if", "decode-debug"}) {
    auto help = RunProcess(VELLORAN_TOOL_PATH, {command, "--help"});
    EXPECT_EQ(help.ExitCode, 0) << command;
    EXPECT_TRUE(Contains(help.Stdout, std::string("Usage: velloran ") + command)) << help.Stdout;
    EXPECT_EQ(RunProcess(VELLORAN_TOOL_PATH, {"help", command}).Stdout, help.Stdout);
  }
}

TEST_F(FleetSummary, ThePageIsWrittenWholeOrNotAtAll) {
  RunOn("PC01", true);
  const fs::path page = engine.Root() / "fleet.html";
  const std::string folder = engine.Folder().string();
  WriteFile(page, "the page of yesterday");
  auto names = [&] {
    std::set<std::string> all;
    for (const auto& e : fs::directory_iterator(engine.Root())) all.insert(e.path().string());
    return all;
  };
  const auto before = names();
  auto r = RunProcess(VELLORAN_TOOL_PATH, {"summary", folder, "--html", page.string()});
  EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
  const std::string written = ReadFile(page);
  EXPECT_TRUE(written.starts_with("<!DOCTYPE html>")) << written.substr(0, 200);
  EXPECT_TRUE(written.ends_with("</html>\n"));
  EXPECT_EQ(RunProcess(VELLORAN_TOOL_PATH, {"summary", folder, "--html", "-"}).Stdout.size(),
            written.size())
      << "- is standard output";
  EXPECT_EQ(names(), before) << "no temporary file is left beside the page";

  auto missing = RunProcess(VELLORAN_TOOL_PATH, {"summary", folder, "--html",
                                                 (engine.Root() / "no/fleet.html").string()});
  EXPECT_EQ(missing.ExitCode, 2);
  EXPECT_TRUE(Contains(missing.Stderr, "cannot write")) << missing.Stderr;
  for (auto args : {std::vector<std::string>{"summary", folder, "--html"},
                    std::vector<std::string>{"summary", folder, "--html", "p.html", "--json"},
                    std::vector<std::string>{"summary", folder, "--csv", "--html", "p.html"}})
    EXPECT_EQ(RunProcess(VELLORAN_TOOL_PATH, args).ExitCode, 2) << args.back();
}

// Any client can write to the share: what its files hold reaches no output
// form raw, neither as UTF-8 nor through the clients' code page.
TEST(FleetSummaryOutput, CraftedFilesReachNoTerminalOrParserRaw) {
  test::TempDir share;
  auto run = [](const std::string& printer, const std::string& description) {
    return "\r\n* ----- My Networked Printers ----- *\r\n" + printer +
           " (OLDSRV1)\r\n"
           "* ----- Migrating Networked Printers Between Servers ----- *\r\n"
           "Printer migrated: A (OLDSRV1)\r\n"
           "Error in adding/migrating network printer: \\\\NEW\\\x1B[31mQ\r\n"
           "> Error Number: 5\r\n> Error Description: " +
           description + "\r\n";
  };
  WriteFile(share / "PC\x1B[7m01_FAILED_report.txt", run("\x1B]0;owned\x07",
                                                         "\xC2\x9B"
                                                         "2J\x1B[2J"));
  // No UTF-8: read in windows-1252, whose unassigned bytes become C1 codes.
  WriteFile(share / "PC02_FAILED_report.txt", run("P\x81", "\x8D\x9D"));
  for (const char* form : {"", "--csv", "--json"}) {
    SCOPED_TRACE(form);
    std::vector<std::string> args = {"summary", share.str(), "--no-progress"};
    if (*form) args.push_back(form);
    auto r = RunProcess(VELLORAN_TOOL_PATH, args);
    EXPECT_EQ(r.ExitCode, 1) << r.Stderr;
    // A CSV field may hold its own tabs and line breaks.
    const bool csv = std::string(form) == "--csv";
    EXPECT_EQ(test::RawControlIn(r.Stdout, csv ? "\t\r\n" : "\n"), "") << r.Stdout;
    EXPECT_TRUE(Contains(r.Stdout, "OLDSRV1")) << r.Stdout;
  }
}

}  // namespace
}  // namespace velloran
