#include "toolkit/win32/Dialog.h"

#include <algorithm>
#include <vector>

namespace velloran::win32 {
namespace {

// An empty dialog template: no controls, no menu, the dialog class, no
// title. The template's size is replaced once the controls are built.
std::vector<DWORD> EmptyTemplate(DWORD style) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
  t->style = style;
  t->cx = 100;
  t->cy = 50;
  words.insert(words.end(), {0, 0, 0});
  std::vector<DWORD> aligned((words.size() + 1) / 2, 0);
  std::copy(words.begin(), words.end(), reinterpret_cast<WORD*>(aligned.data()));
  return aligned;
}

}  // namespace

Dialog::Dialog(DWORD style) : style_(style) {}

Dialog::~Dialog() {
  if (hwnd_ && !ownedByWindow_) {
    HWND window = hwnd_;
    hwnd_ = nullptr;
    SetWindowLongPtrW(window, DWLP_USER, 0);
    DestroyWindow(window);
  }
}

INT_PTR Dialog::RunModal(HWND owner) {
  modal_ = true;
  const auto t = EmptyTemplate(style_ | WS_VISIBLE);
  const INT_PTR result = DialogBoxIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(t.data()), owner,
      &Dialog::Proc, reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
  return result;
}

HWND Dialog::Create(HWND owner, bool visible) {
  modal_ = false;
  const auto t = EmptyTemplate(style_ | (visible ? WS_VISIBLE : 0));
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                    reinterpret_cast<const DLGTEMPLATE*>(t.data()), owner,
                                    &Dialog::Proc, reinterpret_cast<LPARAM>(this));
}

HWND Dialog::CreateModeless(HWND owner, bool visible) { return Create(owner, visible); }

HWND Dialog::Release(std::unique_ptr<Dialog> dialog, HWND owner, bool visible) {
  dialog->ownedByWindow_ = true;
  HWND window = dialog->Create(owner, visible);
  // The window took the object with WM_INITDIALOG; without a window there
  // is none to take it.
  if (window) dialog.release();
  return window;
}

void Dialog::Close(INT_PTR result) {
  if (modal_) {
    EndDialog(hwnd_, result);
  } else {
    DestroyWindow(hwnd_);
  }
}

HWND Dialog::Add(const wchar_t* windowClass, std::string_view text, DWORD style, int id, RECT r,
                 DWORD exStyle) {
  return AddControl(hwnd_, dpi_, fonts_.Normal(), windowClass, text, style, id, r, exStyle);
}

INT_PTR Dialog::OnMessage(UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
    Close(LOWORD(wp));
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK Dialog::Proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lp);
    SetWindowLongPtrW(window, DWLP_USER, lp);
    self->hwnd_ = window;
    self->dpi_ = DpiOf(window);
    self->fonts_.Create(self->dpi_);
    self->Build();
    return TRUE;
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (!self) return FALSE;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    if (self->ownedByWindow_) delete self;
    return FALSE;
  }
  return self->OnMessage(msg, wp, lp);
}

}  // namespace velloran::win32
