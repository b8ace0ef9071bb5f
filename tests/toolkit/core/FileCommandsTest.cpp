// File > New, Open, Save, Save As and Exit against a scripted window and
// real files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "FakeView.h"
#include "platform/profile/Profile.h"
#include "tests/support/Fakes.h"
#include "toolkit/core/FileCommands.h"
#include "toolkit/core/Pages.h"

namespace velloran {
namespace {

using test::Contains;
using test::FakeView;
using test::ReadFile;
using test::TempDir;

class FileCommandsCore : public ::testing::Test {
 protected:
  FileCommandsCore() : store_(SystemProfile()), commands_(document_, view_, store_) {}

  /// A manual document, as the start-up dialog makes it.
  void StartManual() {
    view_.NewDocuments.push_back(NewDocumentChoice{false, {}});
    ASSERT_TRUE(commands_.Start());
    view_.Log.clear();
  }
  void Type(const char* control, const char* text) {
    view_.Fields.Texts[control] = text;
    document_.Unsaved = true;
  }

  TempDir dir_;
  Document document_;
  FakeView view_;
  INIFileStore store_;
  FileCommands commands_;
};

TEST_F(FileCommandsCore, APairTypedButNotAddedIsSavedWhenTheUserAgrees) {
  StartManual();
  Type("txtFromServer", "OLDSRV");
  Type("txtToServer", "NEWSRV");
  const std::string path = (dir_ / "typed.ini").string();
  view_.Answers = {MessageAnswer::Yes};
  view_.FileNames = {path};
  EXPECT_EQ(commands_.Save(), SaveOutcome::Written);
  ASSERT_EQ(view_.Messages().size(), 1u);
  EXPECT_TRUE(Contains(view_.Messages()[0], "\"OLDSRV -> NEWSRV\" has been typed but not added"));
  EXPECT_TRUE(Contains(ReadFile(path), "FromServers=OLDSRV\r\nToServers=NEWSRV\r\n"))
      << ReadFile(path);
  EXPECT_EQ(view_.Fields.Lists["lstServerPairs"], (std::vector<std::string>{"OLDSRV -> NEWSRV"}));
  EXPECT_EQ(view_.Fields.Texts["txtFromServer"], "");

  // Cancel stops the save; the pair stays typed.
  Type("txtFromPrinter", "P1");
  Type("txtToPrinter", "P2");
  view_.Answers = {MessageAnswer::Cancel};
  EXPECT_EQ(commands_.Save(), SaveOutcome::Refused);
  EXPECT_FALSE(Contains(ReadFile(path), "P1"));
  EXPECT_TRUE(document_.Unsaved);
}

TEST_F(FileCommandsCore, AHalfTypedPairIsNamedAndNothingIsWritten) {
  StartManual();
  view_.Fields.Lists["lstServerPairs"] = {"A -> B"};
  Type("txtMixedFromServer", "OLDSRV");
  view_.FileNames = {(dir_ / "half.ini").string()};
  EXPECT_EQ(commands_.Save(), SaveOutcome::Refused);
  ASSERT_EQ(view_.Messages().size(), 1u);
  EXPECT_TRUE(Contains(view_.Messages()[0], "Server and Printer pair"));
  EXPECT_EQ(view_.Log.back(), "page 12 txtMixedFromPrinter");
  EXPECT_EQ(view_.FileNames.size(), 1u) << "no file was asked for";
}

TEST_F(FileCommandsCore, NewAndOpenClearThePairFieldsOfThePreviousDocument) {
  StartManual();
  view_.Fields.Lists["lstServerPairs"] = {"A -> B"};
  const std::string path = (dir_ / "first.ini").string();
  view_.FileNames = {path};
  ASSERT_EQ(commands_.SaveAs(), SaveOutcome::Written);

  view_.Fields.Texts["txtFromPrinter"] = "LEFT";
  view_.Fields.Texts["txtMixedToPrinter"] = "OVER";
  view_.FileNames = {path};
  commands_.Open();
  EXPECT_EQ(view_.Fields.Texts["txtFromPrinter"], "");
  EXPECT_EQ(view_.Fields.Texts["txtMixedToPrinter"], "");
  EXPECT_EQ(view_.Fields.Lists["lstServerPairs"], (std::vector<std::string>{"A -> B"}));
  EXPECT_EQ(view_.Captions.back(), "Velloran - Deployment Toolkit [first.ini]");

  view_.Fields.Texts["txtToServer"] = "LEFT";
  view_.NewDocuments.push_back(NewDocumentChoice{true, {}});
  commands_.New();
  EXPECT_EQ(view_.Fields.Texts["txtToServer"], "");
  EXPECT_TRUE(view_.Fields.Lists["lstServerPairs"].empty());
  EXPECT_EQ(view_.Mode, true);
  EXPECT_EQ(view_.Captions.back(), "Velloran - Deployment Toolkit [UNTITLED]");
}

TEST_F(FileCommandsCore, CancellingNewOrOpenKeepsTheDocumentAndItsChanges) {
  StartManual();
  view_.Fields.Lists["lstServerPairs"] = {"A -> B"};
  document_.Unsaved = true;
  view_.Answers = {MessageAnswer::No};
  commands_.New();  // New-INI dialog cancelled
  EXPECT_TRUE(document_.Unsaved);
  EXPECT_EQ(view_.Fields.Lists["lstServerPairs"], (std::vector<std::string>{"A -> B"}));

  view_.Answers = {MessageAnswer::No};
  commands_.Open();  // Open dialog cancelled
  EXPECT_TRUE(document_.Unsaved);

  // Yes to saving, then a cancelled Save As: the command stops there.
  view_.Answers = {MessageAnswer::Yes};
  commands_.Open();
  EXPECT_EQ(view_.Log.back(), "save");
  EXPECT_TRUE(document_.Unsaved);
}

TEST_F(FileCommandsCore, ExitLeavesOnlyWhenTheWorkIsSafeOrGivenUp) {
  StartManual();
  EXPECT_TRUE(commands_.Exit()) << "nothing to save";
  view_.Fields.Lists["lstServerPairs"] = {"A -> B"};
  document_.Unsaved = true;
  EXPECT_FALSE(commands_.Exit()) << "Cancel";
  view_.Answers = {MessageAnswer::Yes};
  EXPECT_FALSE(commands_.Exit()) << "Save As cancelled";
  view_.Answers = {MessageAnswer::Yes};
  view_.FileNames = {(dir_ / "no-such-folder" / "x.ini").string()};
  EXPECT_FALSE(commands_.Exit()) << "the write failed";
  EXPECT_TRUE(Contains(view_.Messages().back(), "Error Saving|The INI file could not be saved"));
  EXPECT_TRUE(document_.Unsaved);
  view_.Answers = {MessageAnswer::No};
  EXPECT_TRUE(commands_.Exit());
}

TEST_F(FileCommandsCore, TextTheCodePageCannotHoldIsRefusedAndTheFileKept) {
  StartManual();
  view_.Fields.Lists["lstPrinterPairs"] = {"Łódź -> LODZ"};
  const std::string path = (dir_ / "kept.ini").string();
  test::WriteFile(path, "[GENERAL]\r\nUseManualDefinitions=True\r\n");
  document_.SetPath(path);
  document_.Unsaved = true;
  EXPECT_EQ(commands_.Save(), SaveOutcome::Refused);
  ASSERT_EQ(view_.Messages().size(), 1u);
  EXPECT_TRUE(Contains(view_.Messages()[0], "\"Printer Pairs\""));
  EXPECT_TRUE(Contains(view_.Messages()[0], "Ł ź"));
  EXPECT_EQ(view_.Log.back(), "page " + std::to_string(kPagePrinters) + " lstPrinterPairs");
  EXPECT_EQ(ReadFile(path), "[GENERAL]\r\nUseManualDefinitions=True\r\n");
}

TEST_F(FileCommandsCore, SavingOntoAReadOnlyFileIsRefusedAndLeavesItsBytes) {
  // The tests run as root in CI, where only the file's own mode can refuse.
  StartManual();
  view_.Fields.Lists["lstServerPairs"] = {"OLDSRV -> NEWSRV"};
  const std::string path = (dir_ / "locked.ini").string();
  const std::string before = "[GENERAL]\r\nUseManualDefinitions=True\r\n; kept\r\n";
  test::WriteFile(path, before);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  document_.SetPath(path);
  document_.Unsaved = true;
  EXPECT_EQ(commands_.Save(), SaveOutcome::Failed);
  ASSERT_EQ(view_.Messages().size(), 1u);
  EXPECT_TRUE(
      Contains(view_.Messages()[0], "Error Saving|The INI file could not be saved to " + path))
      << view_.Messages()[0];
  EXPECT_TRUE(Contains(view_.Messages()[0], "Error:" + std::to_string(EACCES) + "\n"));
  EXPECT_TRUE(document_.Unsaved);
  EXPECT_EQ(ReadFile(path), before);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1)
      << "no copy left beside it";
}

TEST_F(FileCommandsCore, StartUpOnAnExistingFileTakesItsMode) {
  const std::string path = (dir_ / "ad.ini").string();
  test::WriteFile(path,
                  "[GENERAL]\r\nUseActiveDirectory=True\r\n[ACTIVE DIRECTORY]\r\n"
                  "DomainName=corp.example.com\r\n");
  view_.NewDocuments.push_back(NewDocumentChoice{false, path});
  ASSERT_TRUE(commands_.Start());
  EXPECT_EQ(view_.Mode, true);
  EXPECT_EQ(view_.Fields.Texts["cboDomainName"], "corp.example.com");
  EXPECT_EQ(view_.Captions.back(), "Velloran - Deployment Toolkit [ad.ini]");
  EXPECT_FALSE(document_.Unsaved);

  FakeView cancelled;
  Document other;
  FileCommands start(other, cancelled, store_);
  EXPECT_FALSE(start.Start());
}

}  // namespace
}  // namespace velloran
