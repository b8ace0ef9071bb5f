#include "engine/EngineServices.h"

#include "platform/Backends.h"
#include "platform/Paths.h"

namespace velloran {

std::string DefaultConnectionProfile() { return JoinPath(UserStateFolder(), "connections.txt"); }

Result<std::unique_ptr<EngineServices>> ServicesFromEnvironment(DialogBackend dialogs) {
  auto s = std::make_unique<EngineServices>();

  s->Settings = MakeFileSettingsStore(EnvOr("VELLORAN_USER_HIVE", JoinPath(UserConfigFolder(), "user.hive")),
                                      EnvOr("VELLORAN_MACHINE_HIVE", "/var/lib/velloran/machine.hive"));

  auto network = MakeNetworkFactory(EnvOr("VELLORAN_PRINTERS", "profile:" + DefaultConnectionProfile()));
  if (!network) return network.error();
  s->Network = std::move(*network);

  auto events = MakeEventLog(EnvOr("VELLORAN_EVENTLOG", "syslog"));
  if (!events) return events.error();
  s->Events = std::move(*events);

  std::string box = EnvOr("VELLORAN_MESSAGEBOX", "auto");
  if (box != "auto" && box != "console" && box != "qt")
    return PlatformError{22, "VELLORAN_MESSAGEBOX must be auto, console or qt, not \"" + box + "\""};
  if (box == "qt" && !dialogs.Make)
    return PlatformError{22, "VELLORAN_MESSAGEBOX=qt: this program has no dialog message box"};
  bool dialog = box == "qt" || (box == "auto" && dialogs.Make && dialogs.DisplayPresent &&
                                dialogs.DisplayPresent());
  s->Messages = dialog ? dialogs.Make() : MakeConsoleMessageBox();

  s->Wired.Profile = &SystemProfile();
  s->Wired.Settings = s->Settings.get();
  s->Wired.Network = s->Network.get();
  s->Wired.Events = s->Events.get();
  s->Wired.Messages = s->Messages.get();
  s->Wired.Time = &SystemClock();
  return s;
}

}  // namespace velloran
