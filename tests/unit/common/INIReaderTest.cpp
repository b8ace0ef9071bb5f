// The settings reader against real INI files, plus a recording backend for
// the order of the keys and the buffer each one is read with.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "common/modINIDocument.h"
#include "tests/support/Fakes.h"
#include "tests/unit/common/ExampleDocument.h"
#include "tests/unit/common/RecordingProfile.h"

namespace velloran {
namespace {

using test::TempDir;
using test::WriteFile;

class INIReader : public ::testing::Test {
 protected:
  /// Reads `file` (CR LF lines) into a fresh record.
  INISettings Read(const std::string& file) {
    WriteFile(path, file);
    INISettings s;
    doc.ReadINISettings(s);
    return s;
  }

  TempDir dir;
  std::string path = (dir / "settings.ini").string();
  std::vector<std::string> logged;
  INIDocument doc{SystemProfile(), path, [this](std::string_view l) { logged.emplace_back(l); }};
};

TEST_F(INIReader, ExampleFileReadsBack) {
  INISettings s = Read(test::kExampleFile);
  EXPECT_EQ(s, test::ExampleRecord());
  EXPECT_EQ(s.ServerPairs.size(), 2u);
  EXPECT_EQ(s.PrinterPairs.size(), 1u);
  EXPECT_TRUE(s.MixedPairs.empty());
  EXPECT_TRUE(s.EmailTo.empty());
  EXPECT_TRUE(logged.empty());
}

TEST_F(INIReader, FileWithoutKeysOrNoFileGivesAbsentValues) {
  const INISettings expected;

  INISettings dirty = test::ExampleRecord();
  dirty.MDACOption = 2;
  dirty.ServerPairs.resize(7, {"X", "Y"});
  doc.ReadINISettings(dirty);  // no file at all
  EXPECT_EQ(dirty, expected);

  EXPECT_EQ(Read("; nothing but a comment\r\n[GENERAL]\r\n[OTHER]\r\nUseSMTP=True\r\n"), expected);
}

TEST_F(INIReader, YesNoIsTrueWhenTheValueContainsTrue) {
  const struct {
    std::string Value;
    bool Expected;
  } cases[] = {{"True", true},    {"TRUE", true},   {"true", true},   {"untrue", true},
               {"-1 true", true}, {"'True'", true}, {"yes", false},   {"-1", false},
               {"1", false},      {"False", false}, {"Tru e", false}, {"", false}};
  for (const auto& c : cases) {
    WriteFile(path, "[GENERAL]\r\nAlwaysRun=" + c.Value + "\r\n");
    EXPECT_EQ(doc.ReadINIBoolean("GENERAL", "AlwaysRun"), c.Expected) << c.Value;
  }
}

TEST_F(INIReader, TextsAndListsAreCutToTheirBuffers) {
  const std::string longText(150, 'm');
  std::string longList;
  while (longList.size() < 12000) longList += "SERVER" + std::to_string(longList.size()) + ",";
  INISettings s = Read("[NOTIFICATION CLIENT POP-UP]\r\nSuccessMessage=" + longText +
                       "\r\n[MANUAL DEFINITIONS SERVERS]\r\nFromServers=" + longList + "\r\n");
  EXPECT_EQ(s.SuccessMessage, std::string(99, 'm'));

  std::string kept = longList.substr(0, 9999);
  size_t entries = static_cast<size_t>(std::count(kept.begin(), kept.end(), ',')) + 1;
  ASSERT_EQ(s.ServerPairs.size(), entries);
  EXPECT_EQ(s.ServerPairs.back().FromName, kept.substr(kept.rfind(',') + 1));
  EXPECT_EQ(s.ServerPairs.front().FromName, "SERVER0");
}

// Every list shape of the server keys: the record holds one entry per
// "from" item, from index 0, and writing it gives keys that read back as the
// same record.
TEST_F(INIReader, ServerListShapesReadAndWriteBack) {
  const std::string ph = "Error in From Server Name";
  const std::string toPh = "Error in To Server Name";
  const std::string surplus =
      ">> Ignored surplus entries of ToServers in MANUAL DEFINITIONS SERVERS: ";
  const struct {
    const char* Shape;
    std::string From, To;
    std::vector<NamePair> Entries;
    std::vector<std::string> Logged;
    std::string WrittenFrom, WrittenTo;
  } cases[] = {
      {"no entries", "", "", {}, {}, " ", " "},
      {"a single blank", " ", " ", {}, {}, " ", " "},
      {"one entry", "A", "X", {{"A", "X"}}, {}, "A", "X"},
      {"two entries", "A,B", "X,Y", {{"A", "X"}, {"B", "Y"}}, {}, "A,B", "X,Y"},
      {"four entries",
       "A,B,C,D",
       "W,X,Y,Z",
       {{"A", "W"}, {"B", "X"}, {"C", "Y"}, {"D", "Z"}},
       {},
       "A,B,C,D",
       "W,X,Y,Z"},
      {"a blank item",
       "A,,B",
       "X,Y,Z",
       {{"A", "X"}, {ph, "Y"}, {"B", "Z"}},
       {},
       "A," + ph + ",B",
       "X,Y,Z"},
      {"just a comma",
       ",",
       ",X,",
       {{ph, toPh}, {ph, "X"}},
       {surplus + "1"},
       ph + "," + ph,
       toPh + ",X"},
      {"blanks and tabs around items",
       " OLD 1 ,\tOLD2\t, \t ",
       "",
       {{"OLD 1", ""}, {"OLD2", ""}, {ph, ""}},
       {},
       "OLD 1,OLD2," + ph,
       " "},
      {"'to' without 'from'", "", "X", {}, {surplus + "1"}, " ", " "},
      {"'to' longer than one 'from'", "A", "X,Y", {{"A", "X"}}, {surplus + "1"}, "A", "X"},
      {"'to' longer than two 'from'",
       "A,B",
       "X,Y,Z,W",
       {{"A", "X"}, {"B", "Y"}},
       {surplus + "2"},
       "A,B",
       "X,Y"},
      {"'from' longer than 'to'",
       "A,B,C",
       "X",
       {{"A", "X"}, {"B", ""}, {"C", ""}},
       {},
       "A,B,C",
       "X"},
  };
  const std::string section = "[MANUAL DEFINITIONS SERVERS]\r\n";
  const std::string writtenPath = (dir / "written.ini").string();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Shape);
    logged.clear();
    WriteFile(path, section + "FromServers=" + c.From + "\r\nToServers=" + c.To + "\r\n");
    std::vector<NamePair> list{{"STALE", "STALE"}};
    doc.ReadServerPairs(list);
    EXPECT_EQ(list, c.Entries);
    EXPECT_EQ(logged, c.Logged);

    std::filesystem::remove(writtenPath);
    INIDocument written(SystemProfile(), writtenPath);
    ASSERT_TRUE(written.WriteServerPairs(list).ok());
    EXPECT_EQ(test::ReadFile(writtenPath),
              section + "FromServers=" + c.WrittenFrom + "\r\nToServers=" + c.WrittenTo + "\r\n");
    std::vector<NamePair> back;
    written.ReadServerPairs(back);
    EXPECT_EQ(back, list);
  }
}

TEST_F(INIReader, PrinterPairsUseTheirOwnSectionAndPlaceholders) {
  WriteFile(path,
            "[MANUAL DEFINITIONS SERVERS]\r\nFromPrinters=WRONG\r\n"
            "[MANUAL DEFINITIONS PRINTERS]\r\nFromPrinters=P1,,P3\r\nToPrinters=,Q2\r\n");
  std::vector<NamePair> list;
  doc.ReadPrinterPairs(list);
  EXPECT_EQ(list, (std::vector<NamePair>{{"P1", "Error in To Printer Name"},
                                         {"Error in From Printer Name", "Q2"},
                                         {"P3", ""}}));
}

TEST_F(INIReader, MixedPairsAreSizedByFromServersOnly) {
  WriteFile(path,
            "[MANUAL DEFINITIONS MIXED]\r\n"
            "FromServers=S1\r\n"
            "FromPrinters=P1,,P3\r\n"
            "ToServers=T1\r\n"
            "ToPrinters=Q1,Q2\r\n");
  std::vector<MixedPair> list;
  doc.ReadMixedPairs(list);
  EXPECT_EQ(list, (std::vector<MixedPair>{{"S1", "P1", "Q1", "T1"}}));
  EXPECT_EQ(logged,
            (std::vector<std::string>{
                ">> Ignored surplus entries of FromPrinters in MANUAL DEFINITIONS MIXED: 2",
                ">> Ignored surplus entries of ToPrinters in MANUAL DEFINITIONS MIXED: 1"}));

  logged.clear();
  WriteFile(path, "[MANUAL DEFINITIONS MIXED]\r\nToPrinters=A,B,C\r\nToServers=,\r\n");
  doc.ReadMixedPairs(list);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(logged,
            (std::vector<std::string>{
                ">> Ignored surplus entries of ToServers in MANUAL DEFINITIONS MIXED: 2",
                ">> Ignored surplus entries of ToPrinters in MANUAL DEFINITIONS MIXED: 3"}));

  // Shorter keys leave their fields of the later entries empty.
  logged.clear();
  WriteFile(path, "[MANUAL DEFINITIONS MIXED]\r\nFromServers=S1,S2\r\nFromPrinters=P1\r\n");
  doc.ReadMixedPairs(list);
  EXPECT_EQ(list, (std::vector<MixedPair>{{"S1", "P1", "", ""}, {"S2", "", "", ""}}));
  EXPECT_TRUE(logged.empty());
}

TEST_F(INIReader, EachBlankMixedItemGetsItsOwnKeysPlaceholder) {
  WriteFile(path,
            "[MANUAL DEFINITIONS MIXED]\r\nFromServers=S1, ,S3\r\nFromPrinters=P1,,P3\r\n"
            "ToServers=T1,,T3\r\nToPrinters=Q1,\t,Q3\r\n");
  std::vector<MixedPair> list;
  doc.ReadMixedPairs(list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[1], (MixedPair{"Error in From Server Name", "Error in From Printer Name",
                                "Error in To Printer Name", "Error in To Server Name"}));
  EXPECT_EQ(list[2], (MixedPair{"S3", "P3", "Q3", "T3"}));
}

TEST_F(INIReader, SurplusEntriesWithoutALogAreDroppedQuietly) {
  WriteFile(path, "[MANUAL DEFINITIONS PRINTERS]\r\nFromPrinters=A,B\r\nToPrinters=X,Y,Z,W\r\n");
  INIDocument quiet(SystemProfile(), path);
  std::vector<NamePair> list;
  quiet.ReadPrinterPairs(list);
  EXPECT_EQ(list, (std::vector<NamePair>{{"A", "X"}, {"B", "Y"}}));
}

TEST_F(INIReader, EmailEntriesKeepTheirBlanks) {
  WriteFile(path, "[NOTIFICATION SMTP]\r\nEmailTo=  a@x.test, b@y.test ,  ,c@z.test\r\n");
  std::vector<std::string> list;
  doc.ReadEmailToList(list);
  EXPECT_EQ(list, (std::vector<std::string>{"a@x.test", " b@y.test ", "Error in To Email Address",
                                            "c@z.test"}));

  WriteFile(path, "[NOTIFICATION SMTP]\r\nEmailTo=admin@x.test\r\n");
  doc.ReadEmailToList(list);
  EXPECT_EQ(list, (std::vector<std::string>{"admin@x.test"}));

  WriteFile(path, "[NOTIFICATION SMTP]\r\nEmailTo= \r\n");
  doc.ReadEmailToList(list);
  EXPECT_TRUE(list.empty());
}

// The read buffer is trimmed as a whole: spaces kept inside quotes go at the
// front, while at the back the terminating zero shields them.
TEST_F(INIReader, QuotedValuesLoseLeadingSpacesOnly) {
  INISettings s = Read(
      "[NOTIFICATION FILE OUTPUT]\r\nFileOutputPath=\"  /tmp/x\"\r\nFileOutputName=\" out.txt "
      "\"\r\n"
      "[NOTIFICATION SMTP]\r\nEmailTo=\" a@x.test, b@y.test\"\r\n"
      "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=' OLD'\r\n");
  EXPECT_EQ(s.FileOutputPath, "/tmp/x");
  EXPECT_EQ(s.FileOutputName, "out.txt ");
  EXPECT_EQ(s.EmailTo, (std::vector<std::string>{"a@x.test", " b@y.test"}));
  EXPECT_EQ(s.ServerPairs.at(0).FromName, "OLD");
}

// Only the first copy of a section counts, for plain keys and lists alike.
TEST_F(INIReader, RepeatedSectionIsIgnoredForEveryKey) {
  INISettings s = Read(
      "[NOTIFICATION SMTP]\r\nEmailFrom=first@x.test\r\n"
      "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=A\r\n"
      "[NOTIFICATION SMTP]\r\nEmailFrom=second@x.test\r\nEmailTo=later@x.test\r\n"
      "[MANUAL DEFINITIONS SERVERS]\r\nToServers=B\r\n");
  EXPECT_EQ(s.EmailFrom, "first@x.test");
  EXPECT_TRUE(s.EmailTo.empty());
  EXPECT_EQ(s.ServerPairs.at(0).FromName, "A");
  EXPECT_EQ(s.ServerPairs.at(0).ToName, "");
}

// Windows ANSI text arrives as UTF-8, whatever form the file is in.
TEST_F(INIReader, AnsiAndUtf16FilesReadAlike) {
  const std::string ansi =
      "[ACTIVE DIRECTORY]\r\nDomainName=Gr\xFC\xDF"
      "e\r\n[GENERAL]\r\nAlwaysRun=True\r\n";
  INISettings fromAnsi = Read(ansi);
  EXPECT_EQ(fromAnsi.DomainName, "Grüße");
  EXPECT_TRUE(fromAnsi.AlwaysRun);

  std::string utf16 = "\xFF\xFE";
  for (char16_t u : std::u16string(
           u"[ACTIVE DIRECTORY]\r\nDomainName=Grüße\r\n[GENERAL]\r\nAlwaysRun=True\r\n")) {
    utf16 += static_cast<char>(u & 0xFF);
    utf16 += static_cast<char>(u >> 8);
  }
  EXPECT_EQ(Read(utf16), fromAnsi);
  // Old editors end lines with CR alone.
  std::string crOnly = ansi;
  for (size_t at; (at = crOnly.find("\r\n")) != std::string::npos;) crOnly.replace(at, 2, "\r");
  EXPECT_EQ(Read(crOnly), fromAnsi);
}

TEST_F(INIReader, FolderTextsLoseOneTrailingBackslash) {
  const struct {
    std::string Value, Expected;
  } cases[] = {{"\\\\SRV\\SHARE\\", "\\\\SRV\\SHARE"},
               {"\\\\SRV\\SHARE\\\\", "\\\\SRV\\SHARE\\"},
               {"\\", ""},
               {"C:\\OUT", "C:\\OUT"},
               {"", ""}};
  for (const auto& c : cases) {
    INISettings s = Read("[NOTIFICATION FILE OUTPUT]\r\nFileOutputPath=" + c.Value +
                         "\r\n[DEPLOYMENT]\r\nDeploymentPath=" + c.Value + "\r\n");
    EXPECT_EQ(s.FileOutputPath, c.Expected) << c.Value;
    EXPECT_EQ(s.DeploymentPath, c.Expected) << c.Value;
  }
  // Other texts keep theirs.
  EXPECT_EQ(Read("[NOTIFICATION FILE OUTPUT]\r\nFileOutputName=a\\\r\n").FileOutputName, "a\\");
}

TEST(LeadingNumber, RoundsHalfToEvenAndClampsTo16Bits) {
  const struct {
    std::string Text;
    int16_t Expected;
  } cases[] = {
      {"0", 0},
      {"2", 2},
      {"1.5", 2},
      {"2.5", 2},
      {"3.5", 4},
      {"-2.5", -2},
      {"-3.5", -4},
      {"0.5", 0},
      {"0.50001", 1},
      {"2.4999", 2},
      {".5", 0},
      {".51", 1},
      {"+7", 7},
      {"00012", 12},
      {"12abc", 12},
      {"1.2.3", 1},
      {" 1 2 ", 12},
      {"1\t2\n3", 123},
      {"- 4", -4},
      {"1\r2", 1},
      {"1e1", 10},
      {"1E+2", 100},
      {"25e-1", 2},
      {"35E-1", 4},
      {"1e", 1},
      {"1e+", 1},
      {"2.5e0", 2},
      {"1.5e-100000", 0},
      {"", 0},
      {"x", 0},
      {"-", 0},
      {".", 0},
      {"e5", 0},
      {"NaN", 0},
      {"inf", 0},
      {"0x10", 0},
      {"&H10", 0},
      {"-0", 0},
      {"-0.4", 0},
      {"32767", 32767},
      {"-32768", -32768},
      // Outside the 16-bit range: the nearest end of it.
      {"32768", 32767},
      {"32767.5", 32767},
      {"-32769", -32768},
      {"-32768.5", -32768},
      {"99999", 32767},
      {"100000", 32767},
      {"1e4", 10000},
      {"1e5", 32767},
      {"1e999999999999999999999", 32767},
      {"-1e99999", -32768},
      {std::string(400, '9'), 32767},
      {"0." + std::string(1000, '0') + "1", 0},
      {"0.000000000000000000000000000000000000001e40", 10},
  };
  for (const auto& c : cases) EXPECT_EQ(LeadingNumberToInt16(c.Text), c.Expected) << c.Text;
}

TEST_F(INIReader, MDACOptionReadsByTheLeadingNumberRule) {
  EXPECT_EQ(Read("[DEPLOYMENT]\r\nMDACOption=1.5\r\n").MDACOption, 2);
  EXPECT_EQ(Read("[DEPLOYMENT]\r\nMDACOption=2.5\r\n").MDACOption, 2);
  EXPECT_EQ(Read("[DEPLOYMENT]\r\nMDACOption=B\r\n").MDACOption, 0);
  EXPECT_EQ(Read("[DEPLOYMENT]\r\nMDACOption=-70000\r\n").MDACOption, -32768);
}

TEST(INIReaderOrder, ReadsEveryKeyInFileOrderWithItsBuffer) {
  test::RecordingProfile profile;
  INIDocument doc(profile, "x.ini");
  INISettings s;
  doc.ReadINISettings(s);
  const std::vector<std::string> expected = {
      "GENERAL|UseActiveDirectory|100",
      "GENERAL|UseManualDefinitions|100",
      "GENERAL|AlwaysRun|100",
      "ACTIVE DIRECTORY|DomainName|100",
      "MANUAL DEFINITIONS SERVERS|FromServers|10000",
      "MANUAL DEFINITIONS SERVERS|ToServers|10000",
      "MANUAL DEFINITIONS PRINTERS|FromPrinters|10000",
      "MANUAL DEFINITIONS PRINTERS|ToPrinters|10000",
      "MANUAL DEFINITIONS MIXED|FromServers|10000",
      "MANUAL DEFINITIONS MIXED|FromPrinters|10000",
      "MANUAL DEFINITIONS MIXED|ToServers|10000",
      "MANUAL DEFINITIONS MIXED|ToPrinters|10000",
      "NOTIFICATION SMTP|UseSMTP|100",
      "NOTIFICATION SMTP|SMTPServerNameOrIP|100",
      "NOTIFICATION SMTP|ServerPort|100",
      "NOTIFICATION SMTP|EmailSubject|100",
      "NOTIFICATION SMTP|EmailTo|10000",
      "NOTIFICATION SMTP|EmailFrom|100",
      "NOTIFICATION FILE OUTPUT|UseFileOutput|100",
      "NOTIFICATION FILE OUTPUT|FileOutputPath|100",
      "NOTIFICATION FILE OUTPUT|FileOutputName|100",
      "NOTIFICATION FILE OUTPUT|IncludeComputerName|100",
      "NOTIFICATION FILE OUTPUT|IncludeOutcome|100",
      "NOTIFICATION FILE OUTPUT|WriteToEventLog|100",
      "NOTIFICATION CLIENT POP-UP|UseClientPopup|100",
      "NOTIFICATION CLIENT POP-UP|UseSuccessClientPopup|100",
      "NOTIFICATION CLIENT POP-UP|SuccessMessage|100",
      "NOTIFICATION CLIENT POP-UP|UseFailureClientPopup|100",
      "NOTIFICATION CLIENT POP-UP|FailureMessage|100",
      "DEPLOYMENT|DeploymentPath|100",
      "DEPLOYMENT|CreateWebLaunchPage|100",
      "DEPLOYMENT|CreateBatchFile|100",
      "DEPLOYMENT|IncludeMDAC|100",
      "DEPLOYMENT|MDACOption|100",
      "SUPPORT|DebugOn|100",
  };
  EXPECT_EQ(profile.Reads, expected);
}

TEST_F(INIReader, AnyContentReadsWithoutHarm) {
  // Random bytes, and random mixtures of the pieces INI files are made of.
  const std::vector<std::string> pieces = {"[GENERAL]",
                                           "[MANUAL DEFINITIONS SERVERS]",
                                           "[MANUAL DEFINITIONS MIXED]",
                                           "[DEPLOYMENT]",
                                           "[NOTIFICATION SMTP]",
                                           "FromServers=",
                                           "ToServers=",
                                           "ToPrinters=",
                                           "EmailTo=",
                                           "MDACOption=",
                                           "DebugOn=",
                                           "FileOutputPath=",
                                           ",",
                                           ",,",
                                           "\\",
                                           "\"",
                                           "'",
                                           "=",
                                           "[",
                                           "]",
                                           ";",
                                           " ",
                                           "\t",
                                           "\r\n",
                                           "\n",
                                           "\r",
                                           std::string(1, '\0'),
                                           "1e99999",
                                           "-",
                                           ".",
                                           "True",
                                           std::string(5000, 'A'),
                                           std::string(3000, ',')};
  std::mt19937 rng(20261207);
  for (int round = 0; round < 300; ++round) {
    std::string file;
    if (round % 3 == 0) {
      std::uniform_int_distribution<int> byte(0, 255);
      for (int i = 0; i < 2000; ++i) file.push_back(static_cast<char>(byte(rng)));
    } else {
      std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
      for (int i = 0; i < 200; ++i) file += pieces[pick(rng)];
    }
    INISettings s = Read(file);
    // Entries come from items of the sizing key only, a blank item as its
    // placeholder: none has its sizing text empty.
    for (const NamePair& p : s.ServerPairs) ASSERT_FALSE(p.FromName.empty());
    for (const NamePair& p : s.PrinterPairs) ASSERT_FALSE(p.FromName.empty());
    for (const MixedPair& p : s.MixedPairs) ASSERT_FALSE(p.FromServer.empty());
    for (const std::string& address : s.EmailTo) ASSERT_FALSE(address.empty());
    ASSERT_LE(s.FileOutputPath.size(), 99u);
    ASSERT_LE(s.ServerPairs.size(), 5000u);
  }
}

}  // namespace
}  // namespace velloran
