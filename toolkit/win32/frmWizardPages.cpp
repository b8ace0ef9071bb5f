// The wizard window's menus, toolbar, tree and pages, built in code. Controls
// are direct children of the window, created in reading order so that Tab
// and the mnemonics follow the page from top to bottom.

#include <optional>
#include <string>

#include "toolkit/core/Branding.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/Pages.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/ControlNames.h"
#include "toolkit/win32/Images.h"
#include "toolkit/win32/frmWizard.h"

namespace velloran::win32 {
namespace {

// A popup of the declared menu; the Check Targets entry is greyed when the
// program has no check.
HMENU MakeMenu(const FormMenu& declared, bool canCheck) {
  HMENU menu = CreatePopupMenu();
  for (const MenuEntry& e : declared.Entries) {
    std::string caption(e.Caption);
    if (!e.Shortcut.empty()) caption += "\t" + std::string(e.Shortcut);
    if (const std::optional<Tool> tool = ToolOfId(e.Command)) {
      AppendMenuW(menu, MF_STRING, kToolCommandBase + static_cast<int>(*tool),
                  Wide(caption).c_str());
    } else {
      AppendMenuW(menu, MF_STRING | (canCheck ? MF_ENABLED : MF_GRAYED), kCheckTargetsCommand,
                  Wide(caption).c_str());
    }
    if (e.SeparatorAfter) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  }
  return menu;
}

// The caption the form declares for the control `id`.
std::string_view DeclaredCaption(int id) { return FormControlNamed(ControlNameOf(id))->Caption; }

constexpr RECT R(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

}  // namespace

void frmWizard::BuildMenus() {
  menu_ = CreateMenu();
  for (const FormMenu& declared : FormMenus()) {
    AppendMenuW(menu_, MF_POPUP,
                reinterpret_cast<UINT_PTR>(MakeMenu(declared, bool(services_.TargetCheck))),
                Wide(std::string(declared.Caption)).c_str());
  }
  SetMenu(hwnd_, menu_);

  auto command = [](Tool tool) {
    return static_cast<WORD>(kToolCommandBase + static_cast<int>(tool));
  };
  ACCEL keys[] = {
      {FVIRTKEY | FCONTROL, 'N', command(Tool::New)},
      {FVIRTKEY | FCONTROL, 'O', command(Tool::Open)},
      {FVIRTKEY | FCONTROL, 'S', command(Tool::Save)},
      // F1 is help on what is in front of the user: the page shown.
      {FVIRTKEY, VK_F1, static_cast<WORD>(kPageHelpCommand)},
  };
  accelerators_ = CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));
}

void frmWizard::BuildToolbar() {
  toolbar_ = CreateWindowExW(
      0, TOOLBARCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP,
      0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(ssaVelloran), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar_, TB_LOADIMAGES, dpi_ > 120 ? IDB_STD_LARGE_COLOR : IDB_STD_SMALL_COLOR,
               reinterpret_cast<LPARAM>(HINST_COMMCTRL));
  // The captions serve as tooltips only.
  SendMessageW(toolbar_, TB_SETMAXTEXTROWS, 0, 0);
  auto button = [](int image, Tool tool, const wchar_t* tip) {
    TBBUTTON b{};
    b.iBitmap = image;
    b.idCommand = kToolCommandBase + static_cast<int>(tool);
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_BUTTON;
    b.iString = reinterpret_cast<INT_PTR>(tip);
    return b;
  };
  TBBUTTON separator{};
  separator.fsStyle = BTNS_SEP;
  TBBUTTON buttons[] = {
      button(STD_FILENEW, Tool::New, L"New"),
      separator,
      button(STD_FILEOPEN, Tool::Open, L"Open"),
      button(STD_FILESAVE, Tool::Save, L"Save"),
      separator,
      button(STD_HELP, Tool::Contents, L"Contents"),
  };
  SendMessageW(toolbar_, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

void frmWizard::BuildTree() {
  tree_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS |
                              TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                          0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(tvwWizardOptions),
                          GetModuleHandleW(nullptr), nullptr);
  imgWizard_ = MakeWizardImages(dpi_);
  TreeView_SetImageList(tree_, imgWizard_, TVSIL_NORMAL);
}

HWND frmWizard::Add(int page, const wchar_t* windowClass, std::string_view text, DWORD style,
                    int id, RECT design, unsigned anchors, FontKind font) {
  HWND control = CreateWindowExW(0, windowClass, Wide(text).c_str(), WS_CHILD | style, 0, 0, 0, 0,
                                 hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  placed_.push_back({control, page, design, anchors, font});
  return control;
}

HWND frmWizard::Label(int page, std::string_view text, RECT design, unsigned anchors, int id) {
  return Add(page, L"STATIC", text, SS_LEFT, id, design, anchors);
}

HWND frmWizard::Text(int page, std::string_view text, RECT design, int id) {
  // Explanations wrap; "&" in them is a character, not a mnemonic.
  return Add(page, L"STATIC", text, SS_LEFT | SS_NOPREFIX | SS_NOTIFY, id, design, kStretchWidth);
}

HWND frmWizard::Edit(int page, int id, RECT design, unsigned anchors) {
  HWND edit = Add(page, L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, id, design, anchors);
  SetWindowLongPtrW(edit, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
  SetWindowPos(edit, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  return edit;
}

HWND frmWizard::Button(int page, int id, std::string_view caption, RECT design, unsigned anchors) {
  return Add(page, L"BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON, id, design, anchors);
}

HWND frmWizard::CheckBox(int page, int id, std::string_view caption, RECT design) {
  return Add(page, L"BUTTON", caption, WS_TABSTOP | BS_AUTOCHECKBOX, id, design, kStretchWidth);
}

HWND frmWizard::List(int page, int id, RECT design, unsigned anchors) {
  HWND list = Add(page, L"LISTBOX", "",
                  WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, id,
                  design, anchors);
  SetWindowLongPtrW(list, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
  SetWindowPos(list, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  return list;
}

void frmWizard::BeginPage(int page) {
  Add(page, L"STATIC", PageHeading(page, activeDirectory_), SS_LEFT | SS_NOPREFIX, lblGeneral(page),
      R(16, 12, 528, 28), kStretchWidth, kHeadingFont);
  Add(page, L"STATIC", "", SS_ETCHEDHORZ, fraSeperator(page * 2), R(16, 44, 528, 2), kStretchWidth);
}

void frmWizard::EndPage(int page) {
  Add(page, L"STATIC", "", SS_ETCHEDHORZ, fraSeperator(page * 2 + 1), R(16, 382, 528, 2),
      kStretchWidth | kBottom);
  // One owner per mnemonic: Alt+H is the Help menu's, so the page's Help
  // button answers F1 instead.
  Button(page, cmdHelp(page), "Help", R(16, 394, 84, 26), kBottom);
  Button(page, cmdBack(page), "&Back", R(368, 394, 84, 26), kBottom | kRight);
  Button(page, cmdNext(page), "&Next", R(460, 394, 84, 26), kBottom | kRight);
  if (BackDisabled(page)) EnableWindow(Control(cmdBack(page)), FALSE);
  if (NextDisabled(page)) EnableWindow(Control(cmdNext(page)), FALSE);
}

// One owner per mnemonic in the window: the menu bar has F, V and H, every
// page B(ack) and N(ext); a caption whose letter is taken moves its "&".
void frmWizard::BuildPages() {
  BuildGeneralPage();
  BuildActiveDirectoryPage();
  BuildPairPage(
      kPageServers, {{"F&rom Print Server:", txtFromServer}, {"&To Print Server:", txtToServer}},
      {{{cmdNewServerPair, "Ne&w"}, {cmdSaveServerPair, "&Save"}, {cmdDeleteServer, "&Delete"}}},
      "&Print Server Pairs:", lstServerPairs);
  BuildOverviewPage(kPageNotification, 3);
  BuildSMTPPage();
  BuildFileOutputPage();
  BuildClientPopupPage();
  BuildEventLogPage();
  BuildOverviewPage(kPageManualConfiguration, 7);
  BuildPairPage(
      kPagePrinters, {{"F&rom Printer:", txtFromPrinter}, {"&To Printer:", txtToPrinter}},
      {{{cmdNewPrinter, "Ne&w"}, {cmdPrinterSave, "&Save"}, {cmdDeletePrinter, "&Delete"}}},
      "&Printer Pairs:", lstPrinterPairs);
  BuildPairPage(kPageMixed,
                {{"F&rom Print Server:", txtMixedFromServer},
                 {"From Pr&inter:", txtMixedFromPrinter},
                 {"To &Print Server:", txtMixedToServer},
                 {"T&o Printer:", txtMixedToPrinter}},
                {{{cmdMixedNew, "Ne&w"}, {cmdMixedSave, "&Save"}, {cmdMixedDelete, "&Delete"}}},
                "Print Server &and Printer Pairs:", lstMixedPrintersAndServers);
  BuildSupportPage();
  BuildDeploymentPage();
  BuildMDACPage();
  BuildOverviewPage(kPageDeploymentOverview, 5);
}

void frmWizard::BuildOverviewPage(int page, int labelIndex) {
  BeginPage(page);
  Text(page, OverviewText(page), R(16, 60, 528, 120), lblNotification(labelIndex));
  EndPage(page);
}

void frmWizard::BuildGeneralPage() {
  const int p = kPageGeneral;
  BeginPage(p);
  Label(p, "Configuration File Type: (Read Only)", R(16, 64, 200, 20), 0, lblGeneral(kPageSlots));
  HWND type = Add(p, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL, cboConfigurationFileType,
                  R(220, 60, 220, 200));
  for (const wchar_t* item : {L"Active Directory", L"Manual Configuration"}) {
    SendMessageW(type, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  // The type is chosen when the document is made; here it is only shown.
  EnableWindow(type, FALSE);
  CheckBox(p, chkAlwaysRun, "Always &Run", R(16, 100, 300, 20));
  Text(p,
       "Once Velloran has executed sucessfully for a specific INI file on a client machine it "
       "will not run again. By setting this option Velloran will always run even if a success "
       "on a previous execution was acheived.",
       R(36, 124, 508, 60), lblGeneral(kPageSlots + 1));
  EndPage(p);
}

void frmWizard::BuildActiveDirectoryPage() {
  const int p = kPageActiveDirectory;
  BeginPage(p);
  Label(p, "Please select or enter your &Active Directory domain name:", R(16, 62, 528, 20),
        kStretchWidth);
  Add(p, WC_COMBOBOXW, "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, cboDomainName,
      R(16, 86, 300, 200));
  EndPage(p);
}

void frmWizard::BuildPairPage(int page, const std::vector<std::pair<std::string_view, int>>& fields,
                              std::array<std::pair<int, std::string_view>, 3> buttons,
                              std::string_view listCaption, int listId) {
  BeginPage(page);
  int y = 62;
  for (const auto& [caption, id] : fields) {
    Label(page, caption, R(16, y + 3, 130, 20));
    Edit(page, id, R(150, y, 290, 24), kStretchWidth);
    y += 32;
  }
  int by = 61;
  for (const auto& [id, caption] : buttons) {
    Button(page, id, caption, R(456, by, 88, 26), kRight);
    by += 32;
  }
  y = std::max(y, by) + 8;
  Label(page, listCaption, R(16, y, 300, 20));
  List(page, listId, R(16, y + 22, 528, 368 - y - 22 - 34), kStretchWidth | kStretchHeight);
  const int index = page == kPageServers ? 0 : page == kPagePrinters ? 1 : 2;
  HWND check = Button(page, cmdCheckTargets(index), "Chec&k Targets ...", R(424, 342, 120, 26),
                      kRight | kBottom);
  EnableWindow(check, bool(services_.TargetCheck));
  EndPage(page);
}

void frmWizard::BuildSMTPPage() {
  const int p = kPageSMTPMail;
  BeginPage(p);
  CheckBox(p, chkUseSMTP, DeclaredCaption(chkUseSMTP), R(16, 58, 300, 20));
  auto row = [&](int id, int y, int width, unsigned anchors) {
    Label(p, DeclaredCaption(id), R(36, y + 3, 160, 20));
    Edit(p, id, R(200, y, width, 24), anchors);
  };
  row(txtSMTPServerName, 86, 344, kStretchWidth);
  row(txtSMTPServerPort, 118, 90, 0);
  row(txtSMTPEmailAddress, 150, 344, kStretchWidth);
  row(txtSendEmailTo, 182, 252, kStretchWidth);
  Button(p, cmdAddSendEmail, DeclaredCaption(cmdAddSendEmail), R(460, 181, 84, 26), kRight);
  List(p, lstToEmailAddresses, R(200, 214, 252, 92), kStretchWidth);
  Button(p, cmdRemoveSendEmail, DeclaredCaption(cmdRemoveSendEmail), R(460, 214, 84, 26), kRight);
  row(txtEmailSubject, 316, 344, kStretchWidth);
  EndPage(p);
}

void frmWizard::BuildFileOutputPage() {
  const int p = kPageFileOutput;
  BeginPage(p);
  CheckBox(p, chkUseFileOutput, "Notify v&ia file output", R(16, 58, 300, 20));
  Label(p, "File &Output Path:", R(36, 89, 160, 20));
  Edit(p, txtFileOutputPath, R(200, 86, 300, 24), kStretchWidth);
  Button(p, cmdBrowseFileOutput, "...", R(508, 85, 36, 26), kRight);
  Label(p, "File Output Na&me:", R(36, 121, 160, 20));
  Edit(p, txtFileOutputName, R(200, 118, 344, 24), kStretchWidth);
  CheckBox(p, chkIncludeComputerName, "Include &client computer name in filename",
           R(36, 156, 400, 20));
  CheckBox(p, chkIncludeFinalStatus, "Include final &status in filename", R(36, 182, 400, 20));
  EndPage(p);
}

void frmWizard::BuildClientPopupPage() {
  const int p = kPageClientPopup;
  BeginPage(p);
  // An edit is single-line for good unless made multi-line when created. It
  // wraps (no sideways scrolling) and takes Enter as a line break, as the
  // engine's pop-up shows the text.
  auto message = [&](int id, int y) {
    HWND edit =
        Add(p, L"EDIT", "", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
            id, R(36, y, 508, 110), kStretchWidth);
    SetWindowLongPtrW(edit, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
    SetWindowPos(edit, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  };
  CheckBox(p, chkUseNotifyUser, "Notify user on &success with message:", R(16, 58, 400, 20));
  message(txtSucessMessage, 82);
  CheckBox(p, chkNotifyMessageOnFailure,
           "Notify user on f&ailure with message:", R(16, 206, 400, 20));
  message(txtFailureMessage, 230);
  EndPage(p);
}

void frmWizard::BuildEventLogPage() {
  const int p = kPageEventLog;
  BeginPage(p);
  CheckBox(p, chkWriteToEventLog,
           "&Write sucess and failure messages to the Windows application event log",
           R(16, 58, 528, 20));
  EndPage(p);
}

void frmWizard::BuildSupportPage() {
  const int p = kPageSupport;
  BeginPage(p);
  Text(p,
       std::string("To submit a support requests please visit ") + kMakerWebAddress +
           ". Please provide a description of the issue you are having and if you can provide "
           "us with the debug file we will be able to resolve the issue faster.",
       R(16, 60, 528, 64), lblWizard(5));
  Text(p,
       "In the event that your deployment of Velloran does not work, Velloran offers the option "
       "turn on debugging for the Velloran Engine. The debug log will be written to the "
       "deployment folder with a default extention of \".debug\".",
       R(16, 132, 528, 64), lblWizard(6));
  CheckBox(p, chkDebugOn, "&Turn on debugging", R(16, 204, 300, 20));
  EndPage(p);
}

void frmWizard::BuildDeploymentPage() {
  const int p = kPageDeployment;
  BeginPage(p);
  HWND note = Text(p,
                   "** NOTE ** This INI file deployment is currently using an Active Directory "
                   "configuration. Please review the information on the Deployment - MDAC step "
                   "before deploying your solution.",
                   R(16, 58, 528, 48), lblWizard(1));
  placed_.back().Font = kBoldFont;
  (void)note;
  Label(p, "Network &Share Path:", R(16, 121, 150, 20));
  Edit(p, txtNetworkSharePath, R(170, 118, 330, 24), kStretchWidth);
  Button(p, cmdBrowseDeployment, "...", R(508, 117, 36, 26), kRight);
  CheckBox(p, chkBatchFile, "Create b&atch file", R(16, 154, 300, 20));
  CheckBox(p, chkCreateHTML, "&Create web launch page", R(16, 180, 300, 20));
  CheckBox(p, chkDriverScript, DeclaredCaption(chkDriverScript), R(16, 206, 400, 20));
  Button(p, cmdDeployNow(0), "&Deploy Now", R(436, 220, 108, 28), kRight);
  EndPage(p);
}

void frmWizard::BuildMDACPage() {
  const int p = kPageMDAC;
  BeginPage(p);
  Text(p,
       "Microsoft Data Access Components (MDAC) is used by Velloran when migrating using the "
       "Active Directory method.  The client computer requires MDAC version 2.5 or newer to "
       "query Active Directory.  Please select the version you would like Velloran to "
       "distribute prior to Migrating printers on the client computer.",
       R(16, 58, 528, 66), lblWizard(2));
  CheckBox(p, chkIncludeMDAC, "Include &MDAC in batch file and/or web page", R(16, 130, 400, 20));
  const char* captions[] = {
      "MDAC vr 2.&5 SP3 - default version when using Windows 2000",
      "MDAC vr 2.&7 SP1- default version when using Windows XP",
      "MDAC vr 2.&8 - default version when using Windows 2003/Windows XP SP2"};
  for (int i = 0; i < 3; ++i) {
    Add(p, L"BUTTON", captions[i], BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0),
        optMDACVersion(i), R(36, 156 + 24 * i, 508, 20), kStretchWidth);
  }
  Text(p,
       "You do not need this option if all of the client computers are running Windows 2000 or "
       "later. If in doubt, do not deploy MDAC; if errors are returned, try the latest version "
       "of MDAC (2.8).",
       R(16, 236, 528, 48), lblWizard(4));
  Text(p, std::string("For further information, go to ") + kMDACInformationAddress,
       R(16, 290, 528, 36), lblWizard(3));
  // The next control starts a new group, so the options end here.
  Add(p, L"BUTTON", "&Deploy Now", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, cmdDeployNow(1),
      R(436, 334, 108, 28), kRight);
  EndPage(p);
}

}  // namespace velloran::win32
