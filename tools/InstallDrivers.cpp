#include "tools/InstallDrivers.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "check/CheckRun.h"
#include "check/Report.h"
#include "common/modINIDocument.h"
#include "engine/EngineServices.h"
#include "engine/modMoveADPrinters.h"
#include "platform/Backends.h"
#include "platform/CodePage.h"
#include "platform/Configuration.h"
#include "platform/ConnectionName.h"
#include "platform/FolderTree.h"
#include "platform/NullBackends.h"
#include "platform/Paths.h"
#include "platform/RegularFile.h"
#include "platform/SystemBackends.h"
#include "platform/ldap/LdapDirectory.h"
#include "platform/profile/Profile.h"
#include "tools/IniPath.h"
#include "tools/OutputText.h"
#ifdef _WIN32
#include "check/win32/WindowsShareLister.h"
#include "platform/SpoolerDrivers.h"
#include "platform/win32/Backends-win32.h"
#endif

namespace velloran {

const char* const kInstallDriversUsage =
    "Usage: velloran install-drivers INI [--server NAME]... [--connections FILE]\n"
    "                      [--dry-run] [--json]\n"
    "\n"
    "Installs on this computer the printer drivers of the new queues that INI\n"
    "maps clients to, from their print servers, so that a user who may not\n"
    "install drivers can connect to them at the next logon. Run it as an\n"
    "administrator or as the system (a computer start-up script, a scheduled\n"
    "task): it installs nothing that is there already at the server's version,\n"
    "so it can run at every start-up.\n"
    "\n"
    "  servers pairs   the printer shares of the new server that the old server\n"
    "                  also offers (as velloran check finds them)\n"
    "  printers pairs  the new printer on each server given with --server\n"
    "  mixed pairs     \\\\TOSERVER\\TOPRINTER\n"
    "  directory       the queues the directory publishes (UseActiveDirectory)\n"
    "\n"
    "Drivers come only from servers that INI names (and those its directory\n"
    "publishes). INI, and every folder above it, must be writable by\n"
    "administrators only: INI decides what this computer installs as the system.\n"
    "\n"
    "Where VELLORAN_PRINTERS names a connection profile (profile:PATH), or with\n"
    "--connections FILE, the profile stands for the computer: its share: lines\n"
    "are the servers' queues, its driver: lines their drivers, and each driver\n"
    "installed becomes an installed-driver: line. CUPS queues are driverless and\n"
    "need none.\n"
    "\n"
    "Options:\n"
    "  --server NAME        a server to install the printers pairs' drivers from\n"
    "                       (repeatable; INI must name it as well)\n"
    "  --connections FILE   the connection profile to install into\n"
    "  --dry-run            say what would be installed; install nothing\n"
    "  --json               one entry per driver, for scripts\n"
    "\n"
    "Output: one line per driver: installed, already present, would install\n"
    "(--dry-run) or failed, with the queue it comes from and the cause.\n"
    "\n"
    "Exit status: 0 every driver is there (or would be installed); 1 one failed\n"
    "or a queue could not be asked; 2 bad arguments, or INI cannot be read, names\n"
    "no targets or may be written by others.\n";

namespace {

int Usage(const std::string& message) {
  std::cerr << "velloran install-drivers: " << message << "\n\n" << kInstallDriversUsage;
  return 2;
}

int Fail(const std::string& message) {
  std::cerr << "velloran install-drivers: " << message << "\n";
  return 2;
}

std::string BareServer(std::string_view name) {
  while (name.starts_with('\\')) name.remove_prefix(1);
  return std::string(name);
}

/// The shares of a connection profile's servers: its share: lines, and the
/// connections it holds (what the old servers offer this client).
class ProfileShareLister : public check::ShareLister {
 public:
  explicit ProfileShareLister(std::vector<std::pair<std::string, std::string>> lines)
      : lines_(std::move(lines)) {}

  check::ServerAnswer Ask(const check::ServerQuestion& question,
                          check::Clock::time_point) override {
    check::ServerAnswer answer;
    for (const auto& [key, value] : lines_) {
      if ((key == "offline" || key == "offline-after-remove") &&
          SameText(BareServer(value), question.Server)) {
        answer.State = check::ServerState::Unreachable;
        answer.Detail = "The network path was not found.";
        return answer;
      }
    }
    answer.State = check::ServerState::Answered;
    answer.WholeList = true;
    for (const auto& [key, value] : lines_) {
      if (key != "share" && key != "connection") continue;
      if (!SameText(ConnectionServer(value), question.Server)) continue;
      std::string_view share = value;
      share.remove_prefix(std::min(share.size(), share.find('\\', 2) + 1));
      const bool known =
          std::any_of(answer.Shares.begin(), answer.Shares.end(),
                      [&](const check::Share& s) { return SameText(s.Name, share); });
      if (!share.empty() && !known)
        answer.Shares.push_back(
            check::Share{std::string(share), check::ShareKind::Printer, {}, false});
    }
    return answer;
  }

 private:
  std::vector<std::pair<std::string, std::string>> lines_;
};

/// Where the drivers are asked and installed.
struct Backend {
  std::unique_ptr<NetworkObjectFactory> Network;
  std::unique_ptr<NetworkObject> Object;
  std::unique_ptr<PrinterDrivers> Own;
  PrinterDrivers* Drivers = nullptr;
  std::shared_ptr<check::ShareLister> Lister;
  /// CUPS: the queues are driverless.
  bool Driverless = false;
};

Result<Backend> ProfileBackend(const std::string& path) {
  if (Status readable = CheckReadableRegularFile(path); !readable.ok())
    return PlatformError{readable.error().Number, "cannot read the connection profile " + path +
                                                      ": " + readable.error().Description};
  if (Status usable = CheckConnectionProfile(path); !usable.ok()) return usable.error();
  auto lines = ReadConnectionProfileLines(path);
  if (!lines) return lines.error();
  Backend b;
  b.Network = MakeConnectionProfile(path);
  auto object = b.Network->Create("WScript.Network");
  if (!object) return object.error();
  b.Object = std::move(*object);
  b.Drivers = b.Object->Drivers();
  if (!b.Drivers)
    return PlatformError{0, "the connection profile " + path + " cannot tell drivers"};
  b.Lister = std::make_shared<ProfileShareLister>(std::move(*lines));
  return b;
}

Result<Backend> ChooseBackend(const std::string& connections) {
  if (!connections.empty()) return ProfileBackend(connections);
  auto config = ReadConfiguration();
  if (!config) return config.error();
  const std::string& choice = config->Printers;
  if (choice.rfind("profile:", 0) == 0 && choice.size() > 8)
    return ProfileBackend(choice.substr(8));
  if (choice == "cups") {
    Backend b;
    b.Driverless = true;
    return b;
  }
#ifdef _WIN32
  if (choice == "system") {
    Backend b;
    b.Own = MakeSpoolerDrivers(MakeWindowsSpooler());
    b.Drivers = b.Own.get();
    b.Lister = check::MakeWindowsShareLister();
    return b;
  }
#endif
  return PlatformError{kInvalidSetting, "VELLORAN_PRINTERS=" + choice +
                                            " has no printer drivers to install (use "
                                            "profile:PATH or --connections FILE)"};
}

/// Every server name the pairs of the INI file hold.
std::vector<std::string> NamedServers(const INISettings& s) {
  std::vector<std::string> out;
  auto add = [&out](const std::string& name) {
    if (!name.empty() && std::none_of(out.begin(), out.end(),
                                      [&](const std::string& n) { return SameText(n, name); }))
      out.push_back(name);
  };
  for (const NamePair& p : s.ServerPairs) add(p.FromName), add(p.ToName);
  for (const MixedPair& p : s.MixedPairs) add(p.FromServer), add(p.ToServer);
  return out;
}

bool Named(const std::vector<std::string>& servers, std::string_view server) {
  return std::any_of(servers.begin(), servers.end(),
                     [&](const std::string& s) { return SameText(s, server); });
}

/// One queue whose driver is to be there.
struct Queue {
  std::string Server, Share;
  /// Why the queue cannot be used, when it cannot.
  std::string Unusable;
  std::string Path() const { return "\\\\" + Server + "\\" + Share; }
};

enum class Outcome { Installed, Present, WouldInstall, Failed };

std::string_view OutcomeName(Outcome o) {
  switch (o) {
    case Outcome::Installed:
      return "installed";
    case Outcome::Present:
      return "already present";
    case Outcome::WouldInstall:
      return "would install";
    case Outcome::Failed:
      return "failed";
  }
  return {};
}

struct Line {
  Outcome Result = Outcome::Failed;
  std::string Driver;
  std::string Queue;
  std::string Cause;
};

std::vector<Queue> TargetQueues(const INISettings& settings,
                                const std::vector<std::string>& servers,
                                const std::vector<std::string>& named,
                                std::shared_ptr<check::ShareLister> lister) {
  std::vector<Queue> out;
  check::CheckOptions options;
  options.PrinterServers = servers;
  check::CheckResult result = check::RunCheck(settings, std::move(lister), options);
  for (const check::Target& t : result.Targets) {
    if (t.Server.empty() || t.Share.empty()) {
      // A server as a whole (its old server could not tell its queues), or
      // a printers pair without a server.
      if (t.Server.empty())
        out.push_back(
            {t.Server, t.Share, "no server to install from: name the servers with --server"});
      else
        out.push_back({t.Server, t.Share, "its queues cannot be told: " + check::StatusText(t)});
      continue;
    }
    Queue q{t.Server, t.Share, {}};
    if (!Named(named, t.Server))
      q.Unusable = "refused: " + std::string(t.Server) + " is not a server that the INI file names";
    else if (t.Status != check::TargetStatus::Found)
      q.Unusable = check::StatusText(t);
    out.push_back(std::move(q));
  }
  return out;
}

/// The outcome lines of a failed step on one line.
std::string Flattened(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      if (!out.empty() && out.back() != ' ') out += ' ';
      continue;
    }
    out += c;
  }
  return out;
}

/// The queues that the directory named by the INI file publishes: where
/// each client's connection goes is decided by the client's own share
/// names, so every published queue may be a target.
Result<std::vector<Queue>> DirectoryQueues(const std::string& ini) {
  LdapDirectoryOptions ldap = LdapOptionsFromEnvironment();
  if (ldap.Invalid) return *ldap.Invalid;
  auto directory = MakeLdapDirectory(std::move(ldap));
  Run run(Services{SystemProfile(), DiscardingSettingsStore(), UnavailableNetwork(), *directory,
                   DiscardingEventLog(), SilentMessageBox(), SystemClock()});
  run.INIFilePath = ini;
  INIDocument(SystemProfile(), ini).ReadINISettings(run.Settings);
  GetADPrinters(run);
  std::vector<Queue> out;
  for (const NetworkPrinter& p : run.ADPrinters)
    if (!p.ServerName.empty() && !p.ShareName.empty())
      out.push_back({p.ServerName, p.ShareName, {}});
  // The directory step records its failure in the run as the engine's does.
  if (run.AbortStatus)
    return PlatformError{0, "the directory " + run.Settings.DomainName +
                                " could not be read:" + Flattened(run.OutcomeText)};
  return out;
}

struct Counts {
  size_t Installed = 0, Present = 0, Would = 0, Failed = 0;
  explicit Counts(const std::vector<Line>& lines) {
    for (const Line& l : lines) {
      Installed += l.Result == Outcome::Installed;
      Present += l.Result == Outcome::Present;
      Would += l.Result == Outcome::WouldInstall;
      Failed += l.Result == Outcome::Failed;
    }
  }
};

// Driver names, queue names and causes are what servers chose to answer:
// each line is escaped as every command's output is.
void PrintText(const std::vector<Line>& lines) {
  std::string out;
  for (const Line& l : lines) {
    std::string what = l.Driver.empty()  ? l.Queue
                       : l.Queue.empty() ? l.Driver
                                         : l.Driver + " (" + l.Queue + ")";
    if (!l.Cause.empty()) what += (what.empty() ? "" : ": ") + l.Cause;
    const std::string line = std::string(OutcomeName(l.Result)) + ": " + what;
    out += output::TerminalLine(line) + "\n";
  }
  const Counts n(lines);
  out += "\n" + std::to_string(n.Installed) + " installed, " + std::to_string(n.Present) +
         " already present, " + (n.Would ? std::to_string(n.Would) + " to install, " : "") +
         std::to_string(n.Failed) + " failed.\n";
  std::cout << out;
}

void PrintJson(const std::string& ini, bool dryRun, const std::vector<Line>& lines) {
  std::string out = "{\n  \"ini\": " + output::JsonString(ini) +
                    ",\n  \"dryRun\": " + (dryRun ? "true" : "false") + ",\n  \"drivers\": [";
  for (size_t i = 0; i < lines.size(); ++i) {
    const Line& l = lines[i];
    out += std::string(i ? "," : "") + "\n    {\"driver\": " + output::JsonString(l.Driver) +
           ", \"queue\": " + output::JsonString(l.Queue) +
           ", \"status\": " + output::JsonString(std::string(OutcomeName(l.Result))) +
           ", \"cause\": " + output::JsonString(l.Cause) + "}";
  }
  const Counts n(lines);
  out += std::string(lines.empty() ? "" : "\n  ") +
         "],\n  \"installed\": " + std::to_string(n.Installed) +
         ",\n  \"present\": " + std::to_string(n.Present) +
         ",\n  \"toInstall\": " + std::to_string(n.Would) +
         ",\n  \"failed\": " + std::to_string(n.Failed) + "\n}\n";
  std::cout << out;
}

}  // namespace

int InstallDrivers(const std::vector<std::string>& args) {
  std::string ini, connections;
  std::vector<std::string> servers;
  bool dryRun = false, json = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::cout << kInstallDriversUsage;
      return 0;
    } else if (a == "--server" || a == "--connections") {
      if (i + 1 >= args.size() || args[i + 1].empty()) return Usage(a + " expects a value");
      const std::string& value = args[++i];
      if (a == "--server") {
        servers.push_back(BareServer(value));
      } else if (!connections.empty()) {
        return Usage("--connections is given twice");
      } else {
        connections = value;
      }
    } else if (a == "--dry-run") {
      dryRun = true;
    } else if (a == "--json") {
      json = true;
    } else if (ini.empty() && !a.starts_with("--")) {
      ini = a;
    } else {
      return Usage("unexpected argument \"" + a + "\"");
    }
  }
  if (ini.empty()) return Usage("expects an INI file");
  if (Status readable = CheckReadableRegularFile(ini); !readable.ok())
    return Fail("cannot read " + ini + ": " + readable.error().Description);
  // The file decides which servers this computer takes drivers from, as the
  // system: nobody but an administrator may have a say in it.
  auto others = OtherWriters(ini);
  if (!others) return Fail("cannot tell who may change " + ini + ": " + others.error().Description);
  if (!others->empty())
    return Fail("refused: " + *others +
                ", not only administrators; make INI and its folders writable by "
                "administrators only");

  auto backend = ChooseBackend(connections);
  if (!backend) return Fail(backend.error().Description);
  if (backend->Driverless) {
    std::cout << "The CUPS queues are created driverless: no driver is needed.\n";
    return 0;
  }

  const std::string iniPath = IniPathForProfile(ini);
  INISettings settings;
  INIDocument(SystemProfile(), iniPath).ReadINISettings(settings);
  const bool pairs = !settings.ServerPairs.empty() || !settings.PrinterPairs.empty() ||
                     !settings.MixedPairs.empty();
  if (!pairs && !settings.UseActiveDirectory)
    return Fail(ini + " names no pairs and no directory: nothing to install");
  const std::vector<std::string> named = NamedServers(settings);
  std::vector<Queue> queues;
  for (const std::string& s : servers)
    if (!Named(named, s))
      queues.push_back({s, "", "refused: " + s + " is not a server that the INI file names"});
  std::vector<std::string> usable;
  for (const std::string& s : servers)
    if (Named(named, s)) usable.push_back(s);
  if (pairs) {
    auto found = TargetQueues(settings, usable, named, backend->Lister);
    queues.insert(queues.end(), found.begin(), found.end());
  }
  if (settings.UseActiveDirectory) {
    auto listed = DirectoryQueues(iniPath);
    if (!listed) {
      queues.push_back({"", "", listed.error().Description});
    } else {
      queues.insert(queues.end(), listed->begin(), listed->end());
    }
  }

  std::vector<Line> lines;
  std::vector<PrinterDriver> seen;
  for (const Queue& q : queues) {
    const std::string path = q.Server.empty()  ? q.Share
                             : q.Share.empty() ? "\\\\" + q.Server
                                               : q.Path();
    if (!q.Unusable.empty()) {
      lines.push_back({Outcome::Failed, "", path, q.Unusable});
      continue;
    }
    auto driver = backend->Drivers->QueueDriver(path);
    if (!driver) {
      lines.push_back(
          {Outcome::Failed, "", path,
           "the server does not tell the queue's driver: " + driver.error().Description});
      continue;
    }
    if (!*driver) continue;  // the queue needs no driver
    // A driver that several queues use is installed once.
    if (std::find(seen.begin(), seen.end(), **driver) != seen.end()) continue;
    seen.push_back(**driver);
    Line line{Outcome::Failed, (*driver)->Name, path, {}};
    auto has = backend->Drivers->HasDriver(**driver);
    if (!has) {
      line.Cause = "cannot tell whether this computer has it: " + has.error().Description;
    } else if (*has) {
      line.Result = Outcome::Present;
    } else if (auto rules = backend->Drivers->Rules(q.Server);
               rules && rules->ProtectedPrint && (*driver)->Name != kIppClassDriver) {
      line.Cause = "protected print mode is on: only queues on " + std::string(kIppClassDriver) +
                   " can be added";
    } else if (dryRun) {
      line.Result = Outcome::WouldInstall;
    } else if (Status installed = backend->Drivers->InstallDriver(path, **driver); installed.ok()) {
      line.Result = Outcome::Installed;
    } else {
      line.Cause = installed.error().Description;
    }
    lines.push_back(std::move(line));
  }

  if (json)
    PrintJson(ini, dryRun, lines);
  else
    PrintText(lines);
  std::cout.flush();
  if (!std::cout) return 2;
  return std::any_of(lines.begin(), lines.end(),
                     [](const Line& l) { return l.Result == Outcome::Failed; })
             ? 1
             : 0;
}

}  // namespace velloran
