#include "platform/Configuration.h"

#include <cerrno>
#include <cstdlib>

#include "platform/Paths.h"
#include "platform/SystemBackends.h"

namespace velloran {

namespace {

std::string Or(const std::optional<std::string>& value, std::string fallback) {
  return value && !value->empty() ? *value : std::move(fallback);
}

PlatformError Invalid(const char* name, const std::string& value, const char* expected) {
  return PlatformError{kInvalidSetting,
                       std::string(name) + " must be " + expected + ", not \"" + value + "\""};
}

}  // namespace

std::optional<std::string> ProcessEnvironment(const char* name) {
  const char* v = std::getenv(name);
  if (!v) return std::nullopt;
  return std::string(v);
}

std::string DefaultConnectionProfile() { return JoinPath(UserStateFolder(), "connections.txt"); }

Result<Configuration> ReadConfiguration(const EnvironmentLookup& env) {
  Configuration c;
  c.Printers = Or(env("VELLORAN_PRINTERS"), DefaultPrintersChoice());
  c.UserHive = Or(env("VELLORAN_USER_HIVE"), JoinPath(UserConfigFolder(), "user.hive"));
  c.MachineHive = Or(env("VELLORAN_MACHINE_HIVE"), "/var/lib/velloran/machine.hive");
  c.EventLog = Or(env("VELLORAN_EVENTLOG"), DefaultEventLogChoice());

  c.MessageBox = Or(env("VELLORAN_MESSAGEBOX"), "auto");
  if (c.MessageBox != "auto" && c.MessageBox != "console" && c.MessageBox != "qt")
    return Invalid("VELLORAN_MESSAGEBOX", c.MessageBox, "auto, console or qt");

  // A tick that is not a whole number of milliseconds would leave the mail
  // waiting for ever or not at all; an hour per tick is already absurd.
  if (auto tick = env("VELLORAN_SMTP_TICK_MS"); tick && !tick->empty()) {
    char* end = nullptr;
    errno = 0;
    long ms = std::strtol(tick->c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || ms <= 0 || ms > 3600000)
      return Invalid("VELLORAN_SMTP_TICK_MS", *tick, "a number of milliseconds from 1 to 3600000");
    c.SmtpTick = std::chrono::milliseconds(ms);
  }
  return c;
}

}  // namespace velloran
