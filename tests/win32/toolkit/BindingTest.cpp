// The pages bound to the core: first control by control and command by
// command over the form's declaration, then driven as an administrator
// would: the saved INI file, the pair editors, the checks, the deployed
// files and the caption. Saved and deployed bytes are those of the toolkit's golden files:
// both front-ends write the same files for the same input.

#include <windows.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "WizardFixture.h"
#include "common/modINIDocument.h"
#include "platform/profile/Profile.h"
#include "toolkit/core/FieldRules.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/Pages.h"
#include "toolkit/win32/ControlNames.h"

namespace velloran::win32::testing {
namespace {

int ToolCommand(Tool tool) { return kToolCommandBase + static_cast<int>(tool); }

class BindingTest : public WizardTest {
 protected:
  void On(int page) { window->ShowPage(page); }
  void Tick(ControlRef c) { ASSERT_TRUE(Click(Control(c))) << c.Id; }
  void AddPair(ControlRef from, ControlRef to, ControlRef save, const std::string& a,
               const std::string& b) {
    Type(Control(from), a);
    Type(Control(to), b);
    Click(Control(save));
  }
  /// File > Save, answering the Save As dialog with `path` when it asks.
  void SaveAs(const std::string& path) {
    dialogs.SaveFiles.push_back(path);
    ChooseMenuCommand(window->Handle(), ToolCommand(Tool::Save));
  }
  INISettings ReadBack(const std::string& path) {
    INISettings s;
    ResetINISettings(s);
    INIDocument(SystemProfile(), path).ReadINISettings(s);
    return s;
  }
  /// A saved manual document with one server pair and the deployment set.
  void SavedManualDocument(bool mdac) {
    Open(false);
    On(kPageServers);
    AddPair("txtFromServer", "txtToServer", cmdSaveServerPair, "OLDSRV1", "NEWSRV1");
    On(kPageDeployment);
    Type(Control("txtNetworkSharePath"), "\\\\srv\\deploy");
    Tick("chkCreateHTML");
    Tick("chkBatchFile");
    if (mdac) {
      On(kPageMDAC);
      Tick("chkIncludeMDAC");
      Tick("optMDACVersion(2)");
    }
    SaveAs(PathOf("Printers.ini"));
    ASSERT_FALSE(window->CurrentDocument().Unsaved);
  }
};

// ---- The declaration, control by control and command by command ----------

// Every declared control is on its page under the ID its place in the
// declaration gives it, and only there; it carries its declared caption,
// on itself or on the label just before it (so that the label's letter
// reaches it); and one the declaration switches follows its check box.
TEST_F(BindingTest, EveryDeclaredControlStandsOnItsPageWithItsCaption) {
  Open(false);
  std::set<int> ids;
  for (const FormControl& c : FormControls()) {
    SCOPED_TRACE(std::string(c.Name));
    const int id = ControlIdOf(c.Name);
    EXPECT_TRUE(ids.insert(id).second) << "one ID per control";
    EXPECT_EQ(FormControlOf(id), &c);
    HWND control = Control(c.Name);
    ASSERT_NE(control, nullptr);
    if (!NodeOfPage(c.Page, false)) continue;  // the Active Directory pages, below
    On(c.Page);
    EXPECT_TRUE(IsShown(control));
    On(c.Page == kPageGeneral ? kPageSupport : kPageGeneral);
    EXPECT_FALSE(IsShown(control)) << "shown on another page";
    On(c.Page);

    const bool own = c.Kind == ControlKind::Check || c.Kind == ControlKind::Option ||
                     c.Kind == ControlKind::Button;
    if (own) {
      EXPECT_EQ(TextOf(control), c.Caption);
    } else if (!c.Caption.empty()) {
      EXPECT_EQ(TextOf(GetWindow(control, GW_HWNDPREV)), c.Caption) << "the label before it";
    }
    if (!c.SwitchedBy.empty()) {
      HWND box = Control(c.SwitchedBy);
      if (IsChecked(box)) Tick(c.SwitchedBy);
      EXPECT_FALSE(IsEnabled(control)) << "off while " << c.SwitchedBy << " is clear";
      Tick(c.SwitchedBy);
      EXPECT_TRUE(IsEnabled(control));
      Tick(c.SwitchedBy);
    }
  }
  window.reset();
  Open(true);
  for (const FormControl& c : FormControls()) {
    if (c.Page != kPageActiveDirectory && c.Page != kPageMDAC) continue;
    SCOPED_TRACE(std::string(c.Name));
    On(c.Page);
    EXPECT_TRUE(IsShown(Control(c.Name)));
  }
}

// Every value control shows what the golden file holds for it, and the
// window saves those values back to the same bytes.
TEST_F(BindingTest, EveryDeclaredControlRoundTripsTheGoldenFile) {
  const std::string path = PathOf("filled.ini");
  std::ofstream(std::filesystem::path(Wide(path)), std::ios::binary) << Golden("filled.ini");
  Open(false);
  dialogs.OpenFiles.push_back(path);
  ChooseMenuCommand(window->Handle(), ToolCommand(Tool::Open));
  ASSERT_EQ(TextOf(window->Handle()), "Velloran - Deployment Toolkit [filled.ini]");

  const PageFields expected = FieldsOfRecord(ReadBack(path));
  size_t compared = 0;
  for (const FormControl& c : FormControls()) {
    if (!HoldsValue(c) || c.Bind == Binding::Preference) continue;
    SCOPED_TRACE(std::string(c.Name));
    HWND control = Control(c.Name);
    ++compared;
    switch (c.Kind) {
      case ControlKind::Check:
      case ControlKind::Option: {
        const auto it = expected.Checks.find(c.Name);
        EXPECT_EQ(IsChecked(control), it != expected.Checks.end() && it->second);
        break;
      }
      case ControlKind::List: {
        const auto it = expected.Lists.find(c.Name);
        EXPECT_EQ(LinesOf(control),
                  it == expected.Lists.end() ? std::vector<std::string>{} : it->second);
        break;
      }
      default: {
        // A multi-line edit shows its breaks as CR LF.
        std::string shown = TextOf(control);
        std::erase(shown, '\r');
        const auto it = expected.Texts.find(c.Name);
        EXPECT_EQ(shown, it == expected.Texts.end() ? std::string() : it->second);
        break;
      }
    }
  }
  EXPECT_GT(compared, 30u);
  EXPECT_FALSE(window->CurrentDocument().Unsaved) << "showing the file is no edit";

  dialogs.SaveFiles.push_back(PathOf("again.ini"));
  ChooseMenuCommand(window->Handle(), ToolCommand(Tool::SaveAs));
  EXPECT_EQ(dialogs.TakeMessages(), std::vector<std::string>{});
  EXPECT_EQ(ReadBytes(Wide(PathOf("again.ini"))), Golden("filled.ini"));
}

// Every entry of the declared menus, in both modes: offered as the
// presenter offers it, and chosen, it does what the presenter does for it.
TEST_F(BindingTest, EveryMenuCommandReachesThePresenter) {
  struct Counts {
    size_t NewINI, Open, Save, Help;
    int About;
  };
  auto counts = [this] {
    return Counts{dialogs.NewINIRequests.size(), dialogs.OpenRequests.size(),
                  dialogs.SaveRequests.size(), dialogs.Opened.size(), dialogs.AboutShown};
  };
  for (bool activeDirectory : {false, true}) {
    SCOPED_TRACE(activeDirectory ? "Active Directory" : "manual");
    Open(activeDirectory);
    // A document that may be saved; every question to save first is
    // answered No.
    if (activeDirectory) {
      Type(Control("cboDomainName"), "corp.example.com");
    } else {
      On(kPageServers);
      AddPair("txtFromServer", "txtToServer", cmdSaveServerPair, "OLDSRV1", "NEWSRV1");
      On(kPageGeneral);
    }
    bool exit = false;
    for (const FormMenu& menu : FormMenus()) {
      for (const MenuEntry& entry : menu.Entries) {
        SCOPED_TRACE(std::string(entry.Command));
        const std::optional<Tool> tool = ToolOfId(entry.Command);
        if (!tool) {
          // Check Targets: offered where the program can check.
          ASSERT_EQ(entry.Command, "actCheckTargets");
          EXPECT_FALSE(MenuCommandEnabled(window->Handle(), kCheckTargetsCommand))
              << "this window has no check";
          continue;
        }
        const int command = ToolCommand(*tool);
        const bool offered = ToolOffered(*tool, activeDirectory);
        EXPECT_EQ(MenuCommandEnabled(window->Handle(), command), offered);
        if (*tool == Tool::Exit) {
          exit = true;
          continue;
        }
        const int pageBefore = window->CurrentPage();
        const Counts before = counts();
        dialogs.Answers = {MessageAnswer::No};
        ChooseMenuCommand(window->Handle(), command);
        dialogs.Answers.clear();
        const Counts after = counts();
        if (!offered) {
          EXPECT_EQ(window->CurrentPage(), pageBefore) << "an unavailable tool does nothing";
          continue;
        }
        if (const auto page = PageOfTool(*tool, activeDirectory)) {
          EXPECT_EQ(window->CurrentPage(), *page);
          EXPECT_EQ(Heading(), PageHeading(*page, activeDirectory));
          EXPECT_EQ(SelectedTreeItem(Control(tvwWizardOptions)),
                    NodeOfPage(*page, activeDirectory)->Text);
          continue;
        }
        switch (*tool) {
          case Tool::New:
            EXPECT_EQ(after.NewINI, before.NewINI + 1);
            break;
          case Tool::Open:
            EXPECT_EQ(after.Open, before.Open + 1);
            break;
          case Tool::Save:
          case Tool::SaveAs:
            EXPECT_EQ(after.Save, before.Save + 1) << "an untitled document asks for a name";
            break;
          case Tool::Contents:
            EXPECT_EQ(after.Help, before.Help + 1);
            break;
          case Tool::About:
            EXPECT_EQ(after.About, before.About + 1);
            break;
          default:
            ADD_FAILURE() << "a command without a row here";
        }
      }
    }
    EXPECT_TRUE(exit);
    HWND hwnd = window->Handle();
    dialogs.Answers = {MessageAnswer::No};
    ChooseMenuCommand(hwnd, ToolCommand(Tool::Exit));
    EXPECT_FALSE(IsWindow(hwnd)) << "Exit closes the window";
    window.reset();
  }
}

// The letter a caption marks, upper case as Alt is pressed with it; 0 for none.
char Mnemonic(std::string_view caption) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(MnemonicOf(caption))));
}

// One owner for each letter on every page; only fields' labels may share
// one (they take the focus in turn, ahead of the menu of that letter).
TEST_F(BindingTest, EveryMnemonicHasOneOwnerOnEveryPage) {
  for (bool activeDirectory : {true, false}) {
    Open(activeDirectory);
    for (int page = 0; page < kPageCount; ++page) {
      if (!HasPage(page)) continue;
      window->ShowPage(page);
      struct Owner {
        std::string Caption;
        bool Label;
      };
      std::multimap<char, Owner> owners = {
          {'F', {"File menu", true}}, {'V', {"View menu", true}}, {'H', {"Help menu", true}}};
      for (HWND child = GetWindow(window->Handle(), GW_CHILD); child;
           child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || (GetWindowLongW(child, GWL_STYLE) & SS_NOPREFIX)) continue;
        const std::string caption = TextOf(child);
        const char letter = Mnemonic(caption);
        if (!letter) continue;
        wchar_t kind[16] = {};
        GetClassNameW(child, kind, 16);
        owners.insert({letter, {caption, std::wstring(kind) == L"Static"}});
      }
      for (auto at = owners.begin(); at != owners.end();) {
        const auto end = owners.upper_bound(at->first);
        std::string all;
        bool shareable = true;
        for (auto o = at; o != end; ++o) {
          all += " \"" + o->second.Caption + "\"";
          shareable = shareable && o->second.Label;
        }
        EXPECT_TRUE(std::distance(at, end) == 1 || shareable)
            << "page " << page << ": Alt+" << at->first << " belongs to" << all;
        at = end;
      }
    }
    window.reset();
  }
}

// Alt and a caption's letter, from the tree: a field's label moves to the
// field, a check box switches, an option is chosen; fields sharing a letter
// take the focus in turn. Every declared caption on every page of both
// modes, so a label drawn with another letter than the declaration's, or one
// the window ignores, is caught.
TEST_F(BindingTest, AltAndACaptionsLetterReachesItsBuddy) {
  const auto any = [](std::string_view) { return true; };
  for (bool activeDirectory : {true, false}) {
    Open(activeDirectory);
    for (const FormControl& c : FormControls()) {
      const char letter = Mnemonic(c.Caption);
      if (!letter || c.Kind == ControlKind::Button || !NodeOfPage(c.Page, activeDirectory))
        continue;
      window->ShowPage(c.Page);
      if (!c.SwitchedBy.empty() && !IsChecked(Control(ControlIdOf(c.SwitchedBy)))) {
        ASSERT_TRUE(Click(Control(ControlIdOf(c.SwitchedBy))));
      }
      HWND target = Control(ControlIdOf(c.Name));
      SetFocus(Control(tvwWizardOptions));
      const bool wasChecked = IsChecked(target);
      PressAlt(*window, letter);
      const std::string what = std::string(c.Name) + " (Alt+" + letter + ")";
      if (c.Kind == ControlKind::Check) {
        EXPECT_NE(IsChecked(target), wasChecked) << what;
      } else if (c.Kind == ControlKind::Option) {
        EXPECT_TRUE(IsChecked(target)) << what;
      } else {
        // A box one can type in hands the focus to its own edit.
        auto focused = [&](std::string_view name) {
          HWND control = Control(ControlIdOf(name));
          return GetFocus() == control || IsChild(control, GetFocus());
        };
        const std::string_view first = MnemonicTarget(c.Page, letter, "", any);
        EXPECT_TRUE(focused(first)) << what << " goes to " << first;
        const std::string_view second = MnemonicTarget(c.Page, letter, first, any);
        PressAlt(*window, letter);
        EXPECT_TRUE(focused(second)) << what << " again goes to " << second;
      }
    }
    window.reset();
  }
}

// ---- Documents, pair editors, checks and deployment --------------------------

TEST_F(BindingTest, ManualDocumentIsSavedAsTheOtherToolkitSavesItAndReopens) {
  Open(false);
  EXPECT_FALSE(window->CurrentDocument().Unsaved);
  On(kPageServers);
  AddPair("txtFromServer", "txtToServer", cmdSaveServerPair, "OLDSRV1", "NEWSRV1");
  Click(Control(cmdNewServerPair));
  AddPair("txtFromServer", "txtToServer", cmdSaveServerPair, "OLDSRV2", "NEWSRV2");
  On(kPagePrinters);
  AddPair("txtFromPrinter", "txtToPrinter", cmdPrinterSave, "ACCOUNTING", "ACCOUNTING-COLOR");
  On(kPageSMTPMail);
  Tick("chkUseSMTP");
  Type(Control("txtSMTPServerName"), "mail.corp.example.com");
  Type(Control("txtSMTPEmailAddress"), "velloran@corp.example.com");
  Type(Control("txtSendEmailTo"), "helpdesk@corp.example.com");
  Click(Control("cmdAddSendEmail"));
  Type(Control("txtSendEmailTo"), "printadmin@corp.example.com");
  Click(Control("cmdAddSendEmail"));
  On(kPageClientPopup);
  Tick("chkUseNotifyUser");
  Type(Control("txtSucessMessage"), "Moved.\r\nThank you.");
  On(kPageMDAC);
  Tick("chkIncludeMDAC");
  Tick("optMDACVersion(2)");
  On(kPageDeployment);
  Tick("chkBatchFile");
  On(kPageSupport);
  Tick("chkDebugOn");
  EXPECT_TRUE(window->CurrentDocument().Unsaved);
  const std::string path = PathOf("Printers.ini");
  SaveAs(path);

  EXPECT_EQ(dialogs.TakeMessages(), std::vector<std::string>{});
  ASSERT_EQ(dialogs.SaveRequests.size(), 1u) << "an untitled document asks for a name";
  EXPECT_EQ(dialogs.SaveRequests[0].Title, "Save INI file As ...");
  EXPECT_EQ(dialogs.SaveRequests[0].InitialName, "UNTITLED.INI");
  EXPECT_EQ(ReadBytes(Wide(path)), Golden("filled.ini"));
  EXPECT_EQ(TextOf(window->Handle()), "Velloran - Deployment Toolkit [Printers.ini]");
  EXPECT_FALSE(window->CurrentDocument().Unsaved);

  // New clears the pages, Open brings every field back.
  dialogs.NewINIChoices.push_back({false, false, true, {}});
  ChooseMenuCommand(window->Handle(), ToolCommand(Tool::New));
  EXPECT_EQ(TextOf(window->Handle()), "Velloran - Deployment Toolkit [UNTITLED]");
  EXPECT_TRUE(LinesOf(Control("lstServerPairs")).empty());
  EXPECT_EQ(TextOf(Control("txtSMTPServerName")), "");
  EXPECT_EQ(dialogs.NewINIRequests.back(), false) << "File > New offers no existing file";
  dialogs.OpenFiles.push_back(path);
  ChooseMenuCommand(window->Handle(), ToolCommand(Tool::Open));
  EXPECT_EQ(LinesOf(Control("lstServerPairs")),
            (std::vector<std::string>{"OLDSRV1 -> NEWSRV1", "OLDSRV2 -> NEWSRV2"}));
  EXPECT_EQ(LinesOf(Control("lstPrinterPairs")),
            std::vector<std::string>{"ACCOUNTING -> ACCOUNTING-COLOR"});
  EXPECT_EQ(LinesOf(Control("lstToEmailAddresses")),
            (std::vector<std::string>{"helpdesk@corp.example.com", "printadmin@corp.example.com"}));
  EXPECT_EQ(TextOf(Control("txtSucessMessage")), "Moved.\r\nThank you.");
  EXPECT_EQ(TextOf(Control("txtSMTPServerPort")), "25");
  EXPECT_TRUE(IsChecked(Control("optMDACVersion(2)")));
  EXPECT_TRUE(IsChecked(Control("chkDebugOn")));
  EXPECT_TRUE(IsEnabled(Control("txtSMTPServerName"))) << "the SMTP fields follow their box";
  EXPECT_FALSE(IsEnabled(Control("txtFileOutputPath")));
  EXPECT_FALSE(window->CurrentDocument().Unsaved) << "filling the pages is no edit";
  EXPECT_EQ(TextOf(window->Handle()), "Velloran - Deployment Toolkit [Printers.ini]");

  // Saved again unchanged, the file is the same.
  Type(Control("txtEmailSubject"), "x");
  Type(Control("txtEmailSubject"), "");
  ChooseMenuCommand(window->Handle(), ToolCommand(Tool::Save));
  EXPECT_EQ(ReadBytes(Wide(path)), Golden("filled.ini"));
  EXPECT_EQ(dialogs.SaveRequests.size(), 1u) << "a titled document is saved in place";
}

TEST_F(BindingTest, EveryFieldOfAnActiveDirectoryDocumentReachesTheFile) {
  domains = {"CORP", "LAB"};
  Open(true);
  EXPECT_EQ(SendMessageW(Control("cboDomainName"), CB_GETCOUNT, 0, 0), 2);
  Type(Control("cboDomainName"), "corp.example.com");
  Tick("chkAlwaysRun");
  On(kPageSMTPMail);
  Tick("chkUseSMTP");
  Type(Control("txtSMTPServerName"), "mail");
  Type(Control("txtSMTPServerPort"), "2525");
  Type(Control("txtEmailSubject"), "Printers");
  Type(Control("txtSMTPEmailAddress"), "a@b.example");
  Type(Control("txtSendEmailTo"), "c@d.example");
  Click(Control("cmdAddSendEmail"));
  On(kPageFileOutput);
  Tick("chkUseFileOutput");
  Type(Control("txtFileOutputPath"), "\\\\srv\\out");
  Type(Control("txtFileOutputName"), "result.txt");
  Tick("chkIncludeComputerName");
  Tick("chkIncludeFinalStatus");
  On(kPageClientPopup);
  Tick("chkNotifyMessageOnFailure");
  Type(Control("txtFailureMessage"), "Not moved.\r\n\r\nCall 100.");
  On(kPageEventLog);
  Tick("chkWriteToEventLog");
  On(kPageDeployment);
  Type(Control("txtNetworkSharePath"), "\\\\srv\\deploy");
  On(kPageMDAC);
  Tick("chkIncludeMDAC");
  Tick("optMDACVersion(1)");
  const std::string path = PathOf("AD.ini");
  SaveAs(path);
  EXPECT_EQ(dialogs.TakeMessages(), std::vector<std::string>{});

  const INISettings s = ReadBack(path);
  EXPECT_TRUE(s.UseActiveDirectory);
  EXPECT_FALSE(s.UseManualDefinitions);
  EXPECT_TRUE(s.AlwaysRun);
  EXPECT_EQ(s.DomainName, "corp.example.com");
  EXPECT_TRUE(s.UseSMTP);
  EXPECT_EQ(s.SMTPServerNameOrIP, "mail");
  EXPECT_EQ(s.ServerPort, "2525");
  EXPECT_EQ(s.EmailSubject, "Printers");
  EXPECT_EQ(s.EmailFrom, "a@b.example");
  ASSERT_GE(s.EmailTo.size(), 1u);
  EXPECT_EQ(s.EmailTo[0], "c@d.example");
  EXPECT_TRUE(s.UseFileOutput);
  EXPECT_EQ(s.FileOutputPath, "\\\\srv\\out");
  EXPECT_EQ(s.FileOutputName, "result.txt");
  EXPECT_TRUE(s.IncludeComputerName);
  EXPECT_TRUE(s.IncludeOutcome);
  EXPECT_TRUE(s.UseFailureClientPopup);
  EXPECT_EQ(s.FailureMessage, "Not moved.^CRLF^CRLFCall 100.");
  EXPECT_TRUE(s.WriteToEventLog);
  EXPECT_EQ(s.DeploymentPath, "\\\\srv\\deploy");
  EXPECT_TRUE(s.IncludeMDAC);
  EXPECT_EQ(s.MDACOption, 1);
  EXPECT_FALSE(s.CreateBatchFile);
  EXPECT_FALSE(s.DebugOn);
}

TEST_F(BindingTest, SaveOfAnActiveDirectoryDocumentWithoutDomainShowsItsPage) {
  Open(true);
  Tick("chkAlwaysRun");
  On(kPageSupport);
  SaveAs(PathOf("AD.ini"));
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Title, "Error Saving");
  EXPECT_EQ(window->CurrentPage(), kPageActiveDirectory);
  EXPECT_EQ(SelectedTreeItem(Control(tvwWizardOptions)), "Active Directory");
  EXPECT_TRUE(dialogs.SaveRequests.empty()) << "nothing is asked before the pages pass";
}

TEST_F(BindingTest, PairEditorsAddReplaceChooseAndDelete) {
  Open(false);
  On(kPageServers);
  AddPair("txtFromServer", "txtToServer", cmdSaveServerPair, "A", "B");
  EXPECT_EQ(LinesOf(Control("lstServerPairs")), std::vector<std::string>{"A -> B"});
  // The line just added is the chosen one: Save now replaces it.
  AddPair("txtFromServer", "txtToServer", cmdSaveServerPair, "A", "C");
  EXPECT_EQ(LinesOf(Control("lstServerPairs")), std::vector<std::string>{"A -> C"});
  Click(Control(cmdNewServerPair));
  EXPECT_EQ(TextOf(Control("txtFromServer")), "");
  AddPair("txtFromServer", "txtToServer", cmdSaveServerPair, "D", "E");
  ClickLine(Control("lstServerPairs"), 0);
  EXPECT_EQ(TextOf(Control("txtFromServer")), "A");
  EXPECT_EQ(TextOf(Control("txtToServer")), "C");

  dialogs.Answers = {MessageAnswer::No, MessageAnswer::Yes};
  Click(Control(cmdDeleteServer));
  EXPECT_EQ(LinesOf(Control("lstServerPairs")).size(), 2u) << "No keeps the line";
  Click(Control(cmdDeleteServer));
  EXPECT_EQ(LinesOf(Control("lstServerPairs")), std::vector<std::string>{"D -> E"});
  ASSERT_EQ(dialogs.Messages.size(), 2u);
  EXPECT_EQ(dialogs.Messages[0].Title, "Delete?");
  dialogs.Messages.clear();

  // One half of a pair is refused, and nothing is added.
  On(kPagePrinters);
  Type(Control("txtFromPrinter"), "P1");
  Click(Control(cmdPrinterSave));
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Title, "Save Error");
  EXPECT_TRUE(LinesOf(Control("lstPrinterPairs")).empty());
  Click(Control(cmdNewPrinter));
  EXPECT_EQ(TextOf(Control("txtFromPrinter")), "");
  dialogs.Messages.clear();

  On(kPageMixed);
  Type(Control("txtMixedFromServer"), "S1");
  Type(Control("txtMixedFromPrinter"), "P1");
  Type(Control("txtMixedToServer"), "S2");
  Type(Control("txtMixedToPrinter"), "P2");
  Click(Control(cmdMixedSave));
  EXPECT_EQ(LinesOf(Control("lstMixedPrintersAndServers")),
            std::vector<std::string>{"S1 >> P1 -> S2 >> P2"});
  Click(Control(cmdMixedNew));
  ClickLine(Control("lstMixedPrintersAndServers"), 0);
  EXPECT_EQ(TextOf(Control("txtMixedToPrinter")), "P2");

  SaveAs(PathOf("Pairs.ini"));
  const INISettings s = ReadBack(PathOf("Pairs.ini"));
  ASSERT_GE(s.ServerPairs.size(), 1u);
  EXPECT_EQ(s.ServerPairs[0].FromName, "D");
  ASSERT_GE(s.MixedPairs.size(), 1u);
  EXPECT_EQ(s.MixedPairs[0].ToServer, "S2");
  EXPECT_EQ(s.MixedPairs[0].FromPrinter, "P1");
}

TEST_F(BindingTest, FieldChecksWhenTheFocusLeaves) {
  Open(false);
  On(kPageSMTPMail);
  Tick("chkUseSMTP");
  for (const char* port : {"25", "", "2.5", "70000"}) {
    Type(Control("txtSMTPServerPort"), port);
    SendMessageW(window->Handle(), WM_COMMAND,
                 MAKEWPARAM(ControlIdOf("txtSMTPServerPort"), EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(Control("txtSMTPServerPort")));
    PumpMessages();
  }
  std::vector<std::string> titles;
  for (const ShownMessage& m : dialogs.Messages) titles.push_back(m.Title);
  EXPECT_EQ(titles, (std::vector<std::string>{"Invalid Port Number", "Invalid Port Number"}));
  EXPECT_EQ(GetFocus(), Control("txtSMTPServerPort")) << "the focus stays in the field";
  Type(Control("txtSMTPServerPort"), "25");
  dialogs.Messages.clear();

  Type(Control("txtSendEmailTo"), "@");
  Click(Control("cmdAddSendEmail"));
  EXPECT_TRUE(LinesOf(Control("lstToEmailAddresses")).empty());
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Title, "Invalid Email");
  dialogs.Messages.clear();

  window->ShowPage(kPageDeployment);
  Type(Control("txtNetworkSharePath"), PathOf("missing") + "\\");
  SendMessageW(window->Handle(), WM_COMMAND,
               MAKEWPARAM(ControlIdOf("txtNetworkSharePath"), EN_KILLFOCUS),
               reinterpret_cast<LPARAM>(Control("txtNetworkSharePath")));
  PumpMessages();
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Title, "Folder not found.");
  EXPECT_EQ(TextOf(Control("txtNetworkSharePath")), PathOf("missing")) << "one \\ removed";

  On(kPageSMTPMail);
  Tick("chkUseSMTP");
  EXPECT_FALSE(IsEnabled(Control("txtSMTPServerName")));
  EXPECT_FALSE(IsEnabled(Control("cmdAddSendEmail")));
}

// A port the engine cannot use keeps the user on its page whichever way
// they try to leave, told once per try, and the field keeps what was typed.
TEST_F(BindingTest, ABadPortKeepsTheUserOnItsPage) {
  Open(false);
  On(kPageSMTPMail);
  Tick("chkUseSMTP");
  Type(Control("txtSMTPServerPort"), "abc");
  dialogs.Messages.clear();
  SelectTreeItem(Control(tvwWizardOptions), "Notification/File Output");
  PumpMessages();
  EXPECT_EQ(window->CurrentPage(), kPageSMTPMail);
  EXPECT_EQ(SelectedTreeItem(Control(tvwWizardOptions)), "SMTP Mail");
  Click(Control(cmdNext(kPageSMTPMail)));
  PumpMessages();
  EXPECT_EQ(window->CurrentPage(), kPageSMTPMail);
  std::vector<std::string> titles;
  for (const ShownMessage& m : dialogs.Messages) titles.push_back(m.Title);
  EXPECT_EQ(titles, (std::vector<std::string>{"Invalid Port Number", "Invalid Port Number"}));
  EXPECT_EQ(TextOf(Control("txtSMTPServerPort")), "abc");
  EXPECT_EQ(GetFocus(), Control("txtSMTPServerPort"));
  // A press that the focus coming back cancels: the button took the focus,
  // its click never comes. A move from the menu, which leaves no field,
  // is then told anew.
  SetFocus(Control(cmdNext(kPageSMTPMail)));
  PumpMessages();
  EXPECT_EQ(dialogs.Messages.size(), 3u);
  EXPECT_EQ(GetFocus(), Control("txtSMTPServerPort"));
  ChooseMenuCommand(window->Handle(), ToolCommand(Tool::Support));
  EXPECT_EQ(window->CurrentPage(), kPageSMTPMail);
  EXPECT_EQ(dialogs.Messages.size(), 4u);

  // Mended, the page lets the user go.
  Type(Control("txtSMTPServerPort"), "25");
  ASSERT_TRUE(SelectTreeItem(Control(tvwWizardOptions), "Notification/File Output"));
  EXPECT_EQ(window->CurrentPage(), kPageFileOutput);
}

// A missing folder only warns, once per way out of its field, and only once
// the click or key that left the field has done its work: a message box
// while a button is being pressed takes the mouse from it, and the click is
// lost (the "..." that was to mend the folder). The user ends up where they
// went, not back in the field.
TEST_F(BindingTest, AMissingOutputFolderWarnsOnceAndTakesNoClick) {
  const std::string found = Utf8(share.wstring());
  struct Way {
    const char* Name;
    std::function<void()> Leave;
    int Page;
    std::vector<std::string> Titles;
    std::string Kept;  ///< the field's text afterwards
  };
  const std::vector<std::string> warned{"Folder not found."};
  const Way ways[] = {
      {"Next", [this] { ASSERT_TRUE(Click(Control(cmdNext(kPageFileOutput)))); }, kPageClientPopup,
       warned, PathOf("missing")},
      {"Back", [this] { ASSERT_TRUE(Click(Control(cmdBack(kPageFileOutput)))); }, kPageSMTPMail,
       warned, PathOf("missing")},
      {"the tree",
       [this] {
         SetFocus(Control(tvwWizardOptions));
         ASSERT_TRUE(SelectTreeItem(Control(tvwWizardOptions), "Notification/Client User Pop-Up"));
       },
       kPageClientPopup, warned, PathOf("missing")},
      {"Tab", [this] { PressKey(*window, VK_TAB); }, kPageFileOutput, warned, PathOf("missing")},
      // The folder is looked for after the browser has filled the field.
      {"...",
       [&, this] {
         dialogs.Folders = {found};
         ASSERT_TRUE(Click(Control("cmdBrowseFileOutput")));
       },
       kPageFileOutput,
       {},
       found},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.Name);
    Open(false);
    On(kPageFileOutput);
    Tick("chkUseFileOutput");
    Type(Control("txtFileOutputPath"), PathOf("missing") + "\\");
    SetFocus(Control("txtFileOutputPath"));
    PumpMessages();
    dialogs.Messages.clear();
    way.Leave();
    PumpMessages();

    std::vector<std::string> titles;
    for (const ShownMessage& m : dialogs.Messages) titles.push_back(m.Title);
    EXPECT_EQ(titles, way.Titles);
    EXPECT_EQ(window->CurrentPage(), way.Page) << "a warning keeps nobody";
    EXPECT_NE(GetFocus(), Control("txtFileOutputPath")) << "not put back in the field";
    EXPECT_EQ(TextOf(Control("txtFileOutputPath")), way.Kept);
    window.reset();
  }
}

TEST_F(BindingTest, BrowseButtonsFillTheirFieldsAndCancelKeepsThem) {
  Open(false);
  On(kPageFileOutput);
  Tick("chkUseFileOutput");
  dialogs.Folders = {"C:\\results", ""};
  Click(Control("cmdBrowseFileOutput"));
  Click(Control("cmdBrowseFileOutput"));
  EXPECT_EQ(TextOf(Control("txtFileOutputPath")), "C:\\results");
  window->ShowPage(kPageDeployment);
  dialogs.NetworkFolders = {"\\\\SRV"};
  Click(Control(cmdBrowseDeployment));
  EXPECT_EQ(TextOf(Control("txtNetworkSharePath")), "\\\\SRV");
}

TEST_F(BindingTest, DeployNowCopiesFromBesideTheToolkitAndWritesTheLaunchers) {
  SavedManualDocument(true);
  dialogs.Messages.clear();
  window->ShowPage(kPageDeployment);
  ASSERT_TRUE(Click(Control(cmdDeployNow(0))));

  EXPECT_EQ(dialogs.TakeMessages(), std::vector<std::string>{"Deployment successfull."});
  EXPECT_TRUE(IsWindowEnabled(window->Handle())) << "the window is back after the progress";
  EXPECT_EQ(ReadBytes(share / "VelloranEngine.exe"), "MZ engine 1");
  EXPECT_EQ(ReadBytes(share / "EvntMsg.dll"), "MZ messages 1");
  EXPECT_EQ(ReadBytes(share / "MDAC_TYP2.8.EXE"), "MZ mdac 2.8");
  EXPECT_EQ(ReadBytes(share / "Printers.ini"), ReadBytes(root / "Printers.ini"));
  EXPECT_EQ(ReadBytes(share / "Printers.ini.html"), Golden("mdac-2.8.html"));
  EXPECT_EQ(ReadBytes(share / "Printers.ini.bat"), Golden("mdac-2.8-on-share.bat"));
}

TEST_F(BindingTest, DeployNowWithoutMDACAndBeforeSaving) {
  SavedManualDocument(false);
  Type(Control("txtFileOutputName"), "x");
  On(kPageDeployment);
  dialogs.Messages.clear();
  Click(Control(cmdDeployNow(0)));
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Text,
            "This INI file needs to be saved. Please save your INI file before trying to deploy.");
  EXPECT_FALSE(std::filesystem::exists(share / "Printers.ini"));

  ChooseMenuCommand(window->Handle(), ToolCommand(Tool::Save));
  dialogs.Messages.clear();
  Click(Control(cmdDeployNow(0)));
  EXPECT_EQ(dialogs.TakeMessages(), std::vector<std::string>{"Deployment successfull."});
  EXPECT_EQ(ReadBytes(share / "Printers.ini.html"), Golden("no-mdac.html"));
  EXPECT_EQ(ReadBytes(share / "Printers.ini.bat"), Golden("no-mdac.bat", "\\\\srv\\deploy"));
  EXPECT_FALSE(std::filesystem::exists(share / "MDAC_TYP2.8.EXE"));
}

// The driver start-up script is the user's choice, not the document's:
// ticking it changes nothing to save, the next window remembers it, and
// Deploy Now writes the script beside the batch file with the command line.
TEST_F(BindingTest, TheDriverScriptIsAChoiceOfTheUserThatDeployNowFollows) {
  const std::string choices = PathOf("config\\toolkit.conf");
  SavedManualDocument(false);
  window.reset();
  dialogs.NewINIChoices.push_back({false, true, true, PathOf("Printers.ini")});
  WizardServices s = Services();
  s.PreferencesFile = choices;
  window = std::make_unique<frmWizard>(s);
  ASSERT_TRUE(window->Create(GetModuleHandleW(nullptr)));
  ShowWindow(window->Handle(), SW_SHOWNA);
  ASSERT_TRUE(window->Start());
  On(kPageDeployment);
  EXPECT_FALSE(IsChecked(Control("chkDriverScript"))) << "off until chosen";
  Tick("chkDriverScript");
  EXPECT_FALSE(window->CurrentDocument().Unsaved) << "no file holds it";

  std::ofstream(toolkit / "velloran.exe", std::ios::binary) << "MZ command line";
  dialogs.Messages.clear();
  ASSERT_TRUE(Click(Control(cmdDeployNow(0))));
  EXPECT_EQ(dialogs.TakeMessages(), std::vector<std::string>{"Deployment successfull."});
  EXPECT_EQ(ReadBytes(share / "velloran.exe"), "MZ command line");
  EXPECT_EQ(ReadBytes(share / "Printers.ini.install-drivers.bat"), Golden("install-drivers.bat"));
  EXPECT_EQ(ReadBytes(share / "Printers.ini.bat"), Golden("no-mdac.bat", "\\\\srv\\deploy"));

  window.reset();
  dialogs.NewINIChoices.push_back({false, true, true, PathOf("Printers.ini")});
  window = std::make_unique<frmWizard>(s);
  ASSERT_TRUE(window->Create(GetModuleHandleW(nullptr)));
  ShowWindow(window->Handle(), SW_SHOWNA);
  ASSERT_TRUE(window->Start());
  EXPECT_TRUE(IsChecked(Control("chkDriverScript"))) << "kept for the next run";
}

TEST_F(BindingTest, StartUpOpensTheFileChosenOnTheExistingPage) {
  const std::string path = PathOf("Existing.ini");
  std::ofstream(std::filesystem::path(Wide(path)), std::ios::binary) << Golden("filled.ini");
  dialogs.NewINIChoices.push_back({false, true, true, path});
  window = std::make_unique<frmWizard>(Services());
  ASSERT_TRUE(window->Create(GetModuleHandleW(nullptr)));
  ASSERT_TRUE(window->Start());
  EXPECT_EQ(TextOf(window->Handle()), "Velloran - Deployment Toolkit [Existing.ini]");
  EXPECT_FALSE(window->ActiveDirectoryMode()) << "the file says which kind it is";
  EXPECT_EQ(LinesOf(Control("lstServerPairs")),
            (std::vector<std::string>{"OLDSRV1 -> NEWSRV1", "OLDSRV2 -> NEWSRV2"}));
  EXPECT_FALSE(window->CurrentDocument().Unsaved);
}

TEST_F(BindingTest, ClosingWithUnsavedWorkAsksFirst) {
  Open(false);
  Type(Control("txtFromServer"), "typed");
  dialogs.Answers = {MessageAnswer::Cancel};
  SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(IsWindow(window->Handle())) << "Cancel keeps the window";
  EXPECT_EQ(dialogs.Messages.back().Text,
            "You have unsaved work, do you want to save before exiting?");
  dialogs.Answers = {MessageAnswer::No};
  HWND hwnd = window->Handle();
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
}  // namespace velloran::win32::testing
