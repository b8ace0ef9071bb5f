#include "engine/EngineServices.h"

#include "platform/Backends.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/SystemBackends.h"
#include "platform/ldap/LdapDirectory.h"

namespace velloran {

std::string DefaultConnectionProfile() { return JoinPath(UserStateFolder(), "connections.txt"); }

Result<std::unique_ptr<EngineServices>> ServicesFromEnvironment(DialogBackend dialogs) {
  auto s = std::make_unique<EngineServices>();

  // Every INI text is read in this code page: a wrong one misreads them all.
  if (Status codePage = CheckAnsiCodePageSetting(); !codePage.ok()) return codePage.error();

  s->Settings = MakeSystemSettingsStore();

  auto network = MakeSystemNetworkFactory(EnvOr("VELLORAN_PRINTERS", DefaultPrintersChoice()));
  if (!network) return network.error();
  s->Network = std::move(*network);

  auto events = MakeEventLog(EnvOr("VELLORAN_EVENTLOG", DefaultEventLogChoice()));
  if (!events) return events.error();
  s->Events = std::move(*events);

  std::string box = EnvOr("VELLORAN_MESSAGEBOX", "auto");
  if (box != "auto" && box != "console" && box != "qt")
    return PlatformError{kInvalidSetting, "VELLORAN_MESSAGEBOX must be auto, console or qt, not \"" + box + "\""};
  if (box == "qt" && !dialogs.Make)
    return PlatformError{kInvalidSetting, "VELLORAN_MESSAGEBOX=qt: this program has no dialog message box"};
  bool dialog = box == "qt" || (box == "auto" && dialogs.Make && dialogs.DisplayPresent &&
                                dialogs.DisplayPresent());
  s->Messages = dialog ? dialogs.Make() : MakeConsoleMessageBox();

  LdapDirectoryOptions ldap = LdapOptionsFromEnvironment();
  if (ldap.Invalid) return *ldap.Invalid;
  s->Directory = MakeLdapDirectory(std::move(ldap));

  s->Wired.Profile = &SystemProfile();
  s->Wired.Settings = s->Settings.get();
  s->Wired.Network = s->Network.get();
  s->Wired.Events = s->Events.get();
  s->Wired.Messages = s->Messages.get();
  s->Wired.Directory = s->Directory.get();
  s->Wired.Time = &SystemClock();
  return s;
}

}  // namespace velloran
