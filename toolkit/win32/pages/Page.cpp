#include "toolkit/win32/pages/Page.h"

#include <commctrl.h>

#include "toolkit/core/Form.h"
#include "toolkit/core/Pages.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/ControlNames.h"
#include "toolkit/win32/Dialog.h"

namespace velloran::win32 {

std::string WithCRLF(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

void SetListLines(HWND list, const std::vector<std::string>& lines) {
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& line : lines) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line).c_str()));
  }
}

void Page::Build() {
  Add(L"STATIC", PageHeading(number_, false), SS_LEFT | SS_NOPREFIX, lblGeneral(number_),
      R(16, 12, 528, 28), kStretchWidth, kHeadingFont);
  Add(L"STATIC", "", SS_ETCHEDHORZ, fraSeperator(number_ * 2), R(16, 44, 528, 2), kStretchWidth);
  BuildBody();
  Add(L"STATIC", "", SS_ETCHEDHORZ, fraSeperator(number_ * 2 + 1), R(16, 382, 528, 2),
      kStretchWidth | kBottom);
  // One owner per mnemonic: Alt+H is the Help menu's, so the page's Help
  // button answers F1 instead.
  Button(cmdHelp(number_), "Help", R(16, 394, 84, 26), kBottom);
  Button(cmdBack(number_), "&Back", R(368, 394, 84, 26), kBottom | kRight);
  Button(cmdNext(number_), "&Next", R(460, 394, 84, 26), kBottom | kRight);
  if (BackDisabled(number_)) EnableWindow(Control(cmdBack(number_)), FALSE);
  if (NextDisabled(number_)) EnableWindow(Control(cmdNext(number_)), FALSE);
}

void Page::Show(bool shown) {
  for (const Placed& p : placed_) ShowWindow(p.Window, shown ? SW_SHOWNA : SW_HIDE);
}

void Page::ShowMode(bool activeDirectory) {
  SetControlText(Control(lblGeneral(number_)), PageHeading(number_, activeDirectory));
}

void Page::Layout(HDWP& batch, int left, int top, int extraWidth, int extraHeight,
                  unsigned dpi) const {
  for (const Placed& p : placed_) {
    RECT r{Scaled(p.Design.left, dpi), Scaled(p.Design.top, dpi), Scaled(p.Design.right, dpi),
           Scaled(p.Design.bottom, dpi)};
    if (p.Anchors & kRight) r.left += extraWidth;
    if (p.Anchors & (kRight | kStretchWidth)) r.right += extraWidth;
    if (p.Anchors & kBottom) r.top += extraHeight;
    if (p.Anchors & (kBottom | kStretchHeight)) r.bottom += extraHeight;
    batch = DeferWindowPos(batch, p.Window, nullptr, left + r.left, top + r.top, r.right - r.left,
                           r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Page::ApplyFonts(const Fonts& fonts) const {
  for (const Placed& p : placed_) {
    HFONT font = p.Font == kHeadingFont ? fonts.Heading()
                 : p.Font == kBoldFont  ? fonts.Bold()
                                        : fonts.Normal();
    SendMessageW(p.Window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

void Page::ReadFields(PageFields& fields) const {
  for (const FormControl& c : FormControls()) {
    if (c.Page != number_ || !HoldsValue(c)) continue;
    HWND control = Control(c.Name);
    const std::string name(c.Name);
    switch (c.Kind) {
      case ControlKind::Check:
      case ControlKind::Option:
        fields.Checks[name] = Checked(control);
        break;
      case ControlKind::List:
        fields.Lists[name] = ListLines(control);
        break;
      default:
        fields.Texts[name] = ControlText(control);
        break;
    }
  }
}

void Page::ShowFields(const PageFields& fields) {
  for (const FormControl& c : FormControls()) {
    if (c.Page != number_ || !HoldsValue(c)) continue;
    HWND control = Control(c.Name);
    if (auto t = fields.Texts.find(c.Name); t != fields.Texts.end()) {
      SetControlText(control, WithCRLF(t->second));
    } else if (auto k = fields.Checks.find(c.Name); k != fields.Checks.end()) {
      SetChecked(control, k->second);
    } else if (auto l = fields.Lists.find(c.Name); l != fields.Lists.end()) {
      SetListLines(control, l->second);
    }
  }
}

bool Page::OnCommand(int id, int code, HWND) {
  const FormControl* c = FormControlOf(id);
  if (!c || c->Page != number_ || !HoldsValue(*c) || c->Bind == Binding::Preference) return false;
  const bool box = c->Kind == ControlKind::Check || c->Kind == ControlKind::Option;
  if (box && code == BN_CLICKED) {
    host_.Edited(true);
    return true;
  }
  if (!box && (code == EN_CHANGE || code == CBN_EDITCHANGE || code == CBN_SELCHANGE)) {
    host_.Edited(false);
    return true;
  }
  return false;
}

std::string_view Page::CaptionOf(std::string_view name) { return FormControlNamed(name)->Caption; }

HWND Page::Control(std::string_view name) const { return Control(ControlIdOf(name)); }

HWND Page::Add(const wchar_t* windowClass, std::string_view text, DWORD style, int id, RECT design,
               unsigned anchors, FontKind font, DWORD exStyle) {
  HWND control = CreateWindowExW(
      exStyle, windowClass, Wide(text).c_str(), WS_CHILD | style, 0, 0, 0, 0, host_.Window(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  placed_.push_back({control, design, anchors, font});
  return control;
}

HWND Page::Label(std::string_view text, RECT design, unsigned anchors, int id) {
  return Add(L"STATIC", text, SS_LEFT, id, design, anchors);
}

HWND Page::Text(std::string_view text, RECT design, int id, FontKind font) {
  return Add(L"STATIC", text, SS_LEFT | SS_NOPREFIX | SS_NOTIFY, id, design, kStretchWidth, font);
}

HWND Page::Button(int id, std::string_view caption, RECT design, unsigned anchors, DWORD style) {
  return Add(L"BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON | style, id, design, anchors);
}

HWND Page::Declared(std::string_view name, RECT design, unsigned anchors, RECT label, DWORD style) {
  const FormControl* c = FormControlNamed(name);
  const int id = ControlIdOf(name);
  const bool labelled = c->Kind != ControlKind::Check && c->Kind != ControlKind::Option &&
                        c->Kind != ControlKind::Button && !c->Caption.empty() &&
                        label.right > label.left;
  if (labelled) Label(c->Caption, label);
  switch (c->Kind) {
    case ControlKind::Check:
      return Add(L"BUTTON", c->Caption, WS_TABSTOP | BS_AUTOCHECKBOX | style, id, design, anchors);
    case ControlKind::Option:
      return Add(L"BUTTON", c->Caption, BS_AUTORADIOBUTTON | style, id, design, anchors);
    case ControlKind::Button:
      return Button(id, c->Caption, design, anchors, style);
    case ControlKind::Text:
      return Add(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL | style, id, design, anchors, kNormalFont,
                 WS_EX_CLIENTEDGE);
    case ControlKind::Message:
      // An edit is single-line for good unless made multi-line when
      // created. It wraps and takes Enter as a line break, as the engine's
      // pop-up shows the text.
      return Add(L"EDIT", "",
                 WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | style,
                 id, design, anchors, kNormalFont, WS_EX_CLIENTEDGE);
    case ControlKind::Combo:
      return Add(WC_COMBOBOXW, "", WS_VSCROLL | style, id, design, anchors);
    case ControlKind::List:
      return Add(L"LISTBOX", "",
                 WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | style,
                 id, design, anchors, kNormalFont, WS_EX_CLIENTEDGE);
  }
  return nullptr;
}

}  // namespace velloran::win32
