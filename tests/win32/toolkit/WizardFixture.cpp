#include "WizardFixture.h"

#include <fstream>
#include <sstream>

#include "platform/profile/Profile.h"
#include "toolkit/win32/Ui.h"

namespace velloran::win32::testing {
namespace {

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool SameFolder(const std::string& a, const std::filesystem::path& b) {
  return std::filesystem::path(Wide(a)).lexically_normal() == b.lexically_normal();
}

}  // namespace

void WizardTest::SetUp() {
  root = std::filesystem::temp_directory_path() /
         ("velloran-wizard-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::remove_all(root);
  toolkit = root / "toolkit";
  share = root / "share";
  std::filesystem::create_directories(toolkit);
  std::filesystem::create_directories(share);
  Write(toolkit / "VelloranEngine.exe", "MZ engine 1");
  Write(toolkit / "EvntMsg.dll", "MZ messages 1");
  Write(toolkit / "MDAC_TYP2.8.EXE", "MZ mdac 2.8");
}

void WizardTest::TearDown() {
  window.reset();
  // The quit message a closed window posts is not for the test runner.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  std::filesystem::remove_all(root);
}

WizardServices WizardTest::Services() {
  WizardServices s;
  s.Dialogs = &dialogs;
  s.Profile = &PortableProfile();
  DeploymentEnvironment& d = s.Deployment;
  d.Time = &clock;
  d.UserName = [] { return std::string("admin"); };
  d.ComputerName = [] { return std::string("ADMINPC"); };
  d.ToolkitFolder = Utf8(toolkit.wstring());
  // \\srv\deploy is the share; this machine reaches it in `share`.
  const std::filesystem::path local = share;
  auto localOf = [local](const std::string& folder) {
    std::string rest = folder;
    const std::string unc = "\\\\srv\\deploy";
    if (rest.size() >= unc.size() && _strnicmp(rest.c_str(), unc.c_str(), unc.size()) == 0) {
      return Utf8(local.wstring()) + rest.substr(unc.size());
    }
    return folder;
  };
  d.LocalFolder = localOf;
  d.FolderExists = [localOf](const std::string& folder) {
    return std::filesystem::is_directory(std::filesystem::path(Wide(localOf(folder))));
  };
  d.ShareOf = [local](const std::string& folder) {
    return SameFolder(folder, local) ? std::string("\\\\srv\\deploy") : std::string();
  };
  s.DomainNames = [this] { return domains; };
  return s;
}

void WizardTest::Open(bool activeDirectory) {
  NewINIChoice choice;
  choice.Cancelled = false;
  choice.ActiveDirectory = activeDirectory;
  dialogs.NewINIChoices.push_back(choice);
  window = std::make_unique<frmWizard>(Services());
  ASSERT_TRUE(window->Create(GetModuleHandleW(nullptr)));
  ShowWindow(window->Handle(), SW_SHOWNA);
  ASSERT_TRUE(window->Start());
  PumpMessages();
}

std::string WizardTest::PathOf(const std::string& name) const {
  return Utf8((root / name).wstring());
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Golden(const std::string& name, const std::string& folder) {
  std::string text = ReadBytes(std::filesystem::path(VELLORAN_TOOLKIT_GOLDEN_DIR) / name);
  for (size_t at = text.find("@FOLDER@"); at != std::string::npos;
       at = text.find("@FOLDER@", at + folder.size())) {
    text.replace(at, 8, folder);
  }
  return text;
}

}  // namespace velloran::win32::testing
