// The toolkit's own dialogs, created without their modal loop and driven by
// control ID: New INI, About and the progress window.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "ScriptedDialogs.h"
#include "WindowDriver.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/Dialogs.h"
#include "toolkit/win32/Ui.h"

namespace velloran::win32::testing {
namespace {

class NewINIDialogTest : public ::testing::Test {
 protected:
  HWND Open(bool offerExisting) {
    dialog = CreateNewINIDialog(nullptr, dialogs, offerExisting, &choice);
    ShowWindow(dialog, SW_SHOWNA);
    PumpMessages();
    return dialog;
  }
  void TearDown() override {
    if (IsWindow(dialog)) DestroyWindow(dialog);
  }
  HWND Item(int id) const { return GetDlgItem(dialog, id); }
  void ShowTab(int index) {
    TabCtrl_SetCurSel(Item(sstNewINI), index);
    NMHDR header{Item(sstNewINI), static_cast<UINT_PTR>(sstNewINI),
                 static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(dialog, WM_NOTIFY, sstNewINI, reinterpret_cast<LPARAM>(&header));
  }

  ScriptedDialogs dialogs;
  NewINIChoice choice;
  HWND dialog = nullptr;
};

TEST_F(NewINIDialogTest, NewPageChoosesTheKindOfDocument) {
  Open(false);
  EXPECT_EQ(TextOf(dialog), "New INI");
  EXPECT_EQ(TabCtrl_GetItemCount(Item(sstNewINI)), 1) << "on File > New only \"New\" is offered";
  EXPECT_TRUE(IsChecked(Item(optUseActiveDirectory))) << "preset";
  ASSERT_TRUE(Click(Item(optUseManualConfiguration)));
  ASSERT_TRUE(Click(Item(cmdSelect)));
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_FALSE(choice.Cancelled);
  EXPECT_FALSE(choice.ActiveDirectory);
  EXPECT_FALSE(choice.ExistingPage);
}

TEST_F(NewINIDialogTest, CancelLeavesWithCancelled) {
  Open(true);
  choice.Cancelled = false;
  ASSERT_TRUE(Click(Item(cmdCancel)));
  EXPECT_TRUE(choice.Cancelled);
  EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(NewINIDialogTest, HelpAnswersWithTheContextOfHowItWasOpened) {
  Open(true);
  ASSERT_TRUE(Click(Item(cmdNewINIHelp)));
  SendMessageW(dialog, WM_HELP, 0, 0);  // F1
  DestroyWindow(dialog);
  Open(false);
  ASSERT_TRUE(Click(Item(cmdNewINIHelp)));
  ASSERT_EQ(dialogs.Opened.size(), 3u);
  auto name = [](const std::string& path) { return path.substr(path.find_last_of('\\') + 1); };
  EXPECT_EQ(name(dialogs.Opened[0]), "new-ini-startup.html");
  EXPECT_EQ(name(dialogs.Opened[1]), "new-ini-startup.html");
  EXPECT_EQ(name(dialogs.Opened[2]), "new-ini.html");
}

// Ctrl+Tab turns the page, as in every tabbed dialog, from wherever the
// focus is; with one page there is nowhere to go.
TEST_F(NewINIDialogTest, CtrlTabSwitchesNewAndExisting) {
  Open(true);
  auto press = [&](bool shift) {
    MSG msg{};
    msg.hwnd = Item(optUseActiveDirectory);
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    const bool taken = TranslateNewINIKeyboard(dialog, msg);
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    PumpMessages();
    return taken;
  };
  ASSERT_TRUE(press(false));
  EXPECT_EQ(TabCtrl_GetCurSel(Item(sstNewINI)), 1);
  EXPECT_TRUE(IsShown(Item(filExistingINI)));
  EXPECT_FALSE(IsShown(Item(optUseActiveDirectory)));
  ASSERT_TRUE(press(true));
  EXPECT_EQ(TabCtrl_GetCurSel(Item(sstNewINI)), 0);
  EXPECT_TRUE(IsShown(Item(optUseActiveDirectory)));

  // A plain Tab is the dialog's: it moves between the controls.
  MSG tab{};
  tab.hwnd = Item(optUseActiveDirectory);
  tab.message = WM_KEYDOWN;
  tab.wParam = VK_TAB;
  EXPECT_FALSE(TranslateNewINIKeyboard(dialog, tab));

  DestroyWindow(dialog);
  Open(false);
  EXPECT_TRUE(press(false)) << "taken, so the focus does not jump instead";
  EXPECT_EQ(TabCtrl_GetCurSel(Item(sstNewINI)), 0);
}

TEST_F(NewINIDialogTest, ExistingPageListsFoldersAndINIFilesAndSelectsOne) {
  const auto root = std::filesystem::temp_directory_path() / "velloran-newini-test";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "sites");
  std::ofstream(root / "sites" / "Printers.ini") << "[GENERAL]\r\n";
  std::ofstream(root / "sites" / "notes.txt") << "x";
  SetCurrentDirectoryW((root).wstring().c_str());

  Open(true);
  ASSERT_EQ(TabCtrl_GetItemCount(Item(sstNewINI)), 2);
  ShowTab(1);
  EXPECT_TRUE(IsShown(Item(filExistingINI)));
  EXPECT_FALSE(IsShown(Item(optUseActiveDirectory)));
  const auto folders = LinesOf(Item(dirExistingINI));
  ASSERT_NE(std::find(folders.begin(), folders.end(), "sites"), folders.end());

  Click(Item(cmdSelect));
  ASSERT_EQ(dialogs.Messages.size(), 1u) << "Select without a file says so";
  EXPECT_TRUE(IsWindow(dialog));

  HWND dirs = Item(dirExistingINI);
  SendMessageW(dirs, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"sites"));
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(dirExistingINI, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(dirs));
  EXPECT_EQ(LinesOf(Item(filExistingINI)), std::vector<std::string>{"Printers.ini"});
  HWND files = Item(filExistingINI);
  SendMessageW(files, LB_SETCURSEL, 0, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(filExistingINI, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(files));
  EXPECT_FALSE(choice.Cancelled);
  EXPECT_TRUE(choice.ExistingPage);
  EXPECT_EQ(std::filesystem::path(Wide(choice.ExistingFile)),
            std::filesystem::canonical(root / "sites" / "Printers.ini"));
  SetCurrentDirectoryW(std::filesystem::temp_directory_path().wstring().c_str());
  std::filesystem::remove_all(root);
}

TEST(AboutDialogTest, ShowsTitleAndPlainVersion) {
  HWND about = CreateAboutDialog(nullptr);
  ASSERT_TRUE(about);
  EXPECT_EQ(TextOf(about), "About Velloran - Deployment Toolkit");
  EXPECT_EQ(TextOf(GetDlgItem(about, lblTitle)), "Velloran - Deployment Toolkit");
  EXPECT_EQ(TextOf(GetDlgItem(about, lblVersion)), "Version " VELLORAN_VERSION);
  EXPECT_NE(TextOf(GetDlgItem(about, lblDisclaimer)).find("Copyright"), std::string::npos);
  ShowWindow(about, SW_SHOWNA);
  ASSERT_TRUE(Click(GetDlgItem(about, cmdOK)));
  EXPECT_FALSE(IsWindow(about));
}

TEST(ProgressWindowTest, ShowsLabelAndValue) {
  frmProgress progress(nullptr);
  EXPECT_EQ(TextOf(progress.Handle()), "Progress ...");
  progress.SetMaximum(11);
  progress.SetValue(4);
  progress.SetLabel("Copying INI file ...");
  EXPECT_EQ(progress.Value(), 4);
  EXPECT_EQ(TextOf(GetDlgItem(progress.Handle(), lblProgress)), "Copying INI file ...");
}

HFONT FontOf(HWND control) {
  return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}
bool IsFont(HFONT font) { return GetObjectType(font) == OBJ_FONT; }

// Each dialog draws in fonts of its own, made at its DPI: a second one open
// at the same time takes nothing from the first, and a closed one leaves
// no font behind. Escape closes a dialog that may be closed, and does not
// close a progress window, which the work it shows closes.
TEST(DialogBaseTest, EachDialogHasItsOwnFontsForItsLife) {
  struct Shown {
    const char* Name;
    std::function<HWND()> Open;
    int Label;
    bool EscapeCloses;
  };
  std::unique_ptr<frmProgress> progress[2];
  int made = 0;
  const Shown kinds[] = {
      {"About", [] { return CreateAboutDialog(nullptr); }, lblVersion, true},
      {"progress",
       [&] {
         progress[made % 2] = std::make_unique<frmProgress>(nullptr);
         return progress[made++ % 2]->Handle();
       },
       lblProgress, false},
  };
  for (const Shown& kind : kinds) {
    SCOPED_TRACE(kind.Name);
    HWND first = kind.Open();
    HWND second = kind.Open();
    ASSERT_TRUE(first && second);
    const HFONT a = FontOf(GetDlgItem(first, kind.Label));
    const HFONT b = FontOf(GetDlgItem(second, kind.Label));
    EXPECT_NE(a, b);
    EXPECT_TRUE(IsFont(a)) << "the second took the first one's font";
    EXPECT_TRUE(IsFont(b));

    SendMessageW(first, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(IsWindow(first) == FALSE, kind.EscapeCloses);
    DestroyWindow(first);
    progress[0].reset();
    EXPECT_FALSE(IsFont(a)) << "released with its dialog";
    EXPECT_TRUE(IsFont(b));
    DestroyWindow(second);
    progress[1].reset();
    EXPECT_FALSE(IsFont(b));
  }
}

}  // namespace
}  // namespace velloran::win32::testing
