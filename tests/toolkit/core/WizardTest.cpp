// The wizard presenter over a scripted window and real files: every tool and
// menu command, moving between pages under the leave-page rule, the caption,
// the mode, Check Targets and Deploy Now.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "FakeShareLister.h"
#include "FakeView.h"
#include "platform/profile/Profile.h"
#include "tests/support/Fakes.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/Wizard.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using test::Contains;
using test::FakeShareLister;
using test::FakeView;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr const char* kTitle = "Velloran - Deployment Toolkit";

class WizardTest : public ::testing::Test {
 protected:
  WizardTest() {
    lister_->Serve("OLD", FakeShareLister::Offers({FakeShareLister::Printer("Laser1"),
                                                   FakeShareLister::Printer("Laser2")}));
    lister_->Serve("NEW", FakeShareLister::Offers({FakeShareLister::Printer("Laser1")}));
    services_.Profile = &SystemProfile();
    services_.OpenHelp = [this](int context) {
      view_.Log.push_back("help " + std::to_string(context));
    };
    services_.ShowAbout = [this] { view_.Log.push_back("about"); };
    services_.TargetCheck = [this] {
      TargetCheckSetup setup;
      setup.Lister = lister_;
      return setup;
    };
    services_.DomainNames = [] { return std::vector<std::string>{"corp.example"}; };
    services_.PreferencesFile = (dir_ / "toolkit.conf").string();
    clock_.Time = LocalTime{2004, 7, 9, 14, 5, 33, 0};
    DeploymentEnvironment& d = services_.Deployment;
    d.Time = &clock_;
    d.UserName = [] { return std::string("admin"); };
    d.ComputerName = [] { return std::string("ADMINPC"); };
    d.ToolkitFolder = dir_.str();
    d.FolderExists = [](const std::string& f) { return fs::is_directory(f); };
    d.LocalFolder = [](const std::string& f) { return f; };
  }
  ~WizardTest() override { lister_->Release(); }

  /// A started wizard on a new document whose pages hold what a save needs.
  Wizard& Start(bool activeDirectory) {
    wizard_ = std::make_unique<Wizard>(view_, services_);
    view_.NewDocuments.push_back(NewDocumentChoice{activeDirectory, {}});
    EXPECT_TRUE(wizard_->Start());
    if (activeDirectory) {
      view_.Fields.Texts["cboDomainName"] = "corp.example";
    } else {
      view_.Fields.Lists["lstServerPairs"] = {"OLD -> NEW"};
    }
    wizard_->Edited();
    view_.Log.clear();
    return *wizard_;
  }
  std::string Saved(const char* name) {
    view_.FileNames.push_back((dir_ / name).string());
    EXPECT_EQ(wizard_->Files().SaveAs(), SaveOutcome::Written);
    return (dir_ / name).string();
  }

  TempDir dir_;
  FakeView view_;
  WizardServices services_;
  test::FixedClock clock_;
  std::shared_ptr<FakeShareLister> lister_ = std::make_shared<FakeShareLister>();
  std::unique_ptr<Wizard> wizard_;
};

TEST_F(WizardTest, EveryToolAndMenuCommandDoesItsThingInEachMode) {
  // What the tool leaves in the window's log; "" for a tool the mode does
  // not offer, which does nothing.
  struct Case {
    Tool tool;
    const char* directory;
    const char* manual;
  };
  const Case cases[] = {
      {Tool::New, "new", "new"},
      {Tool::Open, "open", "open"},
      {Tool::Save, "save", "save"},
      {Tool::SaveAs, "save", "save"},
      {Tool::Exit, "close", "close"},
      {Tool::General, "page 0 ", "page 0 "},
      {Tool::ActiveDirectory, "page 1 ", ""},
      {Tool::Servers, "", "page 2 "},
      {Tool::Printers, "", "page 11 "},
      {Tool::Mixed, "", "page 12 "},
      {Tool::Email, "page 4 ", "page 4 "},
      {Tool::FileOutput, "page 5 ", "page 5 "},
      {Tool::ClientPopup, "page 6 ", "page 6 "},
      {Tool::EventLog, "page 8 ", "page 8 "},
      {Tool::Deployment, "page 17 ", "page 15 "},
      {Tool::DeploymentGeneral, "page 15 ", ""},
      {Tool::MDAC, "page 16 ", ""},
      {Tool::Support, "page 14 ", "page 14 "},
      {Tool::Contents, "help 0", "help 0"},
      {Tool::About, "about", "about"},
  };
  static_assert(std::size(cases) == kToolCount);
  for (const bool byMenu : {false, true}) {
    for (const Case& c : cases) {
      for (const bool ad : {true, false}) {
        SCOPED_TRACE(std::string(ToolId(c.tool)) + (ad ? " AD" : " manual") +
                     (byMenu ? " menu" : " tool"));
        Wizard& wizard = Start(ad);
        wizard.ShowPage(kPageClientPopup);
        view_.Log.clear();
        if (byMenu) {
          EXPECT_TRUE(wizard.RunCommand(ToolId(c.tool)));
        } else {
          wizard.ToolClick(c.tool);
        }
        // New and Open ask about the unsaved pages first.
        const std::string expected = ad ? c.directory : c.manual;
        EXPECT_EQ(view_.Log.empty() ? "" : view_.Log.back(), expected);
        EXPECT_EQ(wizard.ToolEnabled(c.tool), !expected.empty());
        if (expected.empty()) {
          EXPECT_EQ(wizard.Page(), kPageClientPopup);
        }
      }
    }
  }
  EXPECT_FALSE(Start(false).RunCommand("ID_BTN_NOTHING"));
}

TEST_F(WizardTest, AToolWhoseServiceIsMissingIsDisabledAndDoesNothing) {
  services_.ShowAbout = nullptr;
  services_.OpenHelp = nullptr;
  services_.TargetCheck = nullptr;
  services_.Deployment.FolderExists = nullptr;
  Wizard& wizard = Start(false);
  for (const char* command : {"ID_BTN_ABOUT", "ID_BTN_CONTENTS", "actCheckTargets"})
    EXPECT_TRUE(wizard.RunCommand(command));
  wizard.HelpOnPage();
  EXPECT_FALSE(wizard.ToolEnabled(Tool::About) || wizard.ToolEnabled(Tool::Contents));
  EXPECT_FALSE(wizard.CanCheckTargets() || wizard.CanDeploy());
  EXPECT_FALSE(wizard.DeployNow().Succeeded);
  EXPECT_TRUE(view_.Log.empty()) << view_.Log.front();
}

TEST_F(WizardTest, AFieldThatBreaksItsRuleKeepsTheUserTellingThemOncePerMove) {
  struct Field {
    const char* control;
    const char* bad;
    const char* good;
    const char* title;
  };
  const Field fields[] = {
      {"txtSMTPServerPort", "25a", "2525", "Invalid Port Number"},
      {"txtSMTPEmailAddress", "nobody", "admin@example.com", "Invalid Email"},
  };
  struct Move {
    const char* name;
    std::function<bool(Wizard&)> go;
    int to;
  };
  const Move moves[] = {
      {"tree", [](Wizard& w) { return w.GoTo(kPageEventLog); }, kPageEventLog},
      {"Next", [](Wizard& w) { return w.Next(); }, kPageFileOutput},
      {"Back", [](Wizard& w) { return w.Back(); }, kPageNotification},
      {"View tool",
       [](Wizard& w) { return w.RunCommand("ID_BTN_SUPPORT") && w.Page() == kPageSupport; },
       kPageSupport},
  };
  for (const Field& f : fields) {
    for (const Move& m : moves) {
      SCOPED_TRACE(std::string(f.control) + " " + m.name);
      Wizard& wizard = Start(false);
      wizard.ShowPage(kPageSMTPMail);
      view_.Fields.Texts[f.control] = f.bad;
      const std::string back = "page 4 " + std::string(f.control);

      // The click that moves the focus out of the field also asks for the
      // move: one message, and the user stays in the field.
      EXPECT_FALSE(wizard.LeaveField(f.control));
      m.go(wizard);
      ASSERT_EQ(view_.Messages().size(), 1u);
      EXPECT_TRUE(view_.Messages()[0].starts_with(std::string(f.title) + "|"));
      EXPECT_EQ(wizard.Page(), kPageSMTPMail);
      EXPECT_EQ(view_.Log.back(), back);

      // A move that leaves no field (a menu) is told anew, and so is one
      // after a click that left the field and asked for no move.
      m.go(wizard);
      EXPECT_EQ(view_.Messages().size(), 2u);
      EXPECT_EQ(view_.Log.back(), back);
      EXPECT_FALSE(wizard.LeaveField(f.control));
      wizard.InputDone();
      EXPECT_FALSE(m.go(wizard));
      EXPECT_EQ(view_.Messages().size(), 4u);

      view_.Fields.Texts[f.control] = f.good;
      EXPECT_TRUE(wizard.LeaveField(f.control));
      EXPECT_TRUE(m.go(wizard));
      EXPECT_EQ(wizard.Page(), m.to);
      EXPECT_EQ(view_.Messages().size(), 4u);
    }
  }
}

TEST_F(WizardTest, AMissingFolderWarnsOnceAndNeverKeepsTheUser) {
  struct Case {
    int page;
    const char* control;
    const char* message;
  };
  const Case cases[] = {
      {kPageFileOutput, "txtFileOutputPath", "The output file folder could not be found."},
      {kPageDeployment, "txtNetworkSharePath", "The network share folder could not be found."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    Wizard& wizard = Start(false);
    wizard.ShowPage(c.page);
    view_.Fields.Checks["chkUseFileOutput"] = true;
    view_.Fields.Texts[c.control] = (dir_ / "missing").string() + "/";
    view_.Log.clear();
    wizard.GetDocument().Unsaved = false;

    EXPECT_TRUE(wizard.LeaveField(c.control));
    EXPECT_TRUE(wizard.GoTo(kPageSupport));  // the same click
    ASSERT_EQ(view_.Messages().size(), 1u);
    EXPECT_TRUE(view_.Messages()[0].starts_with(std::string("Folder not found.|") + c.message));
    EXPECT_EQ(view_.Fields.Texts[c.control], (dir_ / "missing").string());
    EXPECT_TRUE(wizard.GetDocument().Unsaved);
    EXPECT_EQ(view_.Log.front(), "busy");

    // Later clicks all act; leaving the page from a menu warns again.
    EXPECT_TRUE(wizard.Back());
    EXPECT_TRUE(wizard.GoTo(c.page));
    EXPECT_TRUE(wizard.RunCommand("ID_BTN_GENERAL"));
    EXPECT_EQ(wizard.Page(), kPageGeneral);
    EXPECT_EQ(view_.Messages().size(), 2u);

    // A folder that exists is no warning.
    wizard.ShowPage(c.page);
    view_.Fields.Texts[c.control] = dir_.str();
    EXPECT_TRUE(wizard.LeaveField(c.control));
    EXPECT_TRUE(wizard.Next());
    EXPECT_EQ(view_.Messages().size(), 2u);
  }
}

TEST_F(WizardTest, CaptionModeAndPagesFollowNewOpenAndSaveAs) {
  Wizard& wizard = Start(true);
  EXPECT_EQ(view_.Captions.back(), std::string(kTitle) + " [UNTITLED]");
  EXPECT_TRUE(wizard.Next());
  EXPECT_EQ(wizard.Page(), kPageActiveDirectory);
  const std::string path = Saved("first.ini");
  EXPECT_EQ(view_.Captions.back(), std::string(kTitle) + " [first.ini]");

  // A manual document: its tree, tools and page order, from page 0.
  view_.NewDocuments.push_back(NewDocumentChoice{false, {}});
  wizard.ToolClick(Tool::New);
  EXPECT_EQ(view_.Captions.back(), std::string(kTitle) + " [UNTITLED]");
  EXPECT_EQ(view_.Mode, false);
  EXPECT_EQ(wizard.Page(), kPageGeneral);
  EXPECT_TRUE(wizard.ToolEnabled(Tool::Servers) && !wizard.ToolEnabled(Tool::ActiveDirectory));
  EXPECT_TRUE(wizard.Next());
  EXPECT_EQ(wizard.Page(), kPageManualConfiguration);

  // The file says which mode it is in.
  view_.FileNames.push_back(path);
  wizard.ToolClick(Tool::Open);
  EXPECT_EQ(view_.Captions.back(), std::string(kTitle) + " [first.ini]");
  EXPECT_EQ(wizard.Caption(), view_.Captions.back());
  EXPECT_EQ(view_.Mode, true);
  EXPECT_EQ(wizard.Page(), kPageGeneral);
  EXPECT_FALSE(wizard.ToolEnabled(Tool::Servers));
}

TEST_F(WizardTest, StartOffersTheDomainsAndTheUsersChoicesWithoutAChange) {
  WriteFile(dir_ / "toolkit.conf", "chkDriverScript=1\n");
  wizard_ = std::make_unique<Wizard>(view_, services_);
  // As a real window does, each control filled reports an edit.
  view_.OnFieldsShown = [this] { wizard_->Edited(); };
  view_.NewDocuments.push_back(NewDocumentChoice{false, {}});
  ASSERT_TRUE(wizard_->Start());
  EXPECT_EQ(view_.DomainNames, std::vector<std::string>{"corp.example"});
  EXPECT_TRUE(view_.Fields.Checks["chkDriverScript"]);
  EXPECT_FALSE(wizard_->GetDocument().Unsaved);

  wizard_->SetPreference("chkDriverScript", false);
  EXPECT_EQ(ReadFile(dir_ / "toolkit.conf"), "chkDriverScript=0\n");
  // Filling the pages with a new document is no change of it.
  view_.NewDocuments.push_back(NewDocumentChoice{true, {}});
  wizard_->ToolClick(Tool::New);
  EXPECT_EQ(view_.Mode, true);
  EXPECT_FALSE(wizard_->GetDocument().Unsaved);
  view_.Folders.push_back("/srv/out");
  wizard_->Browse("txtFileOutputPath");
  EXPECT_EQ(view_.Fields.Texts["txtFileOutputPath"], "/srv/out");
  EXPECT_TRUE(wizard_->GetDocument().Unsaved) << "a chosen folder is a change";
}

TEST_F(WizardTest, CheckTargetsListsWhatIsShownNotFoundFirst) {
  Wizard& wizard = Start(false);
  // Typed and not saved: the check takes the pages as they are.
  view_.Fields.Lists["lstServerPairs"] = {"OLD -> NEW"};
  EXPECT_TRUE(wizard.RunCommand("actCheckTargets"));
  ASSERT_TRUE(view_.TargetList);
  std::vector<std::string> rows;
  for (const TargetCheckRow& row : view_.TargetList->Rows)
    rows.push_back(row.Target + " " + row.Status);
  EXPECT_EQ(rows, (std::vector<std::string>{"\\\\NEW\\Laser2 missing", "\\\\NEW\\Laser1 found"}));
}

TEST_F(WizardTest, DeployNowChecksTheTargetsFirstAndTakesTheScriptChoiceOfThePage) {
  WriteFile(dir_ / "VelloranEngine.exe", "MZ engine");
  WriteFile(dir_ / "EvntMsg.dll", "MZ messages");
  WriteFile(dir_ / "velloran.exe", "MZ command line");
  const fs::path share = dir_ / "share";
  fs::create_directories(share);
  Wizard& wizard = Start(false);
  view_.Fields.Texts["txtNetworkSharePath"] = share.string();
  view_.Fields.Checks["chkDriverScript"] = true;
  Saved("first.ini");
  view_.Log.clear();

  view_.Answers = {MessageAnswer::No};  // a target is missing: deploy anyway?
  EXPECT_FALSE(wizard.DeployNow().Succeeded);
  ASSERT_EQ(view_.Messages().size(), 1u);
  EXPECT_TRUE(Contains(view_.Messages()[0], "1 of 2 targets are missing"));
  EXPECT_TRUE(fs::is_empty(share));

  view_.Answers = {MessageAnswer::Yes};
  EXPECT_TRUE(wizard.DeployNow().Succeeded);
  EXPECT_TRUE(fs::exists(share / "VelloranEngine.exe"));
  EXPECT_TRUE(fs::exists(share / DriverScriptName("first.ini")));
  EXPECT_EQ(view_.Log.back(), "finished");
}

}  // namespace
}  // namespace velloran
