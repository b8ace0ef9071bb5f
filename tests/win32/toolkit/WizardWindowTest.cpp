// The wizard window as drawn: its tree, moving between pages, the tools of
// each mode, help, keyboard and resizing.

#include <windows.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>

#include "WizardFixture.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/Pages.h"
#include "toolkit/win32/ControlNames.h"
#include "toolkit/win32/Ui.h"

namespace velloran::win32::testing {
namespace {

int ToolCommand(Tool tool) { return kToolCommandBase + static_cast<int>(tool); }

TEST_F(WizardTest, TreeOfEachModeAsDrawn) {
  Open(true);
  EXPECT_EQ(
      TreeOutline(Control(tvwWizardOptions)),
      (std::vector<std::string>{"General", "Active Directory", "Notification", "  SMTP Mail",
                                "  File Output", "  Client User Pop-Up", "  Application Event Log",
                                "Deployment", "  General", "  MDAC", "Support"}));
  window.reset();
  Open(false);
  EXPECT_EQ(TreeOutline(Control(tvwWizardOptions)),
            (std::vector<std::string>{"General", "Manual Configuration", "  Servers", "  Printers",
                                      "  Mixed", "Notification", "  SMTP Mail", "  File Output",
                                      "  Client User Pop-Up", "  Application Event Log",
                                      "Deployment", "Support"}));
  EXPECT_EQ(TextOf(Control("cboConfigurationFileType")), "Manual Configuration");
  EXPECT_EQ(TextOf(window->Handle()), "Velloran - Deployment Toolkit [UNTITLED]");
}

struct Step {
  std::string heading, node;
};

// Next from the first page to the last, then Back all the way: each page's
// heading and the tree node selected with it.
void WalkPages(WizardTest& test, frmWizard& window, const std::vector<Step>& expected) {
  std::vector<Step> forward;
  for (;;) {
    const int page = window.CurrentPage();
    forward.push_back({TextOf(window.Control(lblGeneral(page))),
                       SelectedTreeItem(window.Control(tvwWizardOptions))});
    if (!Click(window.Control(cmdNext(page)))) break;
  }
  ASSERT_EQ(forward.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(forward[i].heading, expected[i].heading) << i;
    EXPECT_EQ(forward[i].node, expected[i].node) << i;
  }
  size_t back = 1;
  while (Click(window.Control(cmdBack(window.CurrentPage())))) ++back;
  EXPECT_EQ(back, expected.size()) << "Back retraces Next";
  EXPECT_EQ(window.CurrentPage(), kPageGeneral);
  (void)test;
}

TEST_F(WizardTest, BackAndNextWalkEachModeAndSelectTheNode) {
  // Both modes share the notification pages.
  const std::vector<Step> notification = {
      {"Notification", "Notification"},
      {"Notification - SMTP Mail", "SMTP Mail"},
      {"Notification - File Output", "File Output"},
      {"Notification - Client Pop-Up", "Client User Pop-Up"},
      {"Notification - Application Event Log", "Application Event Log"}};
  auto walk = [&](std::vector<Step> before, const std::vector<Step>& after) {
    before.insert(before.end(), notification.begin(), notification.end());
    before.insert(before.end(), after.begin(), after.end());
    return before;
  };
  Open(true);
  WalkPages(*this, *window,
            walk({{"General", "General"}, {"Active Directory", "Active Directory"}},
                 {{"Deployment", "Deployment"},
                  {"Deployment - General", "General"},
                  {"Deployment - MDAC", "MDAC"},
                  {"Support", "Support"}}));
  window.reset();
  Open(false);
  WalkPages(*this, *window,
            walk({{"General", "General"},
                  {"Manual Configuration", "Manual Configuration"},
                  {"Manual Configuration - Servers", "Servers"},
                  {"Manual Configuration - Printers", "Printers"},
                  {"Manual Configuration - Mixed", "Mixed"}},
                 {{"Deployment", "Deployment"}, {"Support", "Support"}}));
}

TEST_F(WizardTest, TreeClicksShowTheirPages) {
  Open(true);
  ASSERT_TRUE(SelectTreeItem(Control(tvwWizardOptions), "Deployment/General"));
  EXPECT_EQ(Heading(), "Deployment - General");
  EXPECT_TRUE(IsShown(Control(lblWizard(1)))) << "the Active Directory note";
  EXPECT_TRUE(IsShown(Control("txtNetworkSharePath")));
  EXPECT_FALSE(IsShown(Control("chkAlwaysRun"))) << "only one page is shown";
  ASSERT_TRUE(SelectTreeItem(Control(tvwWizardOptions), "Deployment"));
  EXPECT_EQ(Heading(), "Deployment");
  EXPECT_FALSE(IsShown(Control("txtNetworkSharePath")));

  window.reset();
  Open(false);
  ASSERT_TRUE(SelectTreeItem(Control(tvwWizardOptions), "Deployment"));
  EXPECT_EQ(Heading(), "Deployment");
  EXPECT_TRUE(IsShown(Control("txtNetworkSharePath")));
  EXPECT_FALSE(IsShown(Control(lblWizard(1))));
  ASSERT_TRUE(SelectTreeItem(Control(tvwWizardOptions), "Manual Configuration/Mixed"));
  EXPECT_TRUE(IsShown(Control("lstMixedPrintersAndServers")));
}

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

TEST_F(WizardTest, HelpOpensThePageOfTheContextInTheBrowser) {
  Open(false);
  ChooseMenuCommand(window->Handle(), ToolCommand(Tool::Servers));
  ASSERT_TRUE(Click(Control(cmdHelp(kPageServers))));
  ChooseMenuCommand(window->Handle(), ToolCommand(Tool::Deployment));
  PressKey(*window, VK_F1);
  ChooseMenuCommand(window->Handle(), ToolCommand(Tool::Contents));
  ASSERT_EQ(dialogs.Opened.size(), 3u);
  EXPECT_EQ(FileName(dialogs.Opened[0]), "servers.html");
  EXPECT_EQ(FileName(dialogs.Opened[1]), "deployment.html") << "page 15 of a manual document";
  EXPECT_EQ(FileName(dialogs.Opened[2]), "index.html");
  EXPECT_NE(GetFileAttributesW(Wide(dialogs.Opened[0]).c_str()), INVALID_FILE_ATTRIBUTES)
      << "the page lies in help beside the program";
  EXPECT_TRUE(dialogs.Messages.empty());

  dialogs.ShellSucceeds = false;
  PressKey(*window, VK_F1);
  ASSERT_EQ(dialogs.Messages.size(), 1u) << "no browser is said, not swallowed";
  EXPECT_NE(dialogs.Messages[0].Text.find("deployment.html"), std::string::npos);
}

// The pop-up messages are paragraphs: they wrap, Enter and Ctrl+Enter
// break the line, and a break read from the file shows as one.
TEST_F(WizardTest, PopupMessagesTakeLineBreaks) {
  Open(false);
  // A break from the file.
  {
    std::ofstream(root / "Breaks.ini", std::ios::binary)
        << "[NOTIFICATION CLIENT POP-UP]\r\nUseSuccessClientPopup=True\r\n"
           "SuccessMessage=Moved.^CRLFThank you.\r\n";
  }
  dialogs.OpenFiles.push_back(PathOf("Breaks.ini"));
  ChooseMenuCommand(window->Handle(), ToolCommand(Tool::Open));
  EXPECT_EQ(TextOf(Control("txtSucessMessage")), "Moved.\r\nThank you.");
  EXPECT_EQ(SendMessageW(Control("txtSucessMessage"), EM_GETLINECOUNT, 0, 0), 2);

  window->ShowPage(kPageClientPopup);
  for (std::string_view name : {"txtSucessMessage", "txtFailureMessage"}) {
    HWND message = Control(name);
    if (!IsEnabled(message))
      Click(Control(name == "txtSucessMessage" ? "chkUseNotifyUser" : "chkNotifyMessageOnFailure"));
    SetFocus(message);
    Type(message, std::string(400, 'w').insert(200, " "));
    EXPECT_GT(SendMessageW(message, EM_GETLINECOUNT, 0, 0), 1) << "a long line wraps";

    Type(message, "Moved.");
    SendMessageW(message, EM_SETSEL, 6, 6);
    PressKey(*window, VK_RETURN);
    WithCtrl([&] { PressKey(*window, VK_RETURN); });
    EXPECT_EQ(TextOf(message), "Moved.\r\n\r\n");
    EXPECT_EQ(GetFocus(), message) << "Enter stays in the message";
  }
}

TEST_F(WizardTest, ResizingGrowsTheFieldsAndKeepsTheButtonsInTheCorner) {
  Open(false);
  window->ShowPage(kPageServers);
  auto rect = [&](ControlRef c) {
    RECT r{};
    GetWindowRect(Control(c), &r);
    return r;
  };
  const RECT list = rect("lstServerPairs"), next = rect(cmdNext(kPageServers)),
             help = rect(cmdHelp(kPageServers)), field = rect("txtFromServer");
  RECT frame{};
  GetWindowRect(window->Handle(), &frame);
  SetWindowPos(window->Handle(), nullptr, 0, 0, frame.right - frame.left + 200,
               frame.bottom - frame.top + 150, SWP_NOMOVE | SWP_NOZORDER);
  PumpMessages();
  const RECT list2 = rect("lstServerPairs"), next2 = rect(cmdNext(kPageServers)),
             help2 = rect(cmdHelp(kPageServers)), field2 = rect("txtFromServer");
  EXPECT_EQ(list2.right - list2.left, list.right - list.left + 200);
  EXPECT_EQ(list2.bottom - list2.top, list.bottom - list.top + 150);
  EXPECT_EQ(next2.left - next.left, 200);
  EXPECT_EQ(next2.top - next.top, 150);
  EXPECT_EQ(help2.left, help.left) << "Help stays at the left";
  EXPECT_EQ(field2.right - field2.left, field.right - field.left + 200);
  EXPECT_EQ(field2.top, field.top);
}

TEST_F(WizardTest, CancellingTheStartUpDialogClosesTheWindow) {
  window = std::make_unique<frmWizard>(Services());
  ASSERT_TRUE(window->Create(GetModuleHandleW(nullptr)));
  HWND hwnd = window->Handle();
  EXPECT_FALSE(window->Start());
  EXPECT_EQ(dialogs.NewINIRequests, std::vector<bool>{true}) << "existing files are offered";
  EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
}  // namespace velloran::win32::testing
