#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "engine/ComputerName.h"
#include "engine/ErrorRecorder.h"
#include "engine/modDebug.h"
#include "engine/modINIFile.h"
#include "engine/modNotification.h"
#include "tests/support/FakePlatform.h"

namespace velloran {
namespace {

TEST(DebugFileFormat, WorkedExampleGivesTheDocumentedBytes) {
  Bytes bytes = StringToBytes("AB\r\n", true, false);
  EXPECT_EQ(bytes, (Bytes{0x41, 0x00, 0x42, 0x00, 0x0D, 0x00, 0x0A, 0x00}));
  InterleaveBytes(bytes);
  EXPECT_EQ(bytes, (Bytes{0x41, 0x00, 0x00, 0x42, 0x0A, 0x00, 0x00, 0x0D}));
  AccumulateBytes(bytes);
  EXPECT_EQ(bytes, (Bytes{0x41, 0x41, 0x41, 0x83, 0x8D, 0x8D, 0x8D, 0x9A}));
  EXPECT_EQ(EncodeDebugText("AB\r\n"), bytes);
}

TEST(DebugFileFormat, InterleaveTakesEveryByteOnceForOddAndEvenLengths) {
  for (size_t n = 3; n < 40; ++n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i);
    InterleaveBytes(b);
    ASSERT_EQ(b.size(), n);
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[1], 1);
    EXPECT_EQ(b[2], n - 1);
    Bytes sorted = b;
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 0; i < n; ++i) EXPECT_EQ(sorted[i], i) << "length " << n;
  }
  Bytes five{10, 11, 12, 13, 14};  // B0 B1 B4 B2 B3: the positions meet between
  InterleaveBytes(five);
  EXPECT_EQ(five, (Bytes{10, 11, 14, 12, 13}));
}

TEST(DebugFileFormat, StringToBytesForms) {
  EXPECT_EQ(StringToBytes("A\xC3\xA9", false, false), (Bytes{0x41, 0xE9}));  // é is one ANSI byte
  EXPECT_EQ(StringToBytes("\xE2\x82\xAC\xCE\xA9", false, false),
            (Bytes{0x80, 0x3F}));                                        // €, Ω lacking
  EXPECT_EQ(StringToBytes("A", true, true), (Bytes{0x00, 0x41, 0x00}));  // element 1 is the first
  EXPECT_EQ(StringToBytes("\xE2\x82\xAC", true, false), (Bytes{0xAC, 0x20}));  // € U+20AC
  EXPECT_EQ(StringToBytes("\xF0\x9F\x96\xA8", true, false),
            (Bytes{0x3D, 0xD8, 0xA8, 0xDD}));                          // surrogates
  EXPECT_EQ(StringToBytes("\xFF", true, false), (Bytes{0xFD, 0xFF}));  // malformed -> U+FFFD
}

TEST(DebugFileFormat, DecodeInvertsEncodeForRandomTexts) {
  std::mt19937 rng(20261207);
  const std::vector<std::string> pieces = {
      "a",          "Z",  "\r\n", "*", " ", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x96\xA8",
      "\\\\SRV\\Q", "\t", ">> "};
  for (size_t length = 0; length < 300; ++length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) text += pieces[rng() % pieces.size()];
    auto decoded = DecodeDebugBytes(EncodeDebugText(text));
    ASSERT_TRUE(decoded.ok()) << decoded.error().Description;
    EXPECT_EQ(*decoded, text) << "pieces: " << length;
  }
}

TEST(DebugFileFormat, OnePassEncodingMatchesTheThreeSteps) {
  std::mt19937 rng(7);
  for (size_t length = 0; length < 200; ++length) {
    std::string ascii, mixed;
    for (size_t i = 0; i < length; ++i) {
      ascii += static_cast<char>(rng() % 128);
      mixed += static_cast<char>(rng() % 256);
    }
    for (const std::string& text : {ascii, mixed}) {
      Bytes steps = StringToBytes(text, true, false);
      InterleaveBytes(steps);
      AccumulateBytes(steps);
      Bytes reused(3, 0xEE);  // a buffer from an earlier, longer encoding
      EncodeDebugText(text, reused);
      EXPECT_EQ(EncodeDebugText(text), steps) << "length " << length;
      EXPECT_EQ(reused, steps) << "length " << length;
    }
  }
}

TEST(DebugFileFormat, DecodeRejectsWhatCannotBeADebugFile) {
  auto odd = DecodeDebugBytes(Bytes{1, 2, 3});
  ASSERT_FALSE(odd.ok());
  EXPECT_NE(odd.error().Description.find("odd"), std::string::npos);
  // A lone high surrogate: D800 followed by "A".
  Bytes lone = {0x00, 0xD8, 0x41, 0x00};
  InterleaveBytes(lone);
  AccumulateBytes(lone);
  EXPECT_FALSE(DecodeDebugBytes(lone).ok());
}

// A run's text as the engine collects it: banners, the progress lines and
// `middle` between them.
std::string RunText(const std::string& middle) {
  const std::string stars(80, '*');
  std::string text = stars + "\r\n" + std::string(30, '*') + "     BEGIN DEBUG     " +
                     std::string(29, '*') + "\r\n" + stars + "\r\n";
  text += ">> Opening INI File: \\\\SRV\\NETLOGON\\Printers.ini\r\n";
  text += ">> Registry Key Value: False\r\n>> Running Velloran, abort status: False\r\n";
  text += ">> Finished getting network printers, abort status: False\r\n" + middle;
  text += ">> Finished moving via AD, abort status: False\r\n";
  text += ">> Finished moving manual, abort status: False\r\n";
  text += ">> Finished notification, abort status: False\r\n";
  return text + stars + "\r\n" + std::string(31, '*') + "     END DEBUG     " +
         std::string(30, '*') + "\r\n" + stars + "\r\n";
}

TEST(DebugFileLength, WrittenFilesReadWholeAndEveryCutReadsCutShort) {
  // Characters outside ASCII and outside the BMP: the length counts what
  // the file holds, two bytes a character, a surrogate pair as two.
  for (const std::string& text :
       {RunText(">> Added printer connection: \\\\NEWSRV1\\ACCOUNTING\r\n"),
        RunText(">> Added printer connection: \\\\NEWSRV1\\B\xC3\xBCro \xE6\x9D\xB1\xE4\xBA\xAC "
                "\xF0\x9F\x96\xA8\r\n"),
        std::string("x\r\n"), std::string()}) {
    const Bytes file = EncodeDebugText(WithLengthLine(text));
    auto whole = DecodeDebugBytes(file);
    ASSERT_TRUE(whole.ok());
    EXPECT_EQ(DebugTextCutShort(*whole), "") << text;
    EXPECT_EQ(WithoutLengthLine(*whole), text);
    for (size_t keep = 0; keep < file.size(); keep += 2) {
      auto cut = DecodeDebugBytes(Bytes(file.begin(), file.begin() + static_cast<long>(keep)));
      EXPECT_TRUE(!cut.ok() || !DebugTextCutShort(*cut).empty())
          << keep << " of " << file.size() << " bytes of:\n"
          << text;
    }
  }
}

TEST(DebugFileLength, ALengthThatIsNotTheTextsIsACutAndFilesWithoutOneAreJudgedByTheirLines) {
  const std::string run = RunText("");
  const struct {
    std::string Text;
    bool Whole;
  } cases[] = {
      {run + ">> Debug text length: " + std::to_string(run.size()) + "\r\n", true},
      {run + ">> Debug text length: " + std::to_string(run.size() + 1) + "\r\n", false},
      {run + ">> Debug text length: " + std::to_string(run.size() - 1) + "\r\n", false},
      // An earlier engine's files: a whole run, one missing its middle.
      {run, true},
      {run.substr(0, 300) + run.substr(run.find(">> Finished moving manual")), false},
      // Not a length line: no digits, or no line end after them.
      {run + ">> Debug text length: \r\n", false},
      {run + ">> Debug text length: 5", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DebugTextCutShort(c.Text).empty(), c.Whole) << c.Text;
  }
  // Readers skip only a length line the text ends with.
  EXPECT_EQ(WithoutLengthLine(cases[1].Text), run);
  EXPECT_EQ(WithoutLengthLine(run + ">> Debug text length: 5"), run + ">> Debug text length: 5");
}

struct DebugLogFixture : ::testing::Test {
  test::FakePlatform platform;
  test::TempDir dir;
  velloran::Run run{platform.services()};
  void SetUp() override { run.EngineFolder = dir.str(); }
};

TEST_F(DebugLogFixture, LinesAreCollectedOnlyWhileDebugIsOn) {
  run.Settings.DebugOn = true;
  WriteToDebugLog(run, "one");
  run.Settings.DebugOn = false;
  WriteToDebugLog(run, "two");
  run.Settings.DebugOn = true;
  WriteBanner(run, 2, "T", 1);
  EXPECT_EQ(run.DebugText,
            "one\r\n" + std::string(80, '*') + "\r\n**T*\r\n" + std::string(80, '*') + "\r\n");
  ClearDebugLog(run);
  EXPECT_EQ(run.DebugText, "");
}

// The reader's own notes follow the file's DebugOn, like every other line.
TEST_F(DebugLogFixture, ReaderNotesFollowTheFilesDebugSwitch) {
  for (bool on : {false, true}) {
    run.INIFilePath = (dir / "move.ini").string();
    test::WriteFile(run.INIFilePath,
                    "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=A,B\r\nToServers=C,D,E\r\n"
                    "[SUPPORT]\r\nDebugOn=" +
                        std::string(on ? "True" : "False") + "\r\n");
    ClearDebugLog(run);
    run.Settings.DebugOn = true;
    ReadINISettings(run);
    EXPECT_EQ(run.DebugText.find(">> Ignored surplus entries of ToServers") != std::string::npos,
              on)
        << run.DebugText;
  }
}

TEST_F(DebugLogFixture, SaveWritesTheComputersFileAndCutsALongerOldOne) {
  platform.Network.Computer = "PC07";
  test::WriteFile(dir / "PC07.debug", std::string(5000, 'x'));
  run.DebugText = "short\r\n";
  SaveDebugLog(run);
  std::string bytes = test::ReadFile(dir / "PC07.debug");
  auto text = DecodeDebugBytes(Bytes(bytes.begin(), bytes.end()));
  ASSERT_TRUE(text.ok());
  EXPECT_EQ(*text, "short\r\n>> Debug text length: 7\r\n");
  EXPECT_TRUE(platform.Events.Events.empty());
}

TEST_F(DebugLogFixture, TheSameTextAgainOnlyRenewsTheFilesTime) {
  namespace fs = std::filesystem;
  const fs::path file = dir / "PC01.debug";
  run.DebugText = "same\r\n";
  SaveDebugLog(run);
  struct stat first {};
  ASSERT_EQ(::stat(file.c_str(), &first), 0);
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(file, old);

  SaveDebugLog(run);
  struct stat again {};
  ASSERT_EQ(::stat(file.c_str(), &again), 0);
  EXPECT_EQ(again.st_ino, first.st_ino);  // not replaced
  EXPECT_GT(fs::last_write_time(file), old + std::chrono::minutes(59));

  // A text of the same length but other bytes is written.
  run.DebugText = "diff\r\n";
  SaveDebugLog(run);
  std::string bytes = test::ReadFile(file);
  EXPECT_EQ(WithoutLengthLine(*DecodeDebugBytes(Bytes(bytes.begin(), bytes.end()))), "diff\r\n");
  EXPECT_TRUE(platform.Events.Events.empty());
}

TEST_F(DebugLogFixture, SaveUsesTheFallbackNameAndSkipsEmptyText) {
  SaveDebugLog(run);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  platform.Network.CreateFails = PlatformError{429, "no object"};
  run.DebugText = "x\r\n";
  SaveDebugLog(run);
  EXPECT_TRUE(std::filesystem::exists(dir / "Computer UNKNOWN.debug"));
}

TEST_F(DebugLogFixture, AFileThatCannotBeWrittenIsReportedAsEvent20002) {
  std::filesystem::create_directory(dir / "PC01.debug");  // a folder in the file's way
  run.DebugText = "x\r\n";
  SaveDebugLog(run);
  ASSERT_EQ(platform.Events.Events.size(), 1u);
  const auto& e = platform.Events.Events[0];
  EXPECT_EQ(e.Source, "Velloran");
  EXPECT_EQ(e.Type, 2);
  EXPECT_EQ(e.Id, 20002u);
  EXPECT_EQ(e.Text.rfind("Unable to create debug file within folder: 21: ", 0), 0u) << e.Text;
}

TEST(ErrorRecorder, BlocksAppendInOrderAndKeepTheAbortStatus) {
  test::FakePlatform platform;
  velloran::Run run{platform.services()};
  AppendErrorToOutcome(run, "First", PlatformError{-2147023095, "The printer name is invalid."});
  AppendErrorToOutcome(run, "Second", PlatformError{5, ""});
  EXPECT_TRUE(run.AbortStatus);
  EXPECT_EQ(run.OutcomeText,
            "\r\nFirst\r\n> Error Number: -2147023095\r\n> Error Description: The printer name is "
            "invalid."
            "\r\nSecond\r\n> Error Number: 5\r\n> Error Description: ");
}

TEST(ComputerName, FallsBackWhenTheObjectIsMissingAndIsEmptyWhenUnreadable) {
  test::FakePlatform platform;
  velloran::Run run{platform.services()};
  EXPECT_EQ(GetClientComputerName(run), "PC01");
  EXPECT_EQ(GetClientComputerName(run), "PC01");
  EXPECT_EQ(platform.Network.ObjectsCreated, 2);  // never cached
  platform.Network.ComputerNameFails = PlatformError{1, "x"};
  EXPECT_EQ(GetClientComputerName(run), "");
  platform.Network.CreateFails = PlatformError{429, "x"};
  EXPECT_EQ(GetClientComputerName(run), "Computer UNKNOWN");
}

}  // namespace
}  // namespace velloran
