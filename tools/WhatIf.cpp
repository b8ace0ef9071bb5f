#include "tools/WhatIf.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <unordered_map>

#include "engine/EngineServices.h"
#include "engine/modINIFile.h"
#include "engine/modMain.h"
#include "engine/modPrinters.h"
#include "platform/Backends.h"
#include "platform/CodePage.h"
#include "platform/FolderTree.h"
#include "platform/NullBackends.h"
#include "platform/Paths.h"
#include "platform/RegularFile.h"
#include "platform/RehearsalNetwork.h"
#include "platform/SystemBackends.h"
#include "platform/cups/CupsNetwork.h"
#include "platform/ldap/LdapDirectory.h"
#include "tools/IniPath.h"
#include "tools/OutputText.h"

namespace velloran {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
// The user's own connections are what a Windows administrator has; a profile
// file is there for rehearsing someone else's.
constexpr std::string_view kSystemPrinters = "system";
const char* kUsage =
    "Usage: velloran what-if INI [--printers system | --connections FILE] [--debug]";
#else
constexpr std::string_view kSystemPrinters = "cups";
const char* kUsage = "Usage: velloran what-if INI [--connections FILE | --printers cups] [--debug]";
#endif

class ScratchFolder {
 public:
  ScratchFolder() {
    if (std::string made = MakePrivateTempFolder("velloran-what-if-"); !made.empty())
      path_ = PathFromText(made);
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

Result<std::vector<std::string>> ConnectionNames(NetworkObjectFactory& network) {
  auto object = network.Create("WScript.Network");
  if (!object) return object.error();
  auto items = (*object)->EnumPrinterConnections();
  if (!items) return items.error();
  std::vector<std::string> names;
  for (size_t i = 1; i < items->size(); i += 2) names.push_back((*items)[i]);
  return names;
}

// Names of `from` that `other` lacks, each occurrence matched once. Names
// meet by their folded form, so a profile of any size costs one pass each.
std::vector<std::string> Missing(const std::vector<std::string>& from,
                                 const std::vector<std::string>& other) {
  std::unordered_map<std::string, size_t> left;
  for (const auto& name : other) ++left[FoldCase(name)];
  std::vector<std::string> out;
  for (const auto& name : from) {
    auto it = left.find(FoldCase(name));
    if (it == left.end() || it->second == 0)
      out.push_back(name);
    else
      --it->second;
  }
  return out;
}

std::string PlainLines(std::string text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  if (!out.empty() && out.front() == '\n') out.erase(0, 1);
  return out;
}

int Fail(const std::string& message) {
  std::cerr << "velloran what-if: " << message << "\n";
  return 2;
}

}  // namespace

int WhatIf(const std::vector<std::string>& args) {
  std::string ini, connections, printers;
  bool debug = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--connections" && i + 1 < args.size()) {
      connections = args[++i];
    } else if (args[i] == "--printers" && i + 1 < args.size()) {
      printers = args[++i];
    } else if (args[i] == "--debug") {
      debug = true;
    } else if (ini.empty() && !args[i].starts_with("--")) {
      ini = args[i];
    } else {
      return Fail("unexpected argument \"" + args[i] + "\"\n" + kUsage);
    }
  }
  if (ini.empty()) return Fail(std::string("expects an INI file\n") + kUsage);
  if (Status readable = CheckINIFile(ini); !readable.ok())
    return Fail("cannot read " + ini + ": " + readable.error().Description);
  if (!printers.empty() && printers != kSystemPrinters)
    return Fail("--printers takes \"" + std::string(kSystemPrinters) + "\", not \"" + printers +
                "\"\n" + kUsage);
  if (!printers.empty() && !connections.empty())
    return Fail(std::string("--connections and --printers exclude each other\n") + kUsage);
#ifdef _WIN32
  if (connections.empty()) printers = kSystemPrinters;
#endif

  // The connection profile is rehearsed on a copy; the system's connections
  // (CUPS queues, or a Windows user's connections) are read once and every
  // change is made to that reading only.
  ScratchFolder scratch;
  std::unique_ptr<NetworkObjectFactory> network;
  std::string source;
  if (printers == "cups") {
    auto cups = MakeCupsNetwork(/*rehearse=*/true);
    if (!cups) return Fail(cups.error().Description);
    network = std::move(*cups);
    source = "the CUPS queues";
  } else if (printers == "system") {
    auto live = MakeSystemNetworkFactory("system");
    if (!live) return Fail(live.error().Description);
    network = MakeRehearsalNetwork(std::move(*live));
    source = "this user's printer connections";
  } else {
    if (connections.empty()) connections = DefaultConnectionProfile();
    if (!CheckReadableRegularFile(connections).ok())
      return Fail("cannot read the connection profile " + connections +
                  " (name one with --connections FILE)");
    // A file with lines that are no profile lines is refused here, naming
    // them: rehearsed without them it would say that nothing changes.
    if (Status read = CheckConnectionProfile(connections); !read.ok())
      return Fail(read.error().Description);
    if (scratch.path().empty()) return Fail("cannot create a temporary folder");
    const fs::path copy = scratch.path() / "connections.txt";
    std::error_code ec;
    fs::copy_file(PathFromText(connections), copy, ec);
    if (ec) return Fail("cannot copy " + connections + ": " + ec.message());
    network = MakeConnectionProfile(PathText(copy));
    source = "a copy of " + connections;
  }

  LdapDirectoryOptions ldap = LdapOptionsFromEnvironment();
  if (ldap.Invalid) return Fail(ldap.Invalid->Description);
  auto directory = MakeLdapDirectory(std::move(ldap));
  // A rehearsal must leave no trace: the run-once marker goes nowhere, and the
  // notification channels are switched off before the run.
  Run run(Services{SystemProfile(), DiscardingSettingsStore(), *network, *directory,
                   DiscardingEventLog(), SilentMessageBox(), SystemClock()});
  run.INIFilePath = IniPathForProfile(ini);
  run.Settings.DebugOn = debug;
  ReadINISettings(run);
  run.Settings.DebugOn = debug;
  run.Settings.AlwaysRun = true;
  run.Settings.UseSMTP = false;
  run.Settings.UseFileOutput = false;
  run.Settings.UseClientPopup = false;
  run.Settings.WriteToEventLog = false;

  auto before = ConnectionNames(*network);
  if (!before) return Fail("cannot read " + source + ": " + before.error().Description);
  RunMigration(run);
  auto after = ConnectionNames(*network);
  if (!after) return Fail("cannot read the rehearsal's copy: " + after.error().Description);

  // Queue and printer names come from the directory and the print servers:
  // the report is escaped as every command's output is.
  std::ostringstream out;
  out << "What-if of " << ini << " on " << source << " (nothing was changed)\n";
  if (debug) out << "\nDebug log:\n" << PlainLines(run.DebugText);
  out << "\nOutcome:\n" << PlainLines(run.OutcomeText) << "\n";
  out << "\nAbort status: " << (run.AbortStatus ? "True" : "False") << "\n";
  auto removed = Missing(*before, *after);
  auto added = Missing(*after, *before);
  if (removed.empty() && added.empty()) {
    out << "\nNo connection would change.\n";
  } else {
    out << "\nConnections that would change:\n";
    for (const auto& name : removed) out << "  - " << output::TerminalLine(name) << "\n";
    for (const auto& name : added) out << "  + " << output::TerminalLine(name) << "\n";
  }
  if (!run.DriverHolds.empty()) {
    out << "\nMoves a driver would hold back (the old connection stays):\n";
    for (const HeldBackMove& hold : run.DriverHolds) {
      out << "  " << output::TerminalLine(hold.From) << " -> " << output::TerminalLine(hold.To)
          << "\n";
      out << "    Driver: " << output::TerminalLine(hold.Driver.Name) << "\n";
      out << "    Cause: " << output::TerminalLine(hold.Cause) << "\n";
    }
  }
  std::cout << output::TerminalText(out.str());
  return run.AbortStatus ? 1 : 0;
}

}  // namespace velloran
