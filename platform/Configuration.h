#pragma once
// The run-time choices of the platform backends. The VELLORAN_* environment
// variables are read here and nowhere else; programs pass the value on.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "platform/Error.h"

namespace velloran {

struct Configuration {
  /// VELLORAN_PRINTERS: "profile:PATH", "none", or a backend the system has.
  std::string Printers;
  /// VELLORAN_USER_HIVE and VELLORAN_MACHINE_HIVE: the settings store's files
  /// where the system keeps no registry.
  std::string UserHive;
  std::string MachineHive;
  /// VELLORAN_MESSAGEBOX: "auto", "console" or "qt".
  std::string MessageBox;
  /// VELLORAN_EVENTLOG: "syslog", "eventlog" (Windows) or "file:PATH".
  std::string EventLog;
  /// VELLORAN_SMTP_TICK_MS: one tick of the SMTP reply timer.
  std::chrono::milliseconds SmtpTick{1000};
};

/// Looks up one environment variable; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

/// The process environment.
std::optional<std::string> ProcessEnvironment(const char* name);

/// Reads every VELLORAN_* choice, with this system's defaults for those unset
/// or empty. A value that can never work fails with kInvalidSetting and a
/// text naming the variable; whether a backend accepts a choice is for the
/// backend to say when it is made.
Result<Configuration> ReadConfiguration(const EnvironmentLookup& env = ProcessEnvironment);

/// The connection profile used when VELLORAN_PRINTERS is unset.
std::string DefaultConnectionProfile();

}  // namespace velloran
