#include <gtest/gtest.h>

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
  EXPECT_EQ(StringToBytes("\xE2\x82\xAC\xCE\xA9", false, false), (Bytes{0x80, 0x3F}));  // €, Ω lacking
  EXPECT_EQ(StringToBytes("A", true, true), (Bytes{0x00, 0x41, 0x00}));       // element 1 is the first
  EXPECT_EQ(StringToBytes("\xE2\x82\xAC", true, false), (Bytes{0xAC, 0x20}));  // € U+20AC
  EXPECT_EQ(StringToBytes("\xF0\x9F\x96\xA8", true, false), (Bytes{0x3D, 0xD8, 0xA8, 0xDD}));  // surrogates
  EXPECT_EQ(StringToBytes("\xFF", true, false), (Bytes{0xFD, 0xFF}));  // malformed -> U+FFFD
}

TEST(DebugFileFormat, DecodeInvertsEncodeForRandomTexts) {
  std::mt19937 rng(20261207);
  const std::vector<std::string> pieces = {"a", "Z", "\r\n", "*", " ", "\xC3\xA9", "\xE2\x82\xAC",
                                           "\xF0\x9F\x96\xA8", "\\\\SRV\\Q", "\t", ">> "};
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
  EXPECT_EQ(run.DebugText, "one\r\n" + std::string(80, '*') + "\r\n**T*\r\n" + std::string(80, '*') + "\r\n");
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
    EXPECT_EQ(run.DebugText.find(">> Ignored surplus entries of ToServers") != std::string::npos, on)
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
  EXPECT_EQ(*text, "short\r\n");
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
            "\r\nFirst\r\n> Error Number: -2147023095\r\n> Error Description: The printer name is invalid."
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
