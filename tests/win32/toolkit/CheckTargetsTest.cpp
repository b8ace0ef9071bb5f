// Check Targets on the Windows window against in-memory print servers: the
// list of the pairs the window holds, the progress window and its Cancel,
// and the question before Deploy Now with both answers.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <chrono>
#include <thread>

#include "FakeShareLister.h"
#include "WizardFixture.h"
#include "toolkit/core/Pages.h"
#include "toolkit/win32/Ui.h"
#include "toolkit/win32/frmCheckTargets.h"

namespace velloran::win32::testing {
namespace {

std::string CellOf(HWND list, int row, int column) {
  wchar_t text[512]{};
  ListView_GetItemText(list, row, column, text, 512);
  return Utf8(text);
}

// The scripted dialogs, and the result list drawn as the program draws it
// and read back by control ID.
class ListingDialogs : public ScriptedDialogs {
 public:
  std::vector<std::string> Rows;
  std::string Summary;
  int Lists = 0;

  void ShowTargetCheck(HWND owner, const TargetCheckReport& report) override {
    ++Lists;
    HWND dialog = CreateCheckTargetsDialog(owner, report);
    ASSERT_NE(dialog, nullptr);
    Summary = TextOf(GetDlgItem(dialog, lblSummary));
    HWND list = GetDlgItem(dialog, lstTargets);
    Rows.clear();
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
      Rows.push_back(CellOf(list, row, 0) + " | " + CellOf(list, row, 1) + " | " +
                     CellOf(list, row, 2));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmdClose, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindow(dialog)) << "Close closes the list";
  }
};

class CheckTargetsTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    lister->Serve("OLDSRV1",
                  test::FakeShareLister::Offers({test::FakeShareLister::Printer("Laser1"),
                                                 test::FakeShareLister::Printer("Laser2")}));
    lister->Serve("NEWSRV1",
                  test::FakeShareLister::Offers({test::FakeShareLister::Printer("Laser1")}));
  }
  void TearDown() override {
    lister->Release();
    WizardTest::TearDown();
  }
  // A new manual document with OLDSRV1 -> NEWSRV1 added, not saved.
  void OpenWithPair() {
    NewINIChoice choice;
    choice.Cancelled = false;
    choice.ActiveDirectory = false;
    listing.NewINIChoices.push_back(choice);
    WizardServices s = Services();
    s.Dialogs = &listing;
    s.TargetCheck = [this] {
      TargetCheckSetup setup;
      setup.Lister = lister;
      return setup;
    };
    s.CheckProgressWatcher = [this](HWND progress) {
      progress_.push_back(TextOf(GetDlgItem(progress, lblProgress)));
      HWND cancel = GetDlgItem(progress, cmdCancel);
      if (cancelAtStart && IsWindowEnabled(cancel)) SendMessageW(cancel, BM_CLICK, 0, 0);
    };
    window = std::make_unique<frmWizard>(std::move(s));
    ASSERT_TRUE(window->Create(GetModuleHandleW(nullptr)));
    ShowWindow(window->Handle(), SW_SHOWNA);
    ASSERT_TRUE(window->Start());
    window->ShowPage(kPageServers);
    Type(Control("txtFromServer"), "OLDSRV1");
    Type(Control("txtToServer"), "NEWSRV1");
    Click(Control(cmdSaveServerPair));
    PumpMessages();
  }

  ListingDialogs listing;
  std::shared_ptr<test::FakeShareLister> lister = std::make_shared<test::FakeShareLister>();
  std::vector<std::string> progress_;
  bool cancelAtStart = false;
};

TEST_F(CheckTargetsTest, TheListShowsThePairsAsTheWindowHoldsThem) {
  OpenWithPair();
  ASSERT_TRUE(Click(Control(cmdCheckTargets(0))));

  EXPECT_EQ(listing.Lists, 1);
  EXPECT_EQ(listing.Summary, "1 of 2 targets found, 1 missing.");
  EXPECT_EQ(listing.Rows, (std::vector<std::string>{
                              "\\\\NEWSRV1\\Laser2 | servers 1: OLDSRV1 -> NEWSRV1 | missing",
                              "\\\\NEWSRV1\\Laser1 | servers 1: OLDSRV1 -> NEWSRV1 | found",
                          }));
  ASSERT_FALSE(progress_.empty());
  EXPECT_EQ(progress_.back(), "2 of 2 servers answered");
  EXPECT_TRUE(listing.Messages.empty());
  EXPECT_TRUE(IsWindowEnabled(window->Handle())) << "the window is back after the check";
}

TEST_F(CheckTargetsTest, CancelEndsTheCheckWithoutAList) {
  OpenWithPair();
  lister->HangOn("NEWSRV1");
  cancelAtStart = true;
  ASSERT_TRUE(MenuCommandEnabled(window->Handle(), kCheckTargetsCommand));
  const auto started = std::chrono::steady_clock::now();
  ChooseMenuCommand(window->Handle(), kCheckTargetsCommand);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));

  ASSERT_FALSE(progress_.empty());
  EXPECT_EQ(progress_.back(), "Cancelling ...");
  EXPECT_EQ(listing.Lists, 0);
  EXPECT_TRUE(listing.Messages.empty());
  EXPECT_TRUE(IsWindowEnabled(window->Handle()));
}

TEST_F(CheckTargetsTest, DeployNowAsksWhenATargetIsMissing) {
  OpenWithPair();
  window->ShowPage(kPageDeployment);
  Type(Control("txtNetworkSharePath"), "\\\\srv\\deploy");
  listing.SaveFiles.push_back(PathOf("Printers.ini"));
  ChooseMenuCommand(window->Handle(), kToolCommandBase + static_cast<int>(Tool::Save));
  ASSERT_FALSE(window->CurrentDocument().Unsaved);
  listing.Messages.clear();
  const std::string question = "1 of 2 targets are missing \xE2\x80\x94 deploy anyway?";

  // No: nothing is deployed and nothing more is said.
  listing.Answers.push_back(MessageAnswer::No);
  ASSERT_TRUE(Click(Control(cmdDeployNow(0))));
  std::vector<std::string> said = listing.TakeMessages();
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0].substr(0, question.size()), question);
  EXPECT_NE(said[0].find("\\\\NEWSRV1\\Laser2: missing"), std::string::npos) << said[0];
  EXPECT_EQ(ReadBytes(share / "Printers.ini"), "<missing>");

  // Yes: the deployment goes on.
  listing.Answers.push_back(MessageAnswer::Yes);
  ASSERT_TRUE(Click(Control(cmdDeployNow(0))));
  said = listing.TakeMessages();
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0].substr(0, question.size()), question);
  EXPECT_EQ(said[1], "Deployment successfull.");
  EXPECT_NE(ReadBytes(share / "Printers.ini"), "<missing>");
}

// A long status is read without scrolling sideways, and the user may make
// the window larger: the list takes the room, Close stays in its corner.
TEST(CheckTargetsWindow, FitsItsStatusColumnAndResizes) {
  TargetCheckReport report;
  report.Summary = "0 of 1 targets found, 1 server unreachable.";
  report.Rows.push_back({"servers 1: OLDSRV1 -> NEWSRV1", "\\\\NEWSRV1\\Laser1",
                         "server unreachable (the server refused every connection on ports "
                         "445 and 139)",
                         check::TargetStatus::Unreachable});
  HWND dialog = CreateCheckTargetsDialog(nullptr, report);
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, SW_SHOWNA);
  PumpMessages();
  EXPECT_TRUE(GetWindowLongW(dialog, GWL_STYLE) & WS_THICKFRAME) << "resizable";
  HWND list = GetDlgItem(dialog, lstTargets);
  auto fits = [&] {
    RECT inside{};
    GetClientRect(list, &inside);
    int row = 0;
    for (int column = 0; column < 3; ++column) row += ListView_GetColumnWidth(list, column);
    return row <= inside.right;
  };
  const std::wstring status = Wide(report.Rows[0].Status);
  EXPECT_GE(ListView_GetColumnWidth(list, 2), ListView_GetStringWidth(list, status.c_str()));
  EXPECT_TRUE(fits()) << "no sideways scrolling";

  auto rect = [&](int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    return r;
  };
  const RECT before = rect(lstTargets), close = rect(cmdClose);
  const int status0 = ListView_GetColumnWidth(list, 2);
  RECT frame{};
  GetWindowRect(dialog, &frame);
  SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + 120, frame.bottom - frame.top + 80,
               SWP_NOMOVE | SWP_NOZORDER);
  PumpMessages();
  const RECT after = rect(lstTargets), close2 = rect(cmdClose);
  EXPECT_EQ(after.right - after.left, before.right - before.left + 120);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 80);
  EXPECT_EQ(close2.left - close.left, 120);
  EXPECT_EQ(close2.top - close.top, 80);
  EXPECT_EQ(ListView_GetColumnWidth(list, 2), status0 + 120) << "Status takes the new room";
  EXPECT_TRUE(fits());
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace velloran::win32::testing
