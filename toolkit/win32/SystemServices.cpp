// The wizard's services on a Windows desktop.

#include <windows.h>
// After windows.h, which they need.
#include <lm.h>

#include "check/win32/WindowsShareLister.h"
#include "platform/Clock.h"
#include "platform/NetworkFolder.h"
#include "platform/Paths.h"
#include "toolkit/core/Preferences.h"
#include "toolkit/win32/frmWizard.h"

namespace velloran::win32 {
namespace {

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string UserName() {
  wchar_t name[256]{};
  DWORD size = 256;
  return GetUserNameW(name, &size) ? Utf8(name) : std::string();
}

std::string ComputerName() {
  const std::string name = HostName();
  return name.empty() ? "Computer UNKNOWN" : name;
}

// The network's domains, as the browser service lists them. Where there is
// none (no network, a workgroup machine) the list is empty and the
// administrator types the name.
std::vector<std::string> NetworkDomains() {
  std::vector<std::string> domains;
  SERVER_INFO_100* info = nullptr;
  DWORD read = 0, total = 0;
  if (NetServerEnum(nullptr, 100, reinterpret_cast<BYTE**>(&info), MAX_PREFERRED_LENGTH, &read,
                    &total, SV_TYPE_DOMAIN_ENUM, nullptr, nullptr) == NERR_Success &&
      info) {
    for (DWORD i = 0; i < read; ++i) {
      if (info[i].sv100_name) domains.push_back(Utf8(info[i].sv100_name));
    }
  }
  if (info) NetApiBufferFree(info);
  return domains;
}

}  // namespace

WizardServices SystemServices() {
  WizardServices services;
  services.Dialogs = &SystemDialogs();
  // The same bytes as the toolkit writes on every other system.
  services.Profile = &PortableProfile();
  DeploymentEnvironment& d = services.Deployment;
  d.Time = &SystemClock();
  d.UserName = UserName;
  d.ComputerName = ComputerName;
  d.ToolkitFolder = ProgramFolder();
  d.FolderExists = FolderExists;
  // Windows reaches a share by its UNC path itself.
  d.LocalFolder = [](const std::string& folder) { return folder; };
  // A folder of this computer is named through the share that exports it;
  // one that no share holds gets the warning.
  d.ShareOf = [](const std::string& folder) {
    return UNCPathThroughShares(folder, LocalFolderShares(), ComputerName());
  };
  services.DomainNames = NetworkDomains;
  services.PreferencesFile = UserPreferencesFile();
  // The user's own logon asks the servers, as the engine's add will.
  services.TargetCheck = [] {
    TargetCheckSetup setup;
    setup.Lister = check::MakeWindowsShareLister();
    return setup;
  };
  return services;
}

}  // namespace velloran::win32
