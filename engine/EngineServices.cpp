#include "engine/EngineServices.h"

#include "platform/Backends.h"
#include "platform/CodePage.h"
#include "platform/SystemBackends.h"

namespace velloran {

Result<std::unique_ptr<EngineServices>> MakeEngineServices(const Configuration& config,
                                                           LdapDirectoryOptions ldap,
                                                           DialogBackend dialogs) {
  auto s = std::make_unique<EngineServices>();

  // Every INI text is read in this code page: a wrong one misreads them all.
  if (Status codePage = CheckAnsiCodePageSetting(); !codePage.ok()) return codePage.error();

  s->Settings = MakeSystemSettingsStore(config);

  auto network = MakeSystemNetworkFactory(config.Printers);
  if (!network) return network.error();
  s->Network = std::move(*network);

  auto events = MakeEventLog(config.EventLog);
  if (!events) return events.error();
  s->Events = std::move(*events);

  if (config.MessageBox == "qt" && !dialogs.Make)
    return PlatformError{kInvalidSetting, "VELLORAN_MESSAGEBOX=qt: this program has no dialog message box"};
  bool dialog = config.MessageBox == "qt" ||
                (config.MessageBox == "auto" && dialogs.Make && dialogs.DisplayPresent &&
                 dialogs.DisplayPresent());
  s->Messages = dialog ? dialogs.Make() : MakeConsoleMessageBox();

  if (ldap.Invalid) return *ldap.Invalid;
  s->Directory = MakeLdapDirectory(std::move(ldap));
  return s;
}

}  // namespace velloran
