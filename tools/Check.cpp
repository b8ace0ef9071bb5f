#include "tools/Check.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>

#include "check/CheckRun.h"
#include "check/Report.h"
#include "common/modINIDocument.h"
#include "platform/Console.h"
#include "platform/FolderTree.h"
#include "platform/RegularFile.h"
#include "platform/profile/Profile.h"
#include "tools/CheckLister.h"
#include "tools/IniPath.h"
#include "tools/OutputText.h"

namespace velloran {

const char* const kCheckUsage =
    "Usage: velloran check INI [--server NAME]... [--protocol smb|ipp|ipps]\n"
    "                      [--timeout SECONDS] [--json] [--no-progress]\n"
    "\n"
    "Asks the new print servers that the pairs of INI name whether the queues\n"
    "the clients will connect to exist, before any client runs the engine, and\n"
    "prints one line per target: found, missing, not a printer (a disk share by\n"
    "that name), server unreachable, access denied or not checkable. Every server\n"
    "is asked once, all at the same time, each for at most the time-out.\n"
    "\n"
    "  servers pairs   every printer share of the old server (when it answers)\n"
    "                  must exist on the new one by the same name\n"
    "  printers pairs  keep each client's server: checked on the servers given\n"
    "                  with --server, else not checkable\n"
    "  mixed pairs     \\\\TOSERVER\\TOPRINTER must be a printer share\n"
    "\n"
    "Options:\n"
    "  --server NAME        a server to check the printers pairs on (repeatable)\n"
    "  --protocol smb       ask Windows and Samba print servers for their shares\n"
#ifdef _WIN32
    "                       (default; as the user logged on to this computer)\n"
#else
    "                       (default; Kerberos ticket, else VELLORAN_LDAP_USER and\n"
    "                       VELLORAN_LDAP_PASSWORD_FILE, else guest)\n"
#endif
    "  --protocol ipp|ipps  ask CUPS print servers over IPP, on port 631 or IPP_PORT,\n"
    "                       as the engine's CUPS backend does\n"
    "  --timeout SECONDS    how long one server may take, 1 to 600 (default 3)\n"
    "  --json               one entry per target, for scripts\n"
    "  --no-progress        no progress bar, even on a terminal\n"
    "\n"
    "Exit status: 0 every target was found; 1 one was not; 2 bad arguments, or\n"
    "INI cannot be read or names no pairs.\n";

namespace {

using check::Target;
using check::TargetStatus;

int Usage(const std::string& message) {
  std::cerr << "velloran check: " << message << "\n\n" << kCheckUsage;
  return 2;
}

std::optional<int> Number(const std::string& text, int low, int high) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

size_t Columns(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
  return n;
}

std::string Padded(const std::string& text, size_t width) {
  return text + std::string(width > Columns(text) ? width - Columns(text) : 0, ' ');
}

// Share names, status messages and driver names are what a server chose to
// answer: each cell is escaped as the summary's are.
std::string JsonText(const std::string& utf8) { return output::JsonString(utf8); }

void PrintTable(const check::CheckResult& result) {
  const std::string pairHead = "PAIR", targetHead = "TARGET";
  size_t pairWidth = pairHead.size(), targetWidth = targetHead.size();
  struct Row {
    std::string Pair, Target, Status;
  };
  std::vector<Row> rows;
  for (const Target& t : result.Targets) {
    rows.push_back({output::TerminalLine(check::PairLabel(t)), output::TerminalLine(t.Path()),
                    output::TerminalLine(check::StatusText(t))});
    pairWidth = std::max(pairWidth, Columns(rows.back().Pair));
    targetWidth = std::max(targetWidth, Columns(rows.back().Target));
  }
  std::string out =
      Padded(pairHead, pairWidth) + "  " + Padded(targetHead, targetWidth) + "  STATUS\n";
  for (const Row& r : rows)
    out +=
        Padded(r.Pair, pairWidth) + "  " + Padded(r.Target, targetWidth) + "  " + r.Status + "\n";
  out += "\n" + output::TerminalLine(check::SummaryLine(result.Targets)) + "\n";
  std::cout << out;
}

void PrintJson(const std::string& ini, const check::CheckResult& result) {
  size_t found = 0;
  std::string out = "{\n  \"ini\": " + JsonText(ini) + ",\n  \"targets\": [";
  for (size_t i = 0; i < result.Targets.size(); ++i) {
    const Target& t = result.Targets[i];
    found += t.Status == TargetStatus::Found;
    out += std::string(i ? "," : "") + "\n    {\"pair\": " +
           JsonText(std::string(check::KindName(t.Kind)) + " " + std::to_string(t.Pair)) +
           ", \"kind\": " + JsonText(std::string(check::KindName(t.Kind))) +
           ", \"index\": " + std::to_string(t.Pair) + ", \"from\": " + JsonText(t.From) +
           ", \"to\": " + JsonText(t.To) + ", \"target\": " + JsonText(t.Path()) +
           ", \"server\": " + JsonText(t.Server) + ", \"share\": " + JsonText(t.Share) +
           ", \"status\": " + JsonText(std::string(check::StatusName(t.Status))) +
           ", \"detail\": " + JsonText(t.Detail) + ", \"driver\": " + JsonText(t.Driver) +
           ", \"driverMissing\": " + (t.DriverMissing ? "true" : "false") + "}";
  }
  out += std::string(result.Targets.empty() ? "" : "\n  ") +
         "],\n  \"found\": " + std::to_string(found) +
         ",\n  \"total\": " + std::to_string(result.Targets.size()) + "\n}\n";
  std::cout << out;
}

// Servers are asked in parallel; the bar counts answers.
void DrawProgress(size_t done, size_t total) {
  constexpr int kWidth = 40;
  const int filled = total ? static_cast<int>(done * kWidth / total) : kWidth;
  std::fprintf(stderr, "\rAsking servers %zu/%zu [%.*s%*s]", done, total, filled,
               "########################################", kWidth - filled, "");
  if (done == total) std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
}

// The bar is worth its flicker only when there is a wait to watch.
constexpr size_t kProgressFromServers = 4;

}  // namespace

int Check(const std::vector<std::string>& args) {
  // Not for users: the lister's child processes run this.
  if (const int helper = RunCheckListerHelper(args); helper >= 0) return helper;
  std::string ini, protocol = "smb";
  bool json = false, progress = true;
  check::CheckOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::cout << kCheckUsage;
      return 0;
    } else if (a == "--server" || a == "--protocol" || a == "--timeout") {
      if (i + 1 >= args.size()) return Usage(a + " expects a value");
      const std::string& value = args[++i];
      if (a == "--server") {
        options.PrinterServers.push_back(value);
      } else if (a == "--protocol") {
        if (value != "smb" && value != "ipp" && value != "ipps")
          return Usage("--protocol takes smb, ipp or ipps, not \"" + value + "\"");
        protocol = value;
      } else {
        auto seconds = Number(value, 1, 600);
        if (!seconds) return Usage("--timeout takes 1 to 600 seconds, not \"" + value + "\"");
        options.Timeout = std::chrono::seconds(*seconds);
      }
    } else if (a == "--json") {
      json = true;
    } else if (a == "--no-progress") {
      progress = false;
    } else if (ini.empty() && !a.starts_with("--")) {
      ini = a;
    } else {
      return Usage("unexpected argument \"" + a + "\"");
    }
  }
  if (ini.empty()) return Usage("expects an INI file");
  if (Status readable = CheckReadableRegularFile(ini); !readable.ok()) {
    std::cerr << "velloran check: cannot read " << ini << ": " << readable.error().Description
              << "\n";
    return 2;
  }
  const std::string iniPath = IniPathForProfile(ini);
  INISettings settings;
  INIDocument(SystemProfile(), iniPath).ReadINISettings(settings);
  if (settings.ServerPairs.empty() && settings.PrinterPairs.empty() &&
      settings.MixedPairs.empty()) {
    std::cerr << "velloran check: " << ini
              << " names no pairs in its manual sections: nothing to check\n";
    return 2;
  }
  if (!settings.UseManualDefinitions)
    std::cerr << "velloran check: note: UseManualDefinitions is False in " << ini
              << ": the engine does not use these pairs\n";

  auto lister = MakeCheckLister(protocol);
  if (!lister) {
    std::cerr << "velloran check: " << lister.error().Description << "\n";
    return 2;
  }
  const size_t servers = check::PlanQuestions(settings, options.PrinterServers).size();
  if (progress && IsTerminal(StandardStream::Error) && servers >= kProgressFromServers)
    options.Progress = DrawProgress;
  check::CheckResult result = check::RunCheck(settings, *lister, options);
  if (json)
    PrintJson(ini, result);
  else
    PrintTable(result);
  std::cout.flush();
  const int code = !std::cout ? 2 : result.AllFound() ? 0 : 1;
  // A server given up on may still hold a thread inside its protocol
  // library; ending the process without running the libraries' exit
  // handlers keeps those threads from running into torn-down state.
  if (result.Abandoned > 0) {
    std::fflush(stderr);
    std::_Exit(code);
  }
  return code;
}

}  // namespace velloran
