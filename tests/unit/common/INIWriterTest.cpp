// The settings writer: the bytes it produces, what it leaves alone, what it
// reports, and what reads back.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "common/modINIDocument.h"
#include "tests/support/Fakes.h"
#include "tests/unit/common/ExampleDocument.h"
#include "tests/unit/common/RecordingProfile.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class INIWriter : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = (dir / "doc.ini").string();
  INIDocument doc{SystemProfile(), path};
};

TEST_F(INIWriter, ExampleRecordGivesTheExampleFile) {
  INISettings s = test::ExampleRecord();
  ASSERT_TRUE((doc.WriteINISettings(s)).ok());
  EXPECT_EQ(ReadFile(path), test::kExampleFile);
}

TEST_F(INIWriter, NewDocumentWritesEveryKeyWithDefaults) {
  INISettings s;
  ResetINISettings(s);
  ASSERT_TRUE((doc.WriteINISettings(s)).ok());
  // Every key, in the order and with the blanks the engine's reader expects.
  EXPECT_EQ(ReadFile(path),
            ReadFile(fs::path(VELLORAN_SOURCE_DIR) / "tests/unit/common/new-document.ini"));

  // Empty texts hold the blank that was saved; ServerPort kept its default.
  EXPECT_EQ(s.DomainName, " ");
  EXPECT_EQ(s.EmailSubject, " ");
  EXPECT_EQ(s.SuccessMessage, " ");
  EXPECT_EQ(s.DeploymentPath, " ");
  EXPECT_EQ(s.ServerPort, "25");
  // Lists are joined into the file only: the record's empty lists stay empty.
  EXPECT_TRUE(s.EmailTo.empty());
}

TEST_F(INIWriter, ResetGivesTheNewDocumentDefaults) {
  INISettings s = test::ExampleRecord();
  s.ServerPairs.resize(5, {"A", "B"});
  s.MDACOption = 2;
  s.UseActiveDirectory = true;
  s.AlwaysRun = true;
  ResetINISettings(s);
  INISettings expected;
  expected.ServerPort = "25";
  EXPECT_EQ(s, expected);
}

TEST_F(INIWriter, KeepsForeignSectionsKeysAndCommentsInPlace) {
  const std::string before =
      "; deployment for building 7\n"
      "[GENERAL]\n"
      "UseActiveDirectory = True\n"
      "Owner=IT\n"
      "\n"
      "[LOCAL NOTES]\n"
      "Note=keep me\n"
      "\n"
      "[support]\n"
      "debugon=True\n";
  WriteFile(path, before);
  INISettings s;
  ResetINISettings(s);
  s.UseManualDefinitions = true;
  ASSERT_TRUE((doc.WriteINISettings(s)).ok());
  std::string after = ReadFile(path);
  EXPECT_TRUE(
      after.starts_with("; deployment for building 7\n"
                        "[GENERAL]\n"
                        "UseActiveDirectory=False\n"
                        "Owner=IT\n"
                        "UseManualDefinitions=True\n"
                        "AlwaysRun=False\n"
                        "\n"
                        "[LOCAL NOTES]\n"
                        "Note=keep me\n"
                        "\n"
                        "[support]\n"
                        "debugon=False\n"
                        "[ACTIVE DIRECTORY]\n"
                        "DomainName= \n"))
      << after;
  EXPECT_EQ(after.find("\r"), std::string::npos);
  EXPECT_TRUE(
      after.ends_with("[DEPLOYMENT]\n"
                      "DeploymentPath= \n"
                      "CreateWebLaunchPage=False\n"
                      "CreateBatchFile=False\n"
                      "IncludeMDAC=False\n"
                      "MDACOption=0\n"))
      << after;

  // A second save changes nothing: every key is found in place.
  ASSERT_TRUE((doc.WriteINISettings(s)).ok());
  EXPECT_EQ(ReadFile(path), after);
}

TEST(INIWriterLists, JoinsNonBlankEntriesOfEachKeyOnItsOwn) {
  test::RecordingProfile profile;
  INIDocument doc(profile, "x.ini");
  ASSERT_TRUE((doc.WriteServerPairs({{"OLD", "NEW"}})).ok());
  ASSERT_TRUE(
      (doc.WritePrinterPairs({{"", "P0"}, {"F1", "T1"}, {"Error in From Printer Name", "T2"}}))
          .ok());
  ASSERT_TRUE((doc.WriteMixedPairs({{"S1", "", "Q1", "T1"}, {"S2", "P2", "", ""}})).ok());
  ASSERT_TRUE((doc.WriteEmailToList({"", " a@x.test ", "b@y.test", ""})).ok());
  ASSERT_TRUE((doc.WriteMixedPairs({})).ok());
  EXPECT_EQ(profile.Writes,
            (std::vector<std::string>{
                "MANUAL DEFINITIONS SERVERS|FromServers=OLD",
                "MANUAL DEFINITIONS SERVERS|ToServers=NEW",
                "MANUAL DEFINITIONS PRINTERS|FromPrinters=F1,Error in From Printer Name",
                "MANUAL DEFINITIONS PRINTERS|ToPrinters=P0,T1,T2",
                "MANUAL DEFINITIONS MIXED|FromServers=S1,S2",
                "MANUAL DEFINITIONS MIXED|FromPrinters=P2",
                "MANUAL DEFINITIONS MIXED|ToServers=T1",
                "MANUAL DEFINITIONS MIXED|ToPrinters=Q1",
                "NOTIFICATION SMTP|EmailTo= a@x.test ,b@y.test",
                "MANUAL DEFINITIONS MIXED|FromServers= ",
                "MANUAL DEFINITIONS MIXED|FromPrinters= ",
                "MANUAL DEFINITIONS MIXED|ToServers= ",
                "MANUAL DEFINITIONS MIXED|ToPrinters= ",
            }));
}

TEST(INIWriterValues, WritesSwitchesAndNumbersAsText) {
  test::RecordingProfile profile;
  INIDocument doc(profile, "x.ini");
  std::string empty, kept = "  spaced  ";
  ASSERT_TRUE((doc.WriteINIBoolean("S", "On", true)).ok());
  ASSERT_TRUE((doc.WriteINIBoolean("S", "Off", false)).ok());
  ASSERT_TRUE((doc.WriteINIInteger("S", "Min", -32768)).ok());
  ASSERT_TRUE((doc.WriteINIInteger("S", "Max", 32767)).ok());
  ASSERT_TRUE((doc.WriteINIString("S", "Empty", empty)).ok());
  ASSERT_TRUE((doc.WriteINIString("S", "Kept", kept)).ok());
  EXPECT_EQ(profile.Writes,
            (std::vector<std::string>{"S|On=True", "S|Off=False", "S|Min=-32768", "S|Max=32767",
                                      "S|Empty= ", "S|Kept=  spaced  "}));
  EXPECT_EQ(empty, " ");
  EXPECT_EQ(kept, "  spaced  ");
}

TEST(INIWriterFailure, ReturnsFirstFailureAndStillWritesTheRest) {
  test::RecordingProfile profile;
  profile.FailFirstWrites = 2;
  INIDocument doc(profile, "x.ini");
  INISettings s;
  ResetINISettings(s);
  Status st = doc.WriteINISettings(s);
  ASSERT_FALSE(st.ok());
  EXPECT_EQ(st.error().Number, 101);
  ASSERT_EQ(profile.Writes.size(), 35u);
  EXPECT_EQ(profile.Writes.front(), "GENERAL|UseActiveDirectory=False");
  EXPECT_EQ(profile.Writes.back(), "SUPPORT|DebugOn=False");
}

TEST_F(INIWriter, SaveIntoMissingFolderReportsTheFailure) {
  INIDocument lost(SystemProfile(), (dir / "gone" / "doc.ini").string());
  INISettings s = test::ExampleRecord();
  Status st = lost.WriteINISettings(s);
  ASSERT_FALSE(st.ok());
  EXPECT_EQ(st.error().Number, ENOENT);
}

TEST_F(INIWriter, WrittenRecordReadsBackTheSame) {
  INISettings s;
  s.UseActiveDirectory = true;
  s.AlwaysRun = true;
  s.DomainName = "corp.example.test";
  s.ServerPairs = {{"OLD1", "NEW1"}, {"OLD2", "NEW2"}, {"OLD3", "NEW3"}};
  s.PrinterPairs = {{"P", "Q"}};
  s.MixedPairs = {{"S1", "P1", "Q1", "T1"}, {"S2", "P2", "Q2", "T2"}};
  s.UseSMTP = true;
  s.SMTPServerNameOrIP = "192.0.2.25";
  s.ServerPort = "2525";
  s.EmailSubject = "Printer migration";
  s.EmailTo = {"a@x.test", " b@x.test"};
  s.EmailFrom = "velloran@x.test";
  s.UseFileOutput = true;
  s.FileOutputPath = "\\\\SRV\\OUT";
  s.FileOutputName = "out.txt";
  s.IncludeComputerName = true;
  s.WriteToEventLog = true;
  s.UseClientPopup = true;
  s.UseFailureClientPopup = true;
  s.FailureMessage = "Call 555.^CRLFThanks";
  s.DeploymentPath = "/srv/deploy";
  s.CreateBatchFile = true;
  s.IncludeMDAC = true;
  s.MDACOption = 2;
  s.DebugOn = true;

  INISettings written = s;
  ASSERT_TRUE((doc.WriteINISettings(written)).ok());
  INISettings back;
  doc.ReadINISettings(back);

  // What does not survive: empty texts (a blank after writing, empty after
  // reading) and nothing else for a record of the reader's own shapes.
  EXPECT_EQ(written.SuccessMessage, " ");
  EXPECT_EQ(back.SuccessMessage, "");
  EXPECT_EQ(back, s);
}

TEST_F(INIWriter, LongTextsAreCutWhenReadBack) {
  INISettings s;
  ResetINISettings(s);
  s.SuccessMessage = std::string(60, 'a') + "^CRLF" + std::string(55, 'b');  // 120 characters
  s.FileOutputPath = "\\\\SRV\\SHARE\\\\";
  ASSERT_TRUE((doc.WriteINISettings(s)).ok());
  INISettings back;
  doc.ReadINISettings(back);
  EXPECT_EQ(back.SuccessMessage, s.SuccessMessage.substr(0, 99));
  EXPECT_EQ(back.FileOutputPath, "\\\\SRV\\SHARE\\");
}

}  // namespace
}  // namespace velloran
