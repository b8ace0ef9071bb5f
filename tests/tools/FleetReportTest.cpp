// The fleet report: reading what engines leave on a share, and folding it
// into one state per computer.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "engine/modDebug.h"
#include "platform/FolderTree.h"
#include "tests/support/Fakes.h"
#include "tools/FleetReport.h"

namespace velloran::fleet {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;

// One run's outcome text as the engine appends it to an output file.
std::string Block(const std::string& body) { return "\r\n" + body + "\r\n"; }

const std::string kFailedRun =
    "* ----- My Networked Printers ----- *\r\n"
    "ACCOUNTING (OLDSRV1)\r\n"
    "SALES (OLDSRV2)\r\n"
    "Non-Networked Printer: Local Laser (DO NOTHING)\r\n"
    "* ----- Migrating Networked Printers Between Servers ----- *\r\n"
    "Printer migrated: ACCOUNTING (OLDSRV1)\r\n"
    "Error in adding/migrating network printer: \\\\NEWSRV2\\SALES\r\n"
    "> Error Number: -2147023095\r\n"
    // Windows' own descriptions end in a line break.
    "> Error Description: The printer name is invalid.\r\n";

const std::string kSucceededRun =
    "* ----- My Networked Printers ----- *\r\n"
    "SALES (OLDSRV2)\r\n"
    "* ----- Migrating Networked Printers Between Servers ----- *\r\n"
    "Printer migrated: SALES (OLDSRV2)";

TEST(OutcomeText, AppendedRunsAreReadInOrderWithTheirFailuresAndPrinters) {
  auto file = ParseOutcomeText(Block(kFailedRun) + Block(kSucceededRun));
  ASSERT_EQ(file.Problem, "");
  ASSERT_EQ(file.Runs.size(), 2u);

  const RunReport& failed = file.Runs[0];
  EXPECT_EQ(failed.Result, Outcome::Failed);
  ASSERT_EQ(failed.Inventory.size(), 2u);
  EXPECT_EQ(failed.Inventory[1].Printer, "SALES");
  EXPECT_EQ(failed.Inventory[1].Server, "OLDSRV2");
  ASSERT_EQ(failed.Migrated.size(), 1u);
  EXPECT_EQ(failed.Migrated[0].Server, "OLDSRV1");
  ASSERT_EQ(failed.Failures.size(), 1u);
  EXPECT_EQ(failed.Failures[0].Step, "adding the new connection");
  EXPECT_EQ(failed.Failures[0].Target, "\\\\NEWSRV2\\SALES");
  EXPECT_EQ(failed.Failures[0].Number, -2147023095);
  EXPECT_EQ(failed.Failures[0].Description, "The printer name is invalid.");

  EXPECT_EQ(file.Runs[1].Result, Outcome::Succeeded);
  EXPECT_TRUE(file.Runs[1].Failures.empty());
}

TEST(OutcomeText, AnInventoryFailureIsARunOfItsOwn) {
  auto file =
      ParseOutcomeText(Block("Error gathering my networked printers.\r\n> Error Number: 429\r\n"
                             "> Error Description: ActiveX component can't create object") +
                       Block(kSucceededRun));
  ASSERT_EQ(file.Problem, "");
  ASSERT_EQ(file.Runs.size(), 2u);
  EXPECT_EQ(file.Runs[0].Result, Outcome::Failed);
  EXPECT_FALSE(file.Runs[0].HasInventory);
  EXPECT_EQ(file.Runs[0].Failures[0].Step, "reading the user's printer connections");
  EXPECT_EQ(file.Runs[0].Failures[0].Target, "");
}

TEST(OutcomeText, DamagedFilesAreRefusedWithAReason) {
  const std::string whole = Block(kFailedRun);
  // Cut inside the last line, inside an error block, and zero-filled.
  EXPECT_NE(ParseOutcomeText(whole.substr(0, whole.size() - 5)).Problem, "");
  const std::string cutError = Block(kFailedRun).substr(0, whole.find("> Error Description"));
  EXPECT_NE(ParseOutcomeText(cutError).Problem, "");
  EXPECT_NE(ParseOutcomeText(whole + std::string(64, '\0')).Problem, "");
  // Any file of the share that is no report is told apart from a damaged one.
  auto other = ParseOutcomeText("@echo off\r\nREM -- a batch file\r\n");
  EXPECT_FALSE(other.LooksLikeOutcome);
  EXPECT_TRUE(ParseOutcomeText(whole.substr(0, whole.size() - 5)).LooksLikeOutcome);
  EXPECT_FALSE(ParseOutcomeText("").LooksLikeOutcome);
}

TEST(DebugText, TellsTheOutcomeAndOnlyTheFailuresThatCount) {
  const std::string failed =
      ">> Running Velloran, abort status: False\r\n"
      "ERROR: Adding printer: \\\\NEWSRV2\\SALES\r\nERROR: -2147023095\r\n"
      "ERROR DESCRIPTION: The printer name is invalid.\r\n"
      "ERROR: Adding old printer back: \\\\OLDSRV2\\SALES\r\nERROR: 5\r\nERROR DESCRIPTION: Access "
      "is denied.\r\n"
      "ERROR: Saving notification output file <<\r\nERROR: 76\r\nERROR DESCRIPTION: Path not "
      "found\r\n"
      ">> Finished notification, abort status: True\r\n";
  RunReport run = ParseDebugText(failed);
  EXPECT_EQ(run.Result, Outcome::Failed);
  ASSERT_EQ(run.Failures.size(), 1u);
  EXPECT_EQ(run.Failures[0].Target, "\\\\NEWSRV2\\SALES");

  EXPECT_EQ(
      ParseDebugText(">> Getting Registry key: x.ini\r\n>> Registry Key Value: True\r\n").Result,
      Outcome::AlreadyMigrated);
  // Debug switched off: only the opening lines.
  EXPECT_EQ(ParseDebugText(">> Command line parameter: \r\n>> Opening INI File: x.ini\r\n").Result,
            Outcome::Unknown);
  EXPECT_EQ(
      ParseDebugText(">> Running Velloran, abort status: False\r\n>> Registry Key Value: True\r\n"
                     ">> Finished notification, abort status: False\r\n")
          .Result,
      Outcome::Succeeded);
}

// A move the engine kept back because the client lacks the target's driver.
std::string HeldBlock(const std::string& target, const std::string& driver) {
  return "Printer held back by its driver: " + target + "\r\n> Driver: " + driver +
         "\r\n> Cause: this user may not install printer drivers\r\n";
}

const std::string kHeldRunHead =
    "* ----- My Networked Printers ----- *\r\n"
    "SALES (OLDSRV2)\r\n"
    "ACCOUNTING (OLDSRV1)\r\n"
    "* ----- Migrating Networked Printers Between Servers ----- *\r\n";

TEST(OutcomeText, AMoveHeldBackByItsDriverIsNoFailureButNoSuccessEither) {
  struct Case {
    const char* Name;
    std::string Body;
    Outcome Result;
    size_t Held, Failures;
  } cases[] = {
      {"only held back", kHeldRunHead + HeldBlock("\\\\NEWSRV2\\SALES", "Contoso PCL6"),
       Outcome::HeldBack, 1, 0},
      {"held back and migrated",
       kHeldRunHead + "Printer migrated: ACCOUNTING (OLDSRV1)\r\n" +
           HeldBlock("\\\\NEWSRV2\\SALES", "Contoso PCL6"),
       Outcome::HeldBack, 1, 0},
      {"held back and failed",
       kHeldRunHead + HeldBlock("\\\\NEWSRV2\\SALES", "Contoso PCL6") +
           "Error in adding/migrating network printer: \\\\NEWSRV1\\ACCOUNTING\r\n"
           "> Error Number: 5\r\n> Error Description: Access is denied.\r\n",
       Outcome::Failed, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto file = ParseOutcomeText(Block(c.Body));
    ASSERT_EQ(file.Problem, "");
    ASSERT_EQ(file.Runs.size(), 1u);
    const RunReport& run = file.Runs[0];
    EXPECT_EQ(run.Result, c.Result);
    EXPECT_EQ(run.Failures.size(), c.Failures);
    ASSERT_EQ(run.Held.size(), c.Held);
    EXPECT_EQ(run.Held[0].Target, "\\\\NEWSRV2\\SALES");
    EXPECT_EQ(run.Held[0].Driver, "Contoso PCL6");
    EXPECT_EQ(run.Held[0].Cause, "this user may not install printer drivers");
    // The held-back lines are no inventory entries.
    EXPECT_EQ(run.Inventory.size(), 2u);
  }
  // The block cut before its cause: the file is damaged, not a success.
  const std::string cut = Block(kHeldRunHead +
                                "Printer held back by its driver: \\\\N\\S\r\n"
                                "> Driver: Contoso PCL6\r\n");
  EXPECT_NE(ParseOutcomeText(cut).Problem, "");
}

TEST(DebugText, AHeldBackRunIsToldByItsDebugLinesAlone) {
  const std::string held =
      ">> Running Velloran, abort status: False\r\n"
      ">> Driver: a line of the driver look-up that belongs to no held-back move\r\n"
      ">> Held back by its driver: \\\\NEWSRV2\\SALES\r\n>> Driver: Contoso PCL6\r\n"
      ">> Cause: protected print mode allows only the IPP class driver\r\n"
      ">> Finished notification, abort status: True\r\n";
  RunReport run = ParseDebugText(held);
  EXPECT_EQ(run.Result, Outcome::HeldBack);
  ASSERT_EQ(run.Held.size(), 1u);
  EXPECT_EQ(run.Held[0].Driver, "Contoso PCL6");
  EXPECT_EQ(run.Held[0].Cause, "protected print mode allows only the IPP class driver");
}

TEST(FileNames, SayWhatTheFileIsAndWhoseItIs) {
  auto out = ClassifyName("PC01_FAILED_report.txt");
  EXPECT_EQ(out.kind, NameInfo::Output);
  EXPECT_EQ(out.Computer, "PC01");
  EXPECT_EQ(out.NamedOutcome, Outcome::Failed);
  EXPECT_EQ(ClassifyName("Computer UNKNOWN_SUCCESS_report.txt").Computer, "Computer UNKNOWN");
  EXPECT_EQ(ClassifyName("LAB_PC_7_SUCCESS_report.txt").Computer, "LAB_PC_7");
  // An output name that itself holds the marker: the first one splits.
  EXPECT_EQ(ClassifyName("PC02_FAILED_SUCCESS_log.txt").Computer, "PC02");
  auto shared = ClassifyName("SUCCESS_report.txt");
  EXPECT_EQ(shared.kind, NameInfo::Output);
  EXPECT_EQ(shared.Computer, "");

  auto mail = ClassifyName("PC03_07.09.2004_14.05.33_EmailFailure.txt");
  EXPECT_EQ(mail.kind, NameInfo::EmailBackup);
  EXPECT_EQ(mail.Computer, "PC03");
  EXPECT_EQ(ClassifyName("PC03_7.9.2004_14.05.33_EmailFailure.txt").kind, NameInfo::Other);

  auto debug = ClassifyName("PC04.debug");
  EXPECT_EQ(debug.kind, NameInfo::Debug);
  EXPECT_EQ(debug.Computer, "PC04");
  EXPECT_EQ(ClassifyName("report.txt").kind, NameInfo::Other);
  EXPECT_EQ(ClassifyName("_SUCCESS_report.txt").kind, NameInfo::Other);
}

TEST(ReportText, TheClientsCodePageBecomesUtf8AndUtf8StaysAsItIs) {
  auto western = OpenCodePage("windows-1252");
  auto central = OpenCodePage("windows-1250");
  ASSERT_TRUE(western && central);
  EXPECT_EQ(ReportTextToUtf8("Dr\xFC"
                             "cker \x80",
                             **western),
            "Drücker €");
  // The same byte is another letter in another code page.
  EXPECT_EQ(ReportTextToUtf8("\xA3\xF3"
                             "d\x9F",
                             **central),
            "Łódź");
  EXPECT_EQ(ReportTextToUtf8("\xA3", **western), "£");
  EXPECT_EQ(ReportTextToUtf8("Dr\xC3\xBC"
                             "cker \xE2\x82\xAC",
                             **central),
            "Drücker €");
  // A lead byte at the very end, or an overlong form, is not UTF-8.
  EXPECT_EQ(ReportTextToUtf8("x\xC3", **western), "xÃ");
  EXPECT_EQ(ReportTextToUtf8("\xC0\xAF", **western), "À¯");
}

// The run driver's lines of a whole run that ends with `abortStatus`.
std::string Progress(const std::string& abortStatus) {
  return ">> Registry Key Value: False\r\n"
         ">> Running Velloran, abort status: False\r\n"
         ">> Finished getting network printers, abort status: False\r\n"
         ">> Finished moving via AD, abort status: False\r\n"
         ">> Finished moving manual, abort status: " +
         abortStatus +
         "\r\n"
         ">> Finished notification, abort status: " +
         abortStatus + "\r\n";
}

// A share written file by file, with modification times set by the test.
struct Share : ::testing::Test {
  TempDir dir;
  int64_t clock = 1'700'000'000;

  void Put(const std::string& name, const std::string& bytes, int64_t when = 0) {
    const fs::path p = dir.path() / name;
    fs::create_directories(p.parent_path());
    WriteFile(p, bytes);
    Touch(name, when ? when : ++clock);
  }
  void Touch(const std::string& name, int64_t when) {
    fs::last_write_time(
        dir.path() / name,
        std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(when))));
  }
  // A debug file holding `text` between the opening and closing banners,
  // as a whole run's file does; without the closing one when the INI file
  // switched the log off.
  void PutDebug(const std::string& computer, const std::string& text, size_t keepBytes = 0,
                bool logOn = true) {
    const std::string stars = std::string(80, '*') + "\r\n";
    const std::string end = stars + std::string(31, '*') + "     END DEBUG     " +
                            std::string(30, '*') + "\r\n" + stars;
    Bytes b = EncodeDebugText(stars + std::string(30, '*') + "     BEGIN DEBUG     " +
                              std::string(29, '*') + "\r\n" + stars + text + (logOn ? end : ""));
    if (keepBytes) b.resize(keepBytes);
    Put(computer + ".debug", std::string(b.begin(), b.end()));
  }
  FleetSummary Read(std::vector<std::string> computers = {}) {
    ReadOptions o;
    o.HaveComputerList = !computers.empty();
    o.Computers = std::move(computers);
    return ReadShare(dir.path().string(), o);
  }
};

TEST_F(Share, TheLatestRunOfEachComputerDecidesItsState) {
  // PC01 failed, then succeeded at the next logon.
  Put("PC01_FAILED_report.txt", Block(kFailedRun));
  Put("PC01_SUCCESS_report.txt", Block(kSucceededRun));
  // PC02 failed and its debug file, written after the output file, agrees.
  Put("PC02_FAILED_report.txt", Block(kFailedRun));
  PutDebug("PC02", Progress("True"));
  // PC06's output and debug files carry the same time, as one run's often
  // do: the debug file, written last, tells the state.
  Put("PC06_SUCCESS_report.txt", Block(kSucceededRun), 1'600'000'000);
  PutDebug("PC06", Progress("False"));
  Touch("PC06.debug", 1'600'000'000);
  // PC03 only left a debug file: the marker ended its run.
  PutDebug("pc03", ">> Registry Key Value: True\r\n");
  // PC04's mail failed; its back-up file holds the outcome.
  Put("PC04_07.09.2004_14.05.33_EmailFailure.txt", Block(kSucceededRun));
  Put("VelloranEngine.exe", "MZ");
  Put("notes.txt", "Migration plan\r\n");
  Put("Printers.ini", "[GENERAL]\r\n");

  auto s = Read({"PC01", "PC02", "PC03", "pc04", "PC05"});
  EXPECT_EQ(s.OutputFiles, 4);
  EXPECT_EQ(s.DebugFiles, 3);
  EXPECT_EQ(s.EmailBackups, 1);
  EXPECT_EQ(s.OtherFiles, 3);
  EXPECT_TRUE(s.Problems.empty());

  ASSERT_EQ(s.Computers.size(), 5u);
  EXPECT_EQ(s.Computers.at("PC06").From, Source::DebugFile);
  EXPECT_EQ(s.Computers.at("PC01").Result, Outcome::Succeeded);
  EXPECT_EQ(s.Computers.at("PC02").Result, Outcome::Failed);
  EXPECT_EQ(s.Computers.at("PC02").From, Source::DebugFile);
  // The debug file had no failing lines: the output file's are reported.
  ASSERT_EQ(s.Computers.at("PC02").Failures.size(), 1u);
  EXPECT_EQ(s.Computers.at("PC03").Result, Outcome::AlreadyMigrated);
  EXPECT_EQ(s.Computers.at("PC03").Name, "pc03");
  EXPECT_TRUE(s.Computers.at("PC04").MailFailed);
  EXPECT_EQ(s.Count(Outcome::Failed), 1);

  // Names compare without case.
  EXPECT_EQ(s.NotSeen, (std::vector<std::string>{"PC05"}));

  ASSERT_EQ(s.Causes.size(), 1u);
  EXPECT_EQ(s.Causes[0].Number, -2147023095);
  EXPECT_EQ(s.Causes[0].Targets.at("\\\\NEWSRV2\\SALES"), (std::set<std::string>{"PC02"}));

  // OLDSRV1 and OLDSRV2 had printers moved away; PC02's SALES stayed behind.
  EXPECT_EQ(s.OldServers, (std::set<std::string>{"OLDSRV1", "OLDSRV2"}));
  ASSERT_EQ(s.Computers.at("PC02").OnOldServers.size(), 1u);
  EXPECT_EQ(s.Computers.at("PC02").OnOldServers[0].Printer, "SALES");
  EXPECT_TRUE(s.Computers.at("PC01").OnOldServers.empty());
}

TEST_F(Share, DriversAreCountedByTheComputersTheirLatestRunHeldBack) {
  // PC01 and PC02 wait for the same driver; PC02's debug file, written
  // after its output file, tells the same run.
  Put("PC01_FAILED_report.txt", Block(kHeldRunHead + HeldBlock("\\\\NEWSRV2\\SALES", "Contoso")));
  Put("PC02_FAILED_report.txt", Block(kHeldRunHead + HeldBlock("\\\\NEWSRV2\\SALES", "Contoso")));
  PutDebug("PC02",
           ">> Held back by its driver: \\\\NEWSRV2\\SALES\r\n>> Driver: Contoso\r\n"
           ">> Cause: no\r\n" +
               Progress("True"));
  // PC03 was held back once, then its driver came and the move was made.
  Put("PC03_FAILED_report.txt", Block(kHeldRunHead + HeldBlock("\\\\NEWSRV2\\SALES", "Contoso")));
  Put("PC03_SUCCESS_report.txt", Block(kSucceededRun));
  // PC04 waits for two drivers and failed at something else as well.
  Put("PC04_FAILED_report.txt",
      Block(kHeldRunHead + HeldBlock("\\\\NEWSRV2\\SALES", "Contoso") +
            HeldBlock("\\\\NEWSRV1\\ACCOUNTING", "Fabrikam Plot") +
            "Error in adding/migrating network printer: \\\\NEWSRV1\\X\r\n"
            "> Error Number: 5\r\n> Error Description: Access is denied.\r\n"));
  auto s = Read();
  EXPECT_EQ(s.Count(Outcome::HeldBack), 2);
  EXPECT_EQ(s.Count(Outcome::Failed), 1);
  EXPECT_EQ(s.Computers.at("PC03").Result, Outcome::Succeeded);
  EXPECT_TRUE(s.Computers.at("PC03").Held.empty());
  EXPECT_EQ(s.DriversToInstall,
            (std::map<std::string, std::set<std::string>>{{"Contoso", {"PC01", "PC02", "PC04"}},
                                                          {"Fabrikam Plot", {"PC04"}}}));
  // A held-back computer keeps its old connection, and it is listed.
  ASSERT_EQ(s.Computers.at("PC01").OnOldServers.size(), 1u);
  EXPECT_EQ(s.Computers.at("PC01").OnOldServers[0].Printer, "SALES");

  const std::string table = RenderTable(s);
  EXPECT_NE(table.find("Drivers to install: Contoso \xE2\x80\x94 3 computers\n"), std::string::npos)
      << table;
  EXPECT_NE(table.find("Drivers to install: Fabrikam Plot \xE2\x80\x94 1 computers\n"),
            std::string::npos)
      << table;
  const std::string csv = RenderCsv(s);
  EXPECT_NE(csv.find("\nPC01,held back by a driver,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\\\\NEWSRV2\\SALES = Contoso (this user may not install printer drivers)"),
            std::string::npos)
      << csv;
  EXPECT_NE(csv.find("\n,driver to install,,Contoso,Drivers to install: Contoso \xE2\x80\x94 3 "
                     "computers,,,\"PC01, PC02, PC04\"\n"),
            std::string::npos)
      << csv;
  const std::string json = RenderJson(s);
  EXPECT_NE(json.find("\"drivers_to_install\": [{\"driver\": \"Contoso\", \"computers\": 3, "
                      "\"names\": [\"PC01\", \"PC02\", \"PC04\"]}, {\"driver\": \"Fabrikam "
                      "Plot\", \"computers\": 1, \"names\": [\"PC04\"]}]"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"held_back\": 2}"), std::string::npos) << json;
}

TEST_F(Share, AComputerCountsAsMigratedFromItsFirstSuccessfulRun) {
  Put("PC01_FAILED_report.txt", Block(kFailedRun), 1'700'000'100);
  Put("PC01_SUCCESS_report.txt", Block(kSucceededRun), 1'700'000'200);
  Put("PC01_SUCCESS_again.txt", Block(kSucceededRun), 1'700'000'300);
  // Only ever seen skipping its run: migrated by then at the latest.
  PutDebug("PC02", ">> Registry Key Value: True\r\n");
  Touch("PC02.debug", 1'700'000'400);
  // Migrated once, failed since: not migrated now.
  Put("PC03_SUCCESS_report.txt", Block(kSucceededRun), 1'700'000'100);
  Put("PC03_FAILED_report.txt", Block(kFailedRun), 1'700'000'200);
  auto s = Read();
  EXPECT_EQ(s.Computers.at("PC01").MigratedAt, 1'700'000'200);
  EXPECT_EQ(s.Computers.at("PC02").MigratedAt, 1'700'000'400);
  EXPECT_EQ(s.Computers.at("PC03").MigratedAt, 0);
}

TEST_F(Share, ADebugFileCutShortLeavesItsComputerIncomplete) {
  const std::string run = Progress("False") + std::string(2000, '.') + "\r\n";
  // PC01 succeeded once; its next run's debug file was cut on the way.
  Put("PC01_SUCCESS_report.txt", Block(kSucceededRun));
  PutDebug("PC01", ">> Opening INI File: x.ini\r\n" + run, 1200);
  // PC02's output and cut debug file come from one run: the output decides.
  Put("PC02_FAILED_report.txt", Block(kFailedRun), 1'600'000'000);
  PutDebug("PC02", run, 800);
  Touch("PC02.debug", 1'600'000'000);
  auto s = Read();
  EXPECT_EQ(s.Computers.at("PC01").Result, Outcome::Incomplete);
  EXPECT_EQ(s.Computers.at("PC02").Result, Outcome::Failed);
  ASSERT_EQ(s.Problems.size(), 2u);
  EXPECT_NE(s.Problems[0].Reason.find("cut short"), std::string::npos) << s.Problems[0].Reason;
  EXPECT_NE(RenderCsv(s).find("\nPC01,incomplete,"), std::string::npos);
}

TEST_F(Share, DamagedFilesAreListedAndTheRestIsStillRead) {
  Put("PC01_SUCCESS_report.txt", Block(kSucceededRun));
  Put("PC02_FAILED_report.txt", Block(kFailedRun).substr(0, 40));
  Put("PC03.debug", "odd");
  Put("sub/PC04_SUCCESS_report.txt", Block(kSucceededRun));
  auto s = Read();
  EXPECT_EQ(s.Computers.size(), 2u);
  EXPECT_TRUE(s.Computers.count("PC04")) << "subfolders are read";
  ASSERT_EQ(s.Problems.size(), 2u);
  EXPECT_NE(s.Problems[0].Path.find("PC02_FAILED_report.txt"), std::string::npos);
  EXPECT_NE(s.Problems[1].Reason.find("odd"), std::string::npos);
  EXPECT_NE(RenderTable(s).find("Skipped files"), std::string::npos);
}

// A client can plant a tree deeper than the reader has handles for; the
// walk names what it left out and counts every computer beside it.
TEST_F(Share, AFolderTooDeepToWalkIsNamedAndEveryComputerBesideItCounted) {
  for (int i = 1; i <= 30; ++i) {
    const std::string pc = std::string(i < 10 ? "PC0" : "PC") + std::to_string(i);
    Put((i % 2 ? "floor1/" : "") + pc + "_SUCCESS_report.txt", Block(kSucceededRun));
  }
  std::vector<fs::path> chain{dir.path() / "deep"};
  for (int level = 1; level < 1100; ++level) chain.push_back(chain.back() / "d");
  for (const fs::path& p : chain) ASSERT_EQ(::mkdir(p.c_str(), 0755), 0) << p;

  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
  rlimit low = old;
  low.rlim_cur = std::min<rlim_t>(old.rlim_cur, 1024);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
  auto s = Read();
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &old), 0);
  // Removed level by level: a recursive removal would hold a handle for each.
  for (auto p = chain.rbegin(); p != chain.rend(); ++p) ::rmdir(p->c_str());

  EXPECT_EQ(s.Computers.size(), 30u);
  ASSERT_EQ(s.Problems.size(), 1u);
  EXPECT_EQ(s.Problems[0].Path, chain[kMaxFolderDepth].string());
  EXPECT_NE(s.Problems[0].Reason.find("levels deep"), std::string::npos) << s.Problems[0].Reason;
}

TEST_F(Share, FilesWithoutOutcomeInTheNameAreSharedOrNamedByAKnownComputer) {
  // One file all clients append to; nobody can be named from it.
  Put("report.txt", Block(kFailedRun) + Block(kSucceededRun) + Block(kSucceededRun));
  // "<computer>_<name>": PC07 is known from its debug file.
  Put("PC07_out.txt", Block(kSucceededRun));
  PutDebug("PC07", ">> Command line parameter: \r\n>> Opening INI File: x.ini\r\n", 0, false);
  // Two files sharing the part after "_" name their computers too.
  Put("PC08_log.txt", Block(kFailedRun));
  Put("PC09_log.txt", Block(kSucceededRun));
  auto s = Read();
  EXPECT_EQ(s.AnonymousRuns, 3);
  EXPECT_EQ(s.AnonymousFailedRuns, 1);
  EXPECT_EQ(s.Computers.at("PC07").Result, Outcome::Succeeded);
  EXPECT_EQ(s.Computers.at("PC08").Result, Outcome::Failed);
  EXPECT_EQ(s.Computers.at("PC09").Result, Outcome::Succeeded);
  ASSERT_EQ(s.Causes.size(), 1u);
  EXPECT_EQ(s.Causes[0].AnonymousRuns, 1);
}

TEST_F(Share, ASharedFileNamedLikeAComputersNamesNoComputer) {
  Put("dept_report.txt", Block(kFailedRun) + Block(kSucceededRun));
  // One shared file copied into two sites' folders is one name still.
  Put("site1/team_log.txt", Block(kSucceededRun));
  Put("site2/team_log.txt", Block(kSucceededRun));
  Put("PC01_SUCCESS_report.txt", Block(kSucceededRun));
  auto s = Read();
  std::set<std::string> names;
  for (const auto& [key, c] : s.Computers) names.insert(c.Name);
  EXPECT_EQ(names, (std::set<std::string>{"PC01"}));
  EXPECT_EQ(s.AnonymousRuns, 4);
  EXPECT_EQ(s.AnonymousFailedRuns, 1);
}

// The inventory writes "printer (server)", and a printer's own name may hold
// " (" too: the last parenthesis is the server.
TEST_F(Share, PrinterNamesWithParenthesesStayUnderTheirOldServer) {
  Put("PC01_SUCCESS_report.txt",
      Block("* ----- My Networked Printers ----- *\r\n"
            "HP LaserJet (2nd floor) (OLDSRV1)\r\n"
            "Plotter (A0) (wide) (OLDSRV1)\r\n"
            "SALES (OLDSRV1)\r\n"
            // Not connections: no server, or a parenthesis in the server.
            "Lost ()\r\n"
            "Odd (OLDSRV1) (x))\r\n"
            "* ----- Migrating Networked Printers Between Servers ----- *\r\n"
            "Printer migrated: SALES (OLDSRV1)"));
  Put("PC02_SUCCESS_report.txt",
      Block("* ----- My Networked Printers ----- *\r\n"
            "Copier (east) (OLDSRV1)\r\n"
            "* ----- Migrating Networked Printers Between Servers ----- *\r\n"
            "Printer migrated: Copier (east) (OLDSRV1)"));
  auto s = Read();
  std::vector<std::string> left;
  for (const auto& c : s.Computers.at("PC01").OnOldServers)
    left.push_back(c.Server + ":" + c.Printer);
  EXPECT_EQ(left, (std::vector<std::string>{"OLDSRV1:HP LaserJet (2nd floor)",
                                            "OLDSRV1:Plotter (A0) (wide)"}));
  EXPECT_TRUE(s.Computers.at("PC02").OnOldServers.empty()) << "its copier was moved";
  EXPECT_EQ(s.OldServers, (std::set<std::string>{"OLDSRV1"}));
  const std::string table = RenderTable(s);
  EXPECT_NE(table.find("  \\\\OLDSRV1\n      HP LaserJet (2nd floor)  1: PC01\n"),
            std::string::npos)
      << table;
}

TEST_F(Share, OnlyRegularFilesInsideTheShareAreReadAndTheRestIsCounted) {
  TempDir outside;
  WriteFile(outside.path() / "PC09_FAILED_report.txt", Block(kFailedRun));
  Put("PC01_SUCCESS_report.txt", Block(kSucceededRun));
  // A link to a report inside the share is read; one out of it is not.
  fs::create_symlink(dir.path() / "PC01_SUCCESS_report.txt", dir.path() / "PC02_SUCCESS_x.txt");
  fs::create_symlink(outside.path() / "PC09_FAILED_report.txt", dir.path() / "PC09_FAILED_x.txt");
  fs::create_directory_symlink(outside.path(), dir.path() / "elsewhere");
  // A FIFO would block the read for ever, a dangling link names nothing,
  // and a link to a folder is not walked.
  ASSERT_EQ(::mkfifo((dir.path() / "PC03.debug").c_str(), 0600), 0);
  fs::create_symlink(dir.path() / "gone.txt", dir.path() / "PC04_SUCCESS_report.txt");
  fs::create_directory(dir.path() / "sub");
  fs::create_directory_symlink(dir.path() / "sub", dir.path() / "loop");
  // A sparse file past the cap is refused by its size, unread.
  {
    std::FILE* big = std::fopen((dir.path() / "PC05_SUCCESS_report.txt").c_str(), "w");
    ASSERT_NE(big, nullptr);
    ASSERT_EQ(::ftruncate(::fileno(big), off_t{300} << 20), 0);
    std::fclose(big);
  }

  auto s = Read();
  EXPECT_EQ(s.Computers.size(), 2u);
  EXPECT_TRUE(s.Computers.count("PC02"));
  EXPECT_FALSE(s.Computers.count("PC09"));
  EXPECT_EQ(s.NotRegularFiles, 3);
  EXPECT_EQ(s.LinksLeavingShare, 2);
  ASSERT_EQ(s.Problems.size(), 1u);
  EXPECT_NE(s.Problems[0].Reason.find("larger than"), std::string::npos) << s.Problems[0].Reason;
  const std::string table = RenderTable(s);
  EXPECT_NE(table.find("skipped: 3 (not regular files), 2 (links leaving the share)"),
            std::string::npos)
      << table;
  EXPECT_NE(RenderJson(s).find("\"not_regular\": 3, \"links_leaving_share\": 2"),
            std::string::npos);
}

TEST_F(Share, NamesThatAreNoUtf8AreReadInTheClientsCodePage) {
  ASSERT_TRUE(UseAnsiCodePage("windows-1250").ok());
  Put("\xA3\xD3"
      "D\x8F_SUCCESS_report.txt",
      Block(kSucceededRun));
  auto s = Read();
  ASSERT_TRUE(UseAnsiCodePage("").ok());
  ASSERT_EQ(s.Computers.size(), 1u);
  EXPECT_EQ(s.Computers.begin()->second.Name, "ŁÓDŹ");
}

// What clients wrote is data in every output: no formula for a
// spreadsheet, always valid JSON, no control sequence for a terminal.
TEST(Render, TextFromTheShareCannotActOnWhatReadsTheReport) {
  FleetBuilder b("/srv/share");
  RunReport run;
  run.Result = Outcome::Failed;
  run.HasInventory = true;
  run.Inventory.push_back({"=HYPERLINK(\"http://x\")", "OLD"});
  run.Migrated.push_back({"A", "OLD"});
  run.Failures.push_back({"adding the new connection", "@SUM(1)", 5, "\x1B]0;owned\x07\xC2\x9B"});
  b.Add("+PC01\x1B[2J", Source::OutputFile, 1, run);
  b.Add("PC\xFF\x7F", Source::OutputFile, 1, run);
  b.Add("=cmd|' /C calc'!A0", Source::OutputFile, 1, run);
  b.AddProblem("\t-x\r", "\x1B[31m");
  auto s = b.Finish();

  const std::string csv = RenderCsv(s);
  for (const char* field : {"\n'+PC01", "\n'=cmd|", ",\"'\t-x\r\""})
    EXPECT_NE(csv.find(field), std::string::npos) << field << "\n" << csv;
  EXPECT_EQ(csv.find(",="), std::string::npos) << csv;
  EXPECT_EQ(csv.find(",@"), std::string::npos) << csv;
  // A spreadsheet opened in a terminal, or the file sent through cat, must
  // not get the escape sequences either.
  EXPECT_EQ(test::RawControlIn(csv, "\t\r\n"), "") << csv;
  EXPECT_NE(csv.find("'+PC01\\x1B[2J"), std::string::npos) << csv;

  const std::string json = RenderJson(s);
  EXPECT_EQ(test::RawControlIn(json), "") << json;
  for (unsigned char c : json) EXPECT_TRUE(c >= 0x20 || c == '\n') << int(c);
  EXPECT_NE(json.find("\"PC\\ufffd\\u007f\""), std::string::npos) << json;
  EXPECT_NE(json.find("\\u001b]0;owned\\u0007"), std::string::npos) << json;

  const std::string table = RenderTable(s);
  EXPECT_TRUE(IsValidUtf8(table));
  for (unsigned char c : table) EXPECT_TRUE(c >= 0x20 || c == '\n') << int(c);
  EXPECT_EQ(table.find("\xC2\x9B"), std::string::npos) << "C1 controls are escaped too";
  EXPECT_NE(table.find("+PC01\\x1B[2J"), std::string::npos) << table;
  EXPECT_NE(table.find("PC\\xFF\\x7F"), std::string::npos) << table;
}

TEST(OldServers, NamedByTheAdministratorOrLearntFromAnyComputer) {
  auto run = [](std::vector<Connection> inventory, std::vector<Connection> migrated) {
    RunReport r;
    r.Result = Outcome::Succeeded;
    r.HasInventory = true;
    r.Inventory = std::move(inventory);
    r.Migrated = std::move(migrated);
    return r;
  };
  FleetBuilder b("share");
  b.Add("PC01", Source::OutputFile, 1, run({{"A", "OLD1"}}, {{"A", "old1"}}));
  // PC02 had nothing moved, but OLD1 is old since PC01 moved away from it.
  b.Add("PC02", Source::OutputFile, 1, run({{"B", "Old1"}, {"C", "LEGACY"}, {"D", "NEW"}}, {}));
  b.AddOldServer("legacy");
  auto s = b.Finish();
  EXPECT_EQ(s.OldServers, (std::set<std::string>{"OLD1", "LEGACY"}));
  EXPECT_TRUE(s.Computers.at("PC01").OnOldServers.empty());
  ASSERT_EQ(s.Computers.at("PC02").OnOldServers.size(), 2u);
  EXPECT_EQ(s.Computers.at("PC02").OnOldServers[1].Server, "LEGACY");
}

TEST(Render, CsvAndJsonQuoteWhatTheyCarry) {
  FleetBuilder b("/srv/share");
  RunReport run;
  run.Result = Outcome::Failed;
  run.Failures.push_back({"adding the new connection", "\\\\NEW\\A,B", 5, "Access \"denied\"\r\n"});
  b.Add("PC,01", Source::OutputFile, 1, run);
  auto s = b.Finish();
  const std::string csv = RenderCsv(s);
  EXPECT_NE(csv.find("\"PC,01\",failed,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\"5 Access \"\"denied\"\"\r\n (adding"), std::string::npos) << csv;
  const std::string json = RenderJson(s);
  EXPECT_NE(json.find("\"description\": \"Access \\\"denied\\\"\\r\\n\""), std::string::npos)
      << json;
  EXPECT_NE(json.find("\"target\": \"\\\\\\\\NEW\\\\A,B\""), std::string::npos) << json;
}

}  // namespace
}  // namespace velloran::fleet
