// Draws every page of the Windows toolkit, for an Active Directory and a
// manual document, the New-INI dialog and Check Targets (its progress window
// and the list of a check of the manual document), into BMP files of a folder
// (scripts/screenshots.sh --windows turns them into PNG). Runs on a desktop:
// the pictures are taken from the screen.
//
//   toolkit_win32_screenshots.exe FOLDER [MANUAL_INI]

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "toolkit/core/Pages.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/Dialogs.h"
#include "toolkit/win32/Ui.h"
#include "toolkit/win32/frmCheckTargets.h"
#include "toolkit/win32/frmWizard.h"

namespace velloran::win32 {
namespace {

// Answers every question with its first button; the document's kind is set
// by the shot.
class ShotDialogs : public DialogService {
 public:
  bool ActiveDirectory = true;
  std::string Existing;  ///< an INI file to open instead of a new one
  MessageAnswer Message(HWND, const std::string&, const std::string&, MessageIcon,
                        MessageButtons buttons) override {
    return FirstButton(buttons);
  }
  std::optional<std::string> ChooseOpenFile(HWND, const FileRequest&) override { return {}; }
  std::optional<std::string> ChooseSaveFile(HWND, const FileRequest&) override { return {}; }
  std::string BrowseForFolder(HWND) override { return {}; }
  std::string BrowseForNetworkFolder(HWND) override { return {}; }
  NewINIChoice AskNewINI(HWND, bool) override {
    NewINIChoice choice;
    choice.Cancelled = false;
    choice.ActiveDirectory = ActiveDirectory;
    choice.ExistingPage = !Existing.empty();
    choice.ExistingFile = Existing;
    return choice;
  }
  void ShowAbout(HWND) override {}
  bool OpenWithShell(HWND, const std::string&) override { return true; }
  void ShowTargetCheck(HWND owner, const TargetCheckReport& report) override;

  std::string Folder;
  bool Saved = true;
  int Shots = 0;
};

// The example document's servers: a queue missing on the new server, and
// a new server that answers only once the progress window has been drawn,
// and then refuses the connection.
class SampleServers : public check::ShareLister {
 public:
  check::ServerAnswer Ask(const check::ServerQuestion& q, check::Clock::time_point) override {
    auto printers = [](std::initializer_list<const char*> names) {
      check::ServerAnswer a{check::ServerState::Answered, {}, {}, true, {}, false};
      for (const char* name : names)
        a.Shares.push_back({name, check::ShareKind::Printer, {}, false});
      return a;
    };
    if (q.Server == "OLDSRV1") return printers({"ACCOUNTING", "RECEPTION", "LOBBY"});
    if (q.Server == "NEWSRV1") return printers({"ACCOUNTING", "RECEPTION"});
    if (q.Server == "OLDSRV2") return printers({"PLOTTER", "WAREHOUSE"});
    std::unique_lock<std::mutex> hold(lock_);
    drawn_.wait(hold, [this] { return released_; });
    return {
        check::ServerState::Unreachable, "The network path was not found.", {}, false, {}, false};
  }
  void Release() {
    std::lock_guard<std::mutex> hold(lock_);
    released_ = true;
    drawn_.notify_all();
  }

 private:
  std::mutex lock_;
  std::condition_variable drawn_;
  bool released_ = false;
};

void Settle() {
  for (int i = 0; i < 10; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(30);
  }
}

bool SaveWindow(HWND window, const std::string& path) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Settle();
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const int stride = (w * 3 + 3) & ~3;
  std::vector<unsigned char> pixels(static_cast<size_t>(stride) * h);
  GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file{};
  file.bfType = 0x4d42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = _wfopen(Wide(path).c_str(), L"wb");
  if (!out) return false;
  const bool ok = fwrite(&file, sizeof file, 1, out) == 1 &&
                  fwrite(&info, sizeof info, 1, out) == 1 &&
                  fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
  return fclose(out) == 0 && ok;
}

void ShotDialogs::ShowTargetCheck(HWND owner, const TargetCheckReport& report) {
  HWND list = CreateCheckTargetsDialog(owner, report);
  SetWindowPos(list, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
  ShowWindow(list, SW_SHOWNORMAL);
  Saved = SaveWindow(list, Folder + "\\check-targets.bmp") && Saved;
  ++Shots;
  DestroyWindow(list);
}

const char* Slug(int page, bool activeDirectory) {
  switch (page) {
    case kPageGeneral:
      return "general";
    case kPageActiveDirectory:
      return "active-directory";
    case kPageServers:
      return "servers";
    case kPageNotification:
      return "notification";
    case kPageSMTPMail:
      return "smtp-mail";
    case kPageFileOutput:
      return "file-output";
    case kPageClientPopup:
      return "client-popup";
    case kPageEventLog:
      return "event-log";
    case kPageManualConfiguration:
      return "manual-configuration";
    case kPagePrinters:
      return "printers";
    case kPageMixed:
      return "mixed";
    case kPageSupport:
      return "support";
    case kPageDeployment:
      return activeDirectory ? "deployment-general" : "deployment";
    case kPageMDAC:
      return "mdac";
    case kPageDeploymentOverview:
      return "deployment";
    default:
      return "page";
  }
}

int Render(const std::string& folder, const std::string& manualINI) {
  int shots = 0;
  for (bool activeDirectory : {true, false}) {
    ShotDialogs dialogs;
    dialogs.ActiveDirectory = activeDirectory;
    if (!activeDirectory) dialogs.Existing = manualINI;
    dialogs.Folder = folder;
    WizardServices services = SystemServices();
    services.Dialogs = &dialogs;
    auto servers = std::make_shared<SampleServers>();
    bool progressDrawn = false;
    services.TargetCheck = [servers] {
      TargetCheckSetup setup;
      setup.Lister = servers;
      return setup;
    };
    // The progress window while the last server is still to answer.
    services.CheckProgressWatcher = [&](HWND progress) {
      HWND bar = GetDlgItem(progress, prbProgress);
      const auto value = SendMessageW(bar, PBM_GETPOS, 0, 0);
      const auto maximum = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
      if (progressDrawn || maximum == 0 || value + 1 != maximum) return;
      progressDrawn = true;
      dialogs.Saved = SaveWindow(progress, folder + "\\check-progress.bmp") && dialogs.Saved;
      ++dialogs.Shots;
      servers->Release();
    };
    frmWizard wizard(services);
    if (!wizard.Create(GetModuleHandleW(nullptr))) return 1;
    SetWindowPos(wizard.Handle(), HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
    ShowWindow(wizard.Handle(), SW_SHOWNORMAL);
    if (!wizard.Start()) return 1;
    for (std::optional<int> page = kPageGeneral; page; page = NextPage(*page, activeDirectory)) {
      wizard.ShowPage(*page);
      char name[64];
      snprintf(name, sizeof name, "%s-%02d-%s.bmp", activeDirectory ? "ad" : "manual", *page,
               Slug(*page, activeDirectory));
      if (!SaveWindow(wizard.Handle(), folder + "\\" + name)) return 1;
      ++shots;
    }
    if (!activeDirectory) {
      wizard.ShowPage(kPageServers);
      SendMessageW(wizard.Handle(), WM_COMMAND, MAKEWPARAM(kCheckTargetsCommand, 0), 0);
      servers->Release();
      if (!progressDrawn || dialogs.Shots != 2 || !dialogs.Saved) return 1;
      shots += dialogs.Shots;
    }
  }
  for (bool existing : {true, false}) {
    ShotDialogs dialogs;
    NewINIChoice choice;
    HWND dialog = CreateNewINIDialog(nullptr, dialogs, existing, &choice);
    SetWindowPos(dialog, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
    ShowWindow(dialog, SW_SHOWNORMAL);
    if (!SaveWindow(dialog, folder + (existing ? "\\new-ini-startup.bmp" : "\\new-ini.bmp")))
      return 1;
    DestroyWindow(dialog);
    ++shots;
  }
  HWND about = CreateAboutDialog(nullptr);
  SetWindowPos(about, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
  ShowWindow(about, SW_SHOWNORMAL);
  if (!SaveWindow(about, folder + "\\about.bmp")) return 1;
  DestroyWindow(about);
  printf("%d pictures\n", shots + 1);
  return 0;
}

}  // namespace
}  // namespace velloran::win32

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    fprintf(stderr, "usage: toolkit_win32_screenshots FOLDER [MANUAL_INI]\n");
    return 2;
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  return velloran::win32::Render(argv[1], argc > 2 ? argv[2] : "");
}
