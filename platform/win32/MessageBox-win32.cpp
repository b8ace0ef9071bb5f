#include "platform/CodePage.h"
#include "platform/win32/Backends-win32.h"
#include "platform/win32/MessageBoxStyle-win32.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

namespace {

UINT IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical:
      return MB_ICONHAND;
    case MessageIcon::Question:
      return MB_ICONQUESTION;
    case MessageIcon::Exclamation:
      return MB_ICONEXCLAMATION;
    case MessageIcon::Information:
      return MB_ICONASTERISK;
    case MessageIcon::None:
      break;
  }
  return 0;
}

UINT ButtonStyle(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OKCancel:
      return MB_OKCANCEL;
    case MessageButtons::YesNo:
      return MB_YESNO;
    case MessageButtons::YesNoCancel:
      return MB_YESNOCANCEL;
    case MessageButtons::OK:
      break;
  }
  return MB_OK;
}

class WindowsMessageBox : public MessageBox {
 public:
  MessageAnswer Show(std::string_view text, std::string_view title, MessageIcon icon,
                     MessageButtons buttons) override {
    // Program text is UTF-8; the A function takes the ANSI code page.
    std::string t = Utf8ToAnsi(text), c = Utf8ToAnsi(title);
    return MessageBoxAnswer(
        ::MessageBoxA(nullptr, t.c_str(), c.c_str(), MessageBoxStyle(icon, buttons)), buttons);
  }
};

}  // namespace

unsigned MessageBoxStyle(MessageIcon icon, MessageButtons buttons) {
  return IconStyle(icon) | ButtonStyle(buttons);
}

MessageAnswer MessageBoxAnswer(int id, MessageButtons buttons) {
  switch (id) {
    case IDOK:
      return MessageAnswer::OK;
    case IDCANCEL:
      return MessageAnswer::Cancel;
    case IDYES:
      return MessageAnswer::Yes;
    case IDNO:
      return MessageAnswer::No;
    default:
      return FirstButton(buttons);
  }
}

std::unique_ptr<MessageBox> MakeWindowsMessageBox() {
  return std::make_unique<WindowsMessageBox>();
}

bool InteractiveDesktop() {
  USEROBJECTFLAGS flags{};
  HWINSTA station = ::GetProcessWindowStation();
  if (!station || !::GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr))
    return true;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace velloran
