// Deploy Now against a scripted window and real folders: what is copied and
// written, in which order, and what the administrator is told.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "FakeView.h"
#include "tests/support/Fakes.h"
#include "toolkit/core/Deployment.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using test::Contains;
using test::FakeView;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string Golden(const std::string& name, const std::string& folder = {}) {
  std::string text = ReadFile(fs::path(VELLORAN_SOURCE_DIR) / "tests/toolkit/golden" / name);
  for (size_t at = text.find("@FOLDER@"); at != std::string::npos; at = text.find("@FOLDER@"))
    text.replace(at, 8, folder);
  return text;
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class DeployNow : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(toolkit_);
    fs::create_directories(share_);
    WriteFile(toolkit_ / "VelloranEngine.exe", "MZ engine");
    WriteFile(toolkit_ / "EvntMsg.dll", "MZ messages");
    WriteFile(toolkit_ / "MDAC_TYP2.8.EXE", "MZ mdac 2.8");
    WriteFile(dir_ / "Printers.ini", "[GENERAL]\r\nUseManualDefinitions=True\r\n");
    clock_.Time = LocalTime{2004, 7, 9, 14, 5, 33, 0};
    env_.Time = &clock_;
    env_.UserName = [] { return std::string("admin"); };
    env_.ComputerName = [] { return std::string("ADMINPC"); };
    env_.ToolkitFolder = toolkit_.string();
    env_.FolderExists = [this](const std::string& f) { return fs::is_directory(Local(f)); };
    env_.LocalFolder = [this](const std::string& f) { return Local(f); };
    env_.ShareOf = [this](const std::string& f) { return f == share_.string() ? share : ""; };

    document_.SetPath((dir_ / "Printers.ini").string());
    document_.Settings.UseManualDefinitions = true;
    document_.Settings.DeploymentPath = "\\\\srv\\deploy";
    document_.Settings.CreateBatchFile = document_.Settings.CreateWebLaunchPage = true;
  }
  // The share \\srv\deploy is mounted on share_.
  std::string Local(const std::string& folder) const {
    return folder == share ? share_.string() : folder;
  }

  const std::string share = "\\\\srv\\deploy";
  TempDir dir_;
  fs::path toolkit_ = dir_ / "toolkit", share_ = dir_ / "share";
  test::FixedClock clock_;
  DeploymentEnvironment env_;
  Document document_;
  FakeView view_;
};

TEST_F(DeployNow, CopiesEveryFileThenWritesTheLaunchers) {
  document_.Settings.IncludeMDAC = true;
  document_.Settings.MDACOption = 2;
  const DeploymentOutcome outcome = Deploy(document_, env_, view_);
  EXPECT_TRUE(outcome.Succeeded);
  EXPECT_EQ(view_.Messages(), std::vector<std::string>{"Sucess|Deployment successfull."});
  EXPECT_EQ(Names(share_), (std::vector<std::string>{"EvntMsg.dll", "MDAC_TYP2.8.EXE",
                                                     "Printers.ini", "Printers.ini.bat",
                                                     "Printers.ini.html", "VelloranEngine.exe"}));
  EXPECT_EQ(ReadFile(share_ / "EvntMsg.dll"), "MZ messages");
  EXPECT_EQ(ReadFile(share_ / "Printers.ini.bat"), Golden("mdac-2.8-on-share.bat"));
  EXPECT_EQ(ReadFile(share_ / "Printers.ini.html"), Golden("mdac-2.8.html"));
  const std::vector<std::string> steps(view_.Log.begin(), view_.Log.end() - 1);
  EXPECT_EQ(
      steps,
      (std::vector<std::string>{
          "progress 1 Initializing deployment process ...", "progress 2 Copying MDAC file ...",
          "progress 3 Copying Velloran Engine ...", "progress 4 Copying event message file ...",
          "progress 5 Copying INI file ...", "progress 6 Creating HTML file ...",
          "progress 7 Creating batch file ...", "progress 11 Deployment Complete.", "finished"}));
}

// The engine is a program on the share as it is beside the toolkit, also
// over a copy an older deployment left without the bit.
TEST_F(DeployNow, CopiesKeepTheSourcesMode) {
  fs::permissions(toolkit_ / "VelloranEngine.exe", static_cast<fs::perms>(0755));
  WriteFile(share_ / "VelloranEngine.exe", "MZ old");
  fs::permissions(share_ / "VelloranEngine.exe", static_cast<fs::perms>(0644));
  fs::permissions(dir_ / "Printers.ini", static_cast<fs::perms>(0640));
  ASSERT_TRUE(Deploy(document_, env_, view_).Succeeded);
  EXPECT_EQ(fs::status(share_ / "VelloranEngine.exe").permissions() & fs::perms::all,
            static_cast<fs::perms>(0755));
  EXPECT_EQ(fs::status(share_ / "Printers.ini").permissions() & fs::perms::all,
            static_cast<fs::perms>(0640));
}

// The web page names no INI file; another one in the folder may be the one
// the clients run.
TEST_F(DeployNow, AnotherINIFileBesideAWebPageIsNamedBeforeCopying) {
  struct Case {
    bool webPage;
    std::vector<std::string> present;
    std::optional<MessageAnswer> answer;  // none: no question expected
    bool deployed;
  };
  const Case cases[] = {
      {true, {"AD.ini"}, MessageAnswer::No, false},
      {true, {"AD.INI", "Old.ini"}, MessageAnswer::Yes, true},
      {true, {"printers.INI", "notes.txt"}, std::nullopt, true},  // its own older copy
      {false, {"AD.ini"}, std::nullopt, true},                    // the batch file names its file
  };
  for (const Case& c : cases) {
    fs::remove_all(share_);
    fs::create_directories(share_);
    for (const std::string& name : c.present) WriteFile(share_ / name, "[GENERAL]\r\n");
    document_.Settings.CreateWebLaunchPage = c.webPage;
    FakeView view;
    if (c.answer) view.Answers.push_back(*c.answer);
    const bool deployed = Deploy(document_, env_, view).Succeeded;
    EXPECT_EQ(deployed, c.deployed) << c.present[0];
    EXPECT_EQ(fs::exists(share_ / "VelloranEngine.exe"), c.deployed) << c.present[0];
    const auto asked = std::find_if(view.Log.begin(), view.Log.end(), [](const std::string& l) {
      return l.rfind("Deploy Now|", 0) == 0;
    });
    ASSERT_EQ(asked != view.Log.end(), c.answer.has_value()) << c.present[0];
    if (asked != view.Log.end()) {
      EXPECT_TRUE(Contains(*asked, c.present[0])) << *asked;
      EXPECT_TRUE(Contains(*asked, "Printers.ini")) << *asked;
    }
  }
}

TEST_F(DeployNow, AFailedCopyLeavesTheLaunchersAsTheyWereAndSaysSoOnce) {
  WriteFile(share_ / "Printers.ini.bat", "old batch");
  // With MDAC ticked and no installer, and without the engine.
  document_.Settings.IncludeMDAC = true;
  document_.Settings.MDACOption = 0;
  fs::remove(toolkit_ / "VelloranEngine.exe");
  const DeploymentOutcome outcome = Deploy(document_, env_, view_);
  EXPECT_FALSE(outcome.Succeeded);
  EXPECT_EQ(ReadFile(share_ / "Printers.ini.bat"), "old batch");
  EXPECT_FALSE(fs::exists(share_ / "Printers.ini.html"));
  EXPECT_TRUE(fs::exists(share_ / "Printers.ini")) << "the other copies go on";
  EXPECT_TRUE(fs::exists(share_ / "EvntMsg.dll"));
  ASSERT_EQ(view_.Messages().size(), 1u);
  const std::string message = view_.Messages()[0];
  EXPECT_TRUE(Contains(message, "MDAC_TYP2.5SP3.EXE (error 2)")) << message;
  EXPECT_TRUE(Contains(message, "VelloranEngine.exe (error 2)")) << message;
  EXPECT_TRUE(Contains(message,
                       "missing:\nMDAC_TYP2.5SP3.EXE\nVelloranEngine.exe\n"
                       "Printers.ini.html\nPrinters.ini.bat\n"))
      << message;
}

TEST_F(DeployNow, EachFileTheLaunchersNameStopsThemAloneAndTheOthersDoNot) {
  // One file fails at a time, at its source or in the folder: a launcher
  // written over a file that is not in place fails at every logon.
  document_.Settings.IncludeMDAC = true;
  document_.Settings.MDACOption = 2;
  const fs::path saved = dir_ / "Printers.ini";
  const struct {
    const char* Case;
    std::function<void()> Break;
    std::string Failed;
    bool LaunchersKept;
  } cases[] = {
      {"the saved INI file gone", [&] { fs::remove(saved); }, "Printers.ini", true},
      {"a folder where the INI file goes", [&] { fs::create_directory(share_ / "Printers.ini"); },
       "Printers.ini", true},
      {"no engine", [&] { fs::remove(toolkit_ / "VelloranEngine.exe"); }, "VelloranEngine.exe",
       true},
      {"a folder where the engine goes",
       [&] { fs::create_directory(share_ / "VelloranEngine.exe"); }, "VelloranEngine.exe", true},
      {"no MDAC installer", [&] { fs::remove(toolkit_ / "MDAC_TYP2.8.EXE"); }, "MDAC_TYP2.8.EXE",
       true},
      {"no event message file", [&] { fs::remove(toolkit_ / "EvntMsg.dll"); }, "EvntMsg.dll",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    fs::remove_all(share_);
    fs::create_directories(share_);
    WriteFile(share_ / "Printers.ini.bat", "old batch");
    WriteFile(share_ / "Printers.ini.html", "old page");
    WriteFile(saved, "[GENERAL]\r\nUseManualDefinitions=True\r\n");
    WriteFile(toolkit_ / "VelloranEngine.exe", "MZ engine");
    WriteFile(toolkit_ / "EvntMsg.dll", "MZ messages");
    WriteFile(toolkit_ / "MDAC_TYP2.8.EXE", "MZ mdac 2.8");
    view_.Log.clear();
    c.Break();

    const DeploymentOutcome outcome = Deploy(document_, env_, view_);
    EXPECT_FALSE(outcome.Succeeded);
    ASSERT_EQ(outcome.Failed.size(), 1u);
    EXPECT_TRUE(Contains(outcome.Failed[0], c.Failed)) << outcome.Failed[0];
    const bool kept = ReadFile(share_ / "Printers.ini.bat") == "old batch";
    EXPECT_EQ(kept, c.LaunchersKept);
    EXPECT_EQ(ReadFile(share_ / "Printers.ini.html") == "old page", c.LaunchersKept);
    if (!c.LaunchersKept) {
      EXPECT_EQ(ReadFile(share_ / "Printers.ini.bat"), Golden("mdac-2.8-on-share.bat"));
    }
    const std::vector<std::string> keptNames =
        c.LaunchersKept
            ? std::vector<std::string>{c.Failed, "Printers.ini.html", "Printers.ini.bat"}
            : std::vector<std::string>{c.Failed};
    EXPECT_EQ(outcome.Kept, keptNames);
    // One box names the file that failed.
    ASSERT_EQ(view_.Messages().size(), 1u);
    EXPECT_TRUE(Contains(view_.Messages()[0], outcome.Failed[0])) << view_.Messages()[0];
    // The copies that could be made are made all the same.
    for (const char* name :
         {"MDAC_TYP2.8.EXE", "VelloranEngine.exe", "EvntMsg.dll", "Printers.ini"})
      if (name != c.Failed) {
        EXPECT_TRUE(fs::is_regular_file(share_ / name)) << name;
      }
  }
}

// The driver start-up script runs the command line that the deployment
// copies beside it, on the deployed INI file; it stands or falls with
// those two files only.
TEST_F(DeployNow, TheDriverScriptComesWithTheCommandLineAndStandsOnItsOwnFiles) {
  WriteFile(toolkit_ / "velloran.exe", "MZ command line");
  env_.CreateDriverScript = true;
  ASSERT_TRUE(Deploy(document_, env_, view_).Succeeded);
  EXPECT_EQ(Names(share_),
            (std::vector<std::string>{"EvntMsg.dll", "Printers.ini", "Printers.ini.bat",
                                      "Printers.ini.html", "Printers.ini.install-drivers.bat",
                                      "VelloranEngine.exe", "velloran.exe"}));
  EXPECT_EQ(ReadFile(share_ / "velloran.exe"), "MZ command line");
  EXPECT_EQ(ReadFile(share_ / "Printers.ini.install-drivers.bat"), Golden("install-drivers.bat"));

  const struct {
    const char* Case;
    std::function<void()> Break;
    bool LaunchersKept;
  } cases[] = {
      {"no command line beside the toolkit", [&] { fs::remove(toolkit_ / "velloran.exe"); }, false},
      {"the saved INI file gone", [&] { fs::remove(dir_ / "Printers.ini"); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    fs::remove_all(share_);
    fs::create_directories(share_);
    for (const char* name :
         {"Printers.ini.bat", "Printers.ini.html", "Printers.ini.install-drivers.bat"})
      WriteFile(share_ / name, "old");
    WriteFile(toolkit_ / "velloran.exe", "MZ command line");
    WriteFile(dir_ / "Printers.ini", "[GENERAL]\r\nUseManualDefinitions=True\r\n");
    c.Break();
    const DeploymentOutcome outcome = Deploy(document_, env_, view_);
    EXPECT_FALSE(outcome.Succeeded);
    EXPECT_EQ(ReadFile(share_ / "Printers.ini.install-drivers.bat"), "old")
        << "a script over a missing file fails at every start-up";
    EXPECT_EQ(ReadFile(share_ / "Printers.ini.bat") == "old", c.LaunchersKept);
  }
}

TEST_F(DeployNow, AFolderOfThisMachineIsNamedAsTheClientsReachIt) {
  // Held by the mounted share: the launchers name the share.
  document_.Settings.DeploymentPath = share_.string();
  EXPECT_TRUE(Deploy(document_, env_, view_).Succeeded);
  EXPECT_EQ(view_.Messages(), std::vector<std::string>{"Sucess|Deployment successfull."});
  EXPECT_TRUE(
      Contains(ReadFile(share_ / "Printers.ini.bat"), "\"\\\\srv\\deploy\\VelloranEngine.exe\""));

  // No share holds it: the files go there, with a warning instead of success.
  const fs::path local = dir_ / "local";
  fs::create_directories(local);
  document_.Settings.DeploymentPath = local.string();
  view_.Log.clear();
  EXPECT_TRUE(Deploy(document_, env_, view_).Succeeded);
  ASSERT_EQ(view_.Messages().size(), 1u);
  EXPECT_TRUE(Contains(view_.Messages()[0],
                       "Deployment|The files were deployed, but the "
                       "deployment folder " +
                           local.string() + " is not a network share"));
  EXPECT_EQ(ReadFile(local / "Printers.ini.bat"), Golden("no-mdac.bat", local.string()));
  EXPECT_EQ(ReadFile(local / "Printers.ini.html"), Golden("no-mdac.html"));
}

TEST_F(DeployNow, UnsavedDocumentsAndMissingFoldersAreRefusedBeforeTheConfirmation) {
  std::vector<std::string> confirmed;
  env_.Confirm = [&](const INISettings& s) {
    confirmed.push_back(s.DeploymentPath);
    return false;
  };
  document_.Unsaved = true;
  EXPECT_FALSE(Deploy(document_, env_, view_).Succeeded);
  document_.Unsaved = false;
  document_.Settings.DeploymentPath = "\\\\srv\\elsewhere";
  EXPECT_FALSE(Deploy(document_, env_, view_).Succeeded);
  EXPECT_EQ(view_.Messages(),
            (std::vector<std::string>{"Error|This INI file needs to be saved. Please save your INI "
                                      "file before trying to deploy.",
                                      "Error|The deployment folder does not exist. Please check "
                                      "your deployment folder and try again."}));
  EXPECT_TRUE(confirmed.empty()) << "a refused deployment is not put to the user";

  // A declined confirmation: no progress window, no message, no copy.
  document_.Settings.DeploymentPath = share;
  view_.Log.clear();
  EXPECT_FALSE(Deploy(document_, env_, view_).Succeeded);
  EXPECT_EQ(confirmed, std::vector<std::string>{share});
  EXPECT_TRUE(view_.Log.empty()) << "no progress window, no message after a decline";
  EXPECT_TRUE(Names(share_).empty());
}

}  // namespace
}  // namespace velloran
