#pragma once
// One engine run: the run-wide state and the platform services it uses.
// Main owns the only instance; every module procedure takes it.

#include <memory>
#include <string>
#include <vector>

#include "common/INISettings.h"
#include "platform/Clock.h"
#include "platform/Directory.h"
#include "platform/Error.h"
#include "platform/EventLog.h"
#include "platform/MessageBox.h"
#include "platform/NetworkObject.h"
#include "platform/SettingsStore.h"
#include "platform/profile/Profile.h"

namespace velloran {

/// One printer connection split into its parts; also a directory entry.
struct NetworkPrinter {
  std::string PrinterName;
  std::string ServerName;
  std::string ShareName;
  bool operator==(const NetworkPrinter&) const = default;
};

/// The operating-system services of a run. Tests build their own.
struct Services {
  ProfileFunctions* Profile = nullptr;
  SettingsStore* Settings = nullptr;
  NetworkObjectFactory* Network = nullptr;
  DirectoryService* Directory = nullptr;
  EventLog* Events = nullptr;
  MessageBox* Messages = nullptr;
  Clock* Time = nullptr;
};

struct Run {
  explicit Run(Services services) : Svc(services) {}

  Services Svc;

  /// The argument text after the program name, quotes still in it.
  std::string CommandLine;
  /// The folder of the running program file, without a trailing separator.
  std::string EngineFolder;

  bool AbortStatus = false;
  /// The run's report; every addition starts with CR LF.
  std::string OutcomeText;
  std::string INIFilePath;
  /// No INI file was found, or it could not be read: such a run never
  /// stores the run-once marker, so it runs again once the file is back.
  bool INIFileUnreadable = false;
  INISettings Settings;
  /// Entry 0 always empty; networked connections from 1.
  std::vector<NetworkPrinter> ClientPrinters;
  /// Entry 0 always empty; published print queues from 1.
  std::vector<NetworkPrinter> ADPrinters;
  /// Collected debug lines, each ended by CR LF.
  std::string DebugText;
};

}  // namespace velloran
