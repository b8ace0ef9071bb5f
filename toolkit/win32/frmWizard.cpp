#include "toolkit/win32/frmWizard.h"

#include "toolkit/core/Form.h"
#include "toolkit/core/HelpContexts.h"
#include "toolkit/core/Pages.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/ControlNames.h"
#include "toolkit/win32/Help.h"
#include "toolkit/win32/Images.h"
#include "toolkit/win32/pages/ActiveDirectoryPage.h"
#include "toolkit/win32/pages/ClientPopupPage.h"
#include "toolkit/win32/pages/DeploymentPage.h"
#include "toolkit/win32/pages/EventLogPage.h"
#include "toolkit/win32/pages/FileOutputPage.h"
#include "toolkit/win32/pages/GeneralPage.h"
#include "toolkit/win32/pages/MDACPage.h"
#include "toolkit/win32/pages/OverviewPage.h"
#include "toolkit/win32/pages/PairEditorPage.h"
#include "toolkit/win32/pages/SMTPPage.h"
#include "toolkit/win32/pages/SupportPage.h"

namespace velloran::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"frmWizard";
constexpr int kMargin = 6;

bool IsTool(int id) { return id >= kToolCommandBase && id < kToolCommandBase + kToolCount; }

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

}  // namespace

bool frmWizard::Create(HINSTANCE instance) {
  static const ATOM registered = [instance] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &frmWizard::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc);
  }();
  if (!registered) return false;
  hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"", WS_OVERLAPPEDWINDOW,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                          nullptr, instance, this);
  if (!hwnd_) return false;
  dpi_ = DpiOf(hwnd_);
  fonts_.Create(dpi_);
  BuildMenus();
  BuildToolbar();
  BuildTree();
  BuildPages();
  ApplyFonts();
  // The window's first size fits the pages at their design size.
  RECT want{0, 0, Scaled(kTreeWidth + kDesignWidth + 3 * kMargin, dpi_),
            Scaled(kDesignHeight + 2 * kMargin, dpi_)};
  RECT bar{};
  GetWindowRect(toolbar_, &bar);
  want.bottom += bar.bottom - bar.top;
  AdjustWindowRectEx(&want, WS_OVERLAPPEDWINDOW, TRUE, WS_EX_CONTROLPARENT);
  SetWindowPos(hwnd_, nullptr, 0, 0, want.right - want.left, want.bottom - want.top,
               SWP_NOMOVE | SWP_NOZORDER);
  ShowMode(false);
  SetWindowTextW(hwnd_, Wide(wizard_->Caption()).c_str());
  return true;
}

bool frmWizard::Start() {
  if (wizard_->Start()) return true;
  DestroyWindow(hwnd_);
  return false;
}

LRESULT CALLBACK frmWizard::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<frmWizard*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<frmWizard*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->OnMessage(msg, wp, lp);
}

bool frmWizard::TranslateKeyboard(MSG& msg) {
  if (!hwnd_) return false;
  if (accelerators_ && TranslateAcceleratorW(hwnd_, accelerators_, &msg)) return true;
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

LRESULT frmWizard::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (toolbar_) SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      RECT least{0, 0, Scaled(kTreeWidth / 2 + kDesignWidth + 3 * kMargin, dpi_),
                 Scaled(kDesignHeight + 2 * kMargin + 30, dpi_)};
      AdjustWindowRectEx(&least, WS_OVERLAPPEDWINDOW, TRUE, WS_EX_CONTROLPARENT);
      info->ptMinTrackSize = {least.right - least.left, least.bottom - least.top};
      return 0;
    }
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      // Links in the colour browsers give them.
      if (IsLinkLabel(reinterpret_cast<HWND>(lp))) SetTextColor(dc, RGB(0x00, 0x4e, 0xb8));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
      // The two links show the arrow with the question mark.
      if (IsLinkLabel(reinterpret_cast<HWND>(wp))) {
        SetCursor(LoadCursorW(nullptr, IDC_HELP));
        return TRUE;
      }
      break;
    case WM_CLOSE:
      // Unsaved work is offered for saving first; Cancel keeps the window.
      if (wizard_->MayClose()) DestroyWindow(hwnd_);
      return 0;
    case WM_NEXTDLGCTL:
      // The dialog manager answers a label's Alt letter with this message,
      // which only a dialog's own procedure would act on: the focus goes to
      // the field after the label.
      MoveFocus(wp, LOWORD(lp) != 0);
      return 0;
    case kFocusMessage:
      SetFocus(Control(static_cast<int>(wp)));
      // The focus back in the field cancels the press of a button the user
      // was clicking: that click asks for nothing more, and the next move
      // is a new attempt.
      wizard_->InputDone();
      return 0;
    case kFolderLeftMessage:
      // Where the click or key that left the field moved to another page,
      // the presenter's leave-page rule has looked for the folder already.
      if (const FormControl* c = FormControlOf(static_cast<int>(wp)); c && c->Page == page_)
        wizard_->LeaveField(c->Name);
      return 0;
    case WM_DESTROY:
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void frmWizard::MoveFocus(WPARAM target, bool isWindow) {
  HWND to = isWindow ? reinterpret_cast<HWND>(target)
                     : GetNextDlgTabItem(hwnd_, GetFocus(), target != 0 ? TRUE : FALSE);
  if (!to) return;
  SetFocus(to);
  // As in a dialog, a field reached from the keyboard has its text selected.
  if (SendMessageW(to, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(to, EM_SETSEL, 0, -1);
}

bool frmWizard::IsLinkLabel(HWND control) const {
  return control && (control == Control(lblWizard(3)) || control == Control(lblWizard(5)));
}

HWND frmWizard::Control(std::string_view name) const { return Control(ControlIdOf(name)); }

void frmWizard::OnCommand(int id, int code, HWND control) {
  const bool menuOrKey = code == 0 || code == 1;
  if (IsTool(id) && menuOrKey) {
    wizard_->ToolClick(static_cast<Tool>(id - kToolCommandBase));
    return;
  }
  if (id == kPageHelpCommand) {
    wizard_->HelpOnPage();
    return;
  }
  if (id == kCheckTargetsCommand && menuOrKey) {
    wizard_->RunCommand("actCheckTargets");
    return;
  }
  if (code == EN_KILLFOCUS) OnFieldLeft(id);
  if (const FormControl* c = FormControlOf(id); c && c->Bind == Binding::Preference) {
    if (code == BN_CLICKED) wizard_->SetPreference(c->Name, Checked(control));
    return;
  }
  for (const auto& page : pages_) {
    if (page->OnCommand(id, code, control)) return;
  }
  if (code != BN_CLICKED && code != STN_CLICKED) return;
  if (id == cmdBack(page_)) {
    wizard_->Back();
  } else if (id == cmdNext(page_)) {
    wizard_->Next();
  } else if (id == cmdHelp(page_)) {
    wizard_->HelpOnPage();
  } else if (IsLinkLabel(control)) {
    OpenLink(control);
  }
}

void frmWizard::OpenLink(HWND label) {
  const std::string text = ControlText(label);
  const size_t at = text.find("http");
  std::string address = at == std::string::npos ? text : text.substr(at);
  while (!address.empty() && (address.back() == '.' || address.back() == ' ')) address.pop_back();
  if (!dialogs_.OpenWithShell(hwnd_, address)) {
    dialogs_.Message(hwnd_, "No program could be started to open " + address + ".", "Velloran",
                     MessageIcon::Exclamation, MessageButtons::OK);
  }
}

LRESULT frmWizard::OnNotify(NMHDR* header) {
  if (header->idFrom != tvwWizardOptions || syncingTree_) return 0;
  // The tree asks before it changes: the presenter shows the page, or
  // keeps the user on the page shown while a field breaks its rule, and
  // the tree refuses the change.
  if (header->code == TVN_SELCHANGINGW) {
    const auto* change = reinterpret_cast<NMTREEVIEWW*>(header);
    if (!change->itemNew.hItem) return FALSE;
    treeChanging_ = true;
    const bool shown = wizard_->GoTo(static_cast<int>(change->itemNew.lParam));
    treeChanging_ = false;
    return shown ? FALSE : TRUE;
  }
  return 0;
}

void frmWizard::BuildMenus() {
  menu_ = CreateMenu();
  for (const FormMenu& declared : FormMenus()) {
    AppendMenuW(menu_, MF_POPUP,
                reinterpret_cast<UINT_PTR>(MakeMenu(declared, wizard_->CanCheckTargets())),
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

// One owner per mnemonic in the window: the menu bar has F, V and H, every
// page B(ack) and N(ext); a caption whose letter is taken moves its "&".
void frmWizard::BuildPages() {
  PageHost& host = *this;
  pages_.push_back(std::make_unique<GeneralPage>(host));
  auto domains = std::make_unique<ActiveDirectoryPage>(host);
  domainPage_ = domains.get();
  pages_.push_back(std::move(domains));
  pages_.push_back(std::make_unique<PairEditorPage>(host, PairKind::Servers));
  pages_.push_back(std::make_unique<OverviewPage>(host, kPageNotification, 3));
  pages_.push_back(std::make_unique<SMTPPage>(host));
  pages_.push_back(std::make_unique<FileOutputPage>(host));
  pages_.push_back(std::make_unique<ClientPopupPage>(host));
  pages_.push_back(std::make_unique<EventLogPage>(host));
  pages_.push_back(std::make_unique<OverviewPage>(host, kPageManualConfiguration, 7));
  pages_.push_back(std::make_unique<PairEditorPage>(host, PairKind::Printers));
  pages_.push_back(std::make_unique<PairEditorPage>(host, PairKind::Mixed));
  pages_.push_back(std::make_unique<SupportPage>(host));
  pages_.push_back(std::make_unique<DeploymentPage>(host));
  pages_.push_back(std::make_unique<MDACPage>(host));
  pages_.push_back(std::make_unique<OverviewPage>(host, kPageDeploymentOverview, 5));
  for (const auto& p : pages_) p->Build();
}

void frmWizard::ShowMode(bool activeDirectory) {
  activeDirectory_ = activeDirectory;
  syncingTree_ = true;
  TreeView_DeleteAllItems(tree_);
  std::vector<std::pair<std::string_view, HTREEITEM>> keys;
  for (const TreeNode& node : OptionTree(activeDirectory)) {
    HTREEITEM parent = TVI_ROOT;
    for (const auto& [key, item] : keys) {
      if (key == node.ParentKey) parent = item;
    }
    std::wstring text = Wide(node.Text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = text.data();
    insert.item.iImage = insert.item.iSelectedImage = node.Image - 1;
    insert.item.lParam = node.Page;
    HTREEITEM item = TreeView_InsertItem(tree_, &insert);
    keys.emplace_back(node.Key, item);
  }
  // Expanded after all children are in: an item without children cannot be.
  for (const TreeNode& node : OptionTree(activeDirectory)) {
    if (!node.Expanded) continue;
    for (const auto& [key, item] : keys) {
      if (key == node.Key) TreeView_Expand(tree_, item, TVE_EXPAND);
    }
  }
  syncingTree_ = false;

  for (const auto& p : pages_) p->ShowMode(activeDirectory);
  page_ = -1;
  DrawPage(kPageGeneral);
  // The tools last: what they offer follows the document's mode.
  UpdateTools();
}

void frmWizard::UpdateTools() {
  for (int i = 0; i < kToolCount; ++i) {
    const bool offered = wizard_->ToolEnabled(static_cast<Tool>(i));
    EnableMenuItem(menu_, kToolCommandBase + i, MF_BYCOMMAND | (offered ? MF_ENABLED : MF_GRAYED));
    SendMessageW(toolbar_, TB_ENABLEBUTTON, kToolCommandBase + i, MAKELPARAM(offered, 0));
  }
  DrawMenuBar(hwnd_);
}

void frmWizard::ShowPage(int page) { wizard_->ShowPage(page); }

void frmWizard::DrawPage(int page) {
  if (!HasPage(page)) return;
  if (page != page_) {
    page_ = page;
    // Hidden first, so the focus never sits on a control of a hidden page.
    for (const auto& p : pages_) {
      if (p->Number() != page) p->Show(false);
    }
    for (const auto& p : pages_) {
      if (p->Number() == page) p->Show(true);
    }
  }
  if (!treeChanging_) SelectTreeNodeOfPage(page);
}

void frmWizard::SelectTreeNodeOfPage(int page) {
  const auto node = NodeOfPage(page, activeDirectory_);
  if (!node) return;
  // Walk the tree for the item that carries the node's page.
  std::vector<HTREEITEM> pending{TreeView_GetRoot(tree_)};
  while (!pending.empty()) {
    HTREEITEM item = pending.back();
    pending.pop_back();
    for (; item; item = TreeView_GetNextSibling(tree_, item)) {
      TVITEMW data{};
      data.mask = TVIF_PARAM;
      data.hItem = item;
      TreeView_GetItem(tree_, &data);
      if (data.lParam == node->Page) {
        syncingTree_ = true;
        TreeView_SelectItem(tree_, item);
        syncingTree_ = false;
        return;
      }
      if (HTREEITEM child = TreeView_GetChild(tree_, item)) pending.push_back(child);
    }
  }
}

void frmWizard::Layout() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  RECT bar{};
  GetWindowRect(toolbar_, &bar);
  const int top = (bar.bottom - bar.top) + Scaled(kMargin, dpi_);
  const int margin = Scaled(kMargin, dpi_);
  const int treeWidth = Scaled(kTreeWidth, dpi_);
  MoveWindow(tree_, margin, top, treeWidth, client.bottom - top - margin, TRUE);

  const int pageLeft = margin * 2 + treeWidth;
  const int pageWidth = client.right - pageLeft - margin;
  const int pageHeight = client.bottom - top - margin;
  const int extraWidth = std::max(0, pageWidth - Scaled(kDesignWidth, dpi_));
  const int extraHeight = std::max(0, pageHeight - Scaled(kDesignHeight, dpi_));
  size_t controls = 0;
  for (const auto& p : pages_) controls += p->ControlCount();
  HDWP batch = BeginDeferWindowPos(static_cast<int>(controls));
  for (const auto& p : pages_) p->Layout(batch, pageLeft, top, extraWidth, extraHeight, dpi_);
  EndDeferWindowPos(batch);
}

void frmWizard::ApplyFonts() {
  SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Normal()), TRUE);
  for (const auto& p : pages_) p->ApplyFonts(fonts_);
}

void frmWizard::OnDpiChanged(unsigned dpi, const RECT* suggested) {
  dpi_ = dpi;
  fonts_.Create(dpi_);
  ApplyFonts();
  if (imgWizard_) ImageList_Destroy(imgWizard_);
  imgWizard_ = MakeWizardImages(dpi_);
  TreeView_SetImageList(tree_, imgWizard_, TVSIL_NORMAL);
  SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

}  // namespace velloran::win32
