// The system's own dialogs and shell behind the dialog service.

#include <windows.h>
// After windows.h, which they need.
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "platform/win32/MessageBoxStyle-win32.h"
#include "toolkit/win32/DialogService.h"
#include "toolkit/win32/Dialogs.h"
#include "toolkit/win32/Ui.h"

namespace velloran::win32 {
namespace {

// "Velloran (*.ini)|*.ini" as the file dialogs take it.
constexpr wchar_t kFilter[] = L"Velloran (*.ini)\0*.ini\0";

std::optional<std::string> RunFileDialog(HWND owner, const FileRequest& request, bool save) {
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring initial = Wide(request.InitialName);
  std::copy(initial.begin(), initial.end(), file.begin());
  const std::wstring title = Wide(request.Title), folder = Wide(request.InitialFolder);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = kFilter;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrDefExt = L"ini";
  ofn.Flags =
      OFN_EXPLORER | OFN_LONGNAMES | OFN_NOCHANGEDIR |
      (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST
            : OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOREADONLYRETURN);
  const BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!ok || file[0] == L'\0') return std::nullopt;
  return Utf8(file.data());
}

std::string PathOfItem(PIDLIST_ABSOLUTE item) {
  wchar_t path[MAX_PATH]{};
  if (!SHGetPathFromIDListW(item, path)) return {};
  return Utf8(path);
}

class SystemDialogService : public DialogService {
 public:
  MessageAnswer Message(HWND owner, const std::string& text, const std::string& title,
                        MessageIcon icon, MessageButtons buttons) override {
    return MessageBoxAnswer(
        MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), MessageBoxStyle(icon, buttons)),
        buttons);
  }

  std::optional<std::string> ChooseOpenFile(HWND owner, const FileRequest& request) override {
    return RunFileDialog(owner, request, false);
  }

  std::optional<std::string> ChooseSaveFile(HWND owner, const FileRequest& request) override {
    return RunFileDialog(owner, request, true);
  }

  std::string BrowseForFolder(HWND owner) override {
    const std::wstring title = L"Please select a folder.";
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return {};
    std::string path = PathOfItem(item);
    CoTaskMemFree(item);
    return path;
  }

  std::string BrowseForNetworkFolder(HWND owner) override {
    PIDLIST_ABSOLUTE network = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, CSIDL_NETWORK, &network)) || !network) return {};
    wchar_t display[MAX_PATH]{};
    const std::wstring title = L"Select a network computer or share.";
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = network;
    info.pszDisplayName = display;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    std::string result;
    if (item) {
      result = PathOfItem(item);
      // A computer is no folder: it is named by its UNC form.
      if (result.empty()) result = "\\\\" + Utf8(display);
      CoTaskMemFree(item);
    }
    CoTaskMemFree(network);
    return result;
  }

  NewINIChoice AskNewINI(HWND owner, bool offerExisting) override {
    return RunNewINIDialog(owner, *this, offerExisting);
  }

  void ShowAbout(HWND owner) override { RunAboutDialog(owner); }

  bool OpenWithShell(HWND owner, const std::string& target) override {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, nullptr, Wide(target).c_str(), nullptr, L"C:\\", SW_SHOWNORMAL));
    return result > 32;
  }
};

}  // namespace

DialogService& SystemDialogs() {
  static SystemDialogService service;
  return service;
}

}  // namespace velloran::win32
