// The fleet report as a table for a person, CSV and JSON for tools. Every
// text in the summary is UTF-8 already (ReadShare converts at the file).

#include <algorithm>
#include <cstdio>
#include <set>
#include <string_view>

#include "platform/Clock.h"
#include "tools/FleetDetail.h"
#include "tools/FleetReport.h"
#include "tools/OutputText.h"

namespace velloran::fleet {

namespace {

using detail::DriverLine;
using detail::SourceName;

std::string When(int64_t seconds) {
  if (seconds <= 0) return "";
  const LocalTime local = LocalTimeOf(seconds);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", local.Year, local.Month, local.Day,
                local.Hour, local.Minute);
  return buf;
}

std::string FailureText(const Failure& f) {
  std::string out = std::to_string(f.Number) + " " + std::string(f.Description) + " (" + f.Step;
  if (!f.Target.empty()) out += ": " + std::string(f.Target);
  return out + ")";
}

std::set<std::string> ComputersOf(const Cause& c) {
  std::set<std::string> all;
  for (const auto& [t, names] : c.Targets) all.insert(names.begin(), names.end());
  return all;
}

// server -> printer -> computers, names as the inventory wrote them.
using OldMap = std::map<std::string, std::map<std::string, std::set<std::string>>>;
OldMap OldPrinters(const FleetSummary& s) {
  OldMap map;
  for (const auto& [key, c] : s.Computers)
    for (const auto& p : c.OnOldServers)
      map[std::string(p.Server)][std::string(p.Printer)].insert(c.Name);
  return map;
}

std::string Joined(const std::set<std::string>& names, size_t limit) {
  std::string out;
  size_t n = 0;
  for (const auto& name : names) {
    if (n == limit) {
      out += ", ... " + std::to_string(names.size() - limit) + " more";
      break;
    }
    if (n++) out += ", ";
    out += std::string(name);
  }
  return out;
}

// Every text below comes from files that any client could write: each
// output form escapes it in the one way every command of velloran shares.
std::string Csv(const std::string& text) { return output::CsvField(text); }
std::string Json(const std::string& utf8) { return output::JsonString(utf8); }
std::string Terminal(std::string_view utf8) { return output::TerminalLine(utf8); }

std::string JsonNames(const std::set<std::string>& names) {
  std::string out = "[";
  for (const auto& n : names) out += (out.size() > 1 ? ", " : "") + Json(std::string(n));
  return out + "]";
}

constexpr size_t kListLimit = 20;

std::string HeldText(const HeldBack& h) {
  return h.Target + " = " + h.Driver + " (" + h.Cause + ")";
}

}  // namespace

std::string RenderTable(const FleetSummary& s) {
  std::string out;
  auto line = [&](const std::string& l) { out += Terminal(l) + "\n"; };
  char buf[256];

  line("Fleet summary of " + s.Share);
  std::snprintf(
      buf, sizeof buf,
      "Files read: %d output, %d e-mail back-up, %d debug; %d other files; %zu damaged or "
      "unreadable",
      s.OutputFiles, s.EmailBackups, s.DebugFiles, s.OtherFiles, s.Problems.size());
  line(buf);
  if (s.NotRegularFiles || s.LinksLeavingShare) {
    std::string skipped = "Files skipped: ";
    if (s.NotRegularFiles) skipped += std::to_string(s.NotRegularFiles) + " (not regular files)";
    if (s.NotRegularFiles && s.LinksLeavingShare) skipped += ", ";
    if (s.LinksLeavingShare)
      skipped += std::to_string(s.LinksLeavingShare) + " (links leaving the share)";
    line(skipped);
  }
  line("");

  const int migrated = s.Count(Outcome::Succeeded) + s.Count(Outcome::AlreadyMigrated);
  auto row = [&](const char* label, long n) {
    std::snprintf(buf, sizeof buf, "  %-28s %6ld", label, n);
    line(buf);
  };
  line("Computers");
  row("seen", static_cast<long>(s.Computers.size()));
  row("migrated", migrated);
  row("failed", s.Count(Outcome::Failed));
  row("seen, outcome unknown", s.Count(Outcome::Unknown));
  if (s.Count(Outcome::HeldBack)) row("held back by a driver", s.Count(Outcome::HeldBack));
  if (s.Count(Outcome::Incomplete))
    row("incomplete (debug file cut)", s.Count(Outcome::Incomplete));
  if (s.HaveComputerList) {
    std::snprintf(buf, sizeof buf, "  %-28s %6zu  (of %d listed)", "not yet seen", s.NotSeen.size(),
                  s.ListedComputers);
    line(buf);
  }
  int mail = static_cast<int>(std::count_if(s.Computers.begin(), s.Computers.end(),
                                            [](const auto& c) { return c.second.MailFailed; }));
  if (mail) row("e-mail report not delivered", mail);
  if (s.AnonymousRuns) {
    std::snprintf(buf, sizeof buf,
                  "  Runs in shared output files without computer names: %d (%d failed)",
                  s.AnonymousRuns, s.AnonymousFailedRuns);
    line(buf);
  }

  if (!s.Causes.empty()) {
    line("");
    line("Failures by cause (latest run of each computer)");
    for (const auto& c : s.Causes) {
      const auto computers = ComputersOf(c);
      std::string count =
          std::to_string(computers.size()) + " computer" + (computers.size() == 1 ? "" : "s");
      if (c.AnonymousRuns)
        count += ", " + std::to_string(c.AnonymousRuns) + " unnamed run" +
                 (c.AnonymousRuns == 1 ? "" : "s");
      line("  " + std::to_string(c.Number) + " " + std::string(c.Description) + "  [" + c.Step +
           "]  " + count);
      for (const auto& [target, names] : c.Targets) {
        if (target.empty() && names.empty()) continue;
        std::string where = target.empty() ? std::string("-") : std::string(target);
        line("      " + where + "  " + std::to_string(names.size()) + ": " + Joined(names, 5));
      }
    }
  }

  if (!s.DriversToInstall.empty()) {
    line("");
    for (const auto& [driver, names] : s.DriversToInstall) {
      line(DriverLine(driver, names.size()));
      line("      " + Joined(names, 5));
    }
  }

  const OldMap old = OldPrinters(s);
  if (!old.empty()) {
    line("");
    line("Printers still on old servers");
    for (const auto& [server, printers] : old) {
      line("  \\\\" + server);
      for (const auto& [printer, names] : printers) {
        line("      " + printer + "  " + std::to_string(names.size()) + ": " + Joined(names, 5));
      }
    }
  }

  std::set<std::string> failed;
  for (const auto& [k, c] : s.Computers)
    if (c.Result == Outcome::Failed) failed.insert(c.Name);
  if (!failed.empty()) {
    line("");
    line("Failed computers: " + Joined(failed, kListLimit));
  }
  if (!s.NotSeen.empty()) {
    line("");
    line("Not yet seen: " +
         Joined(std::set<std::string>(s.NotSeen.begin(), s.NotSeen.end()), kListLimit));
  }
  if (!s.Problems.empty()) {
    line("");
    line("Skipped files");
    size_t n = 0;
    for (const auto& p : s.Problems) {
      if (n++ == kListLimit) {
        line("  ... " + std::to_string(s.Problems.size() - kListLimit) +
             " more (see --csv or --json)");
        break;
      }
      line("  " + p.Path + ": " + p.Reason);
    }
  }
  return out;
}

std::string RenderCsv(const FleetSummary& s) {
  // One row per computer; failures and printers on old servers joined with
  // " | " so that a spreadsheet keeps one line per computer. Listed computers
  // never seen and skipped files follow as rows of their own status.
  std::string out =
      "computer,status,last_run,source,failures,printers_on_old_servers,email_failed,"
      "held_back_by_drivers\n";
  for (const auto& [key, c] : s.Computers) {
    std::string failures, printers, held;
    for (const auto& f : c.Failures) failures += (failures.empty() ? "" : " | ") + FailureText(f);
    for (const auto& h : c.Held) held += (held.empty() ? "" : " | ") + HeldText(h);
    for (const auto& p : c.OnOldServers)
      printers +=
          (printers.empty() ? "" : " | ") + std::string("\\\\" + p.Server + "\\" + p.Printer);
    out += Csv(std::string(c.Name)) + "," + Csv(OutcomeName(c.Result)) + "," + When(c.LastRun) +
           "," + Csv(SourceName(c.From)) + "," + Csv(failures) + "," + Csv(printers) + "," +
           (c.MailFailed ? "yes" : "no") + "," + Csv(held) + "\n";
  }
  for (const auto& name : s.NotSeen) out += Csv(std::string(name)) + ",not yet seen,,,,,,\n";
  for (const auto& p : s.Problems)
    out += ",skipped file,," + Csv(p.Path) + "," + Csv(p.Reason) + ",,,\n";
  // The drivers to put on the clients, as rows of their own like skipped
  // files: the driver where a file's path goes, the line a person reads
  // where its reason goes.
  for (const auto& [driver, names] : s.DriversToInstall)
    out += ",driver to install,," + Csv(driver) + "," + Csv(DriverLine(driver, names.size())) +
           ",,," + Csv(Joined(names, names.size())) + "\n";
  return out;
}

std::string RenderJson(const FleetSummary& s) {
  std::string out = "{\n";
  auto field = [&](const std::string& name, const std::string& value, bool last = false) {
    out += "  " + Json(name) + ": " + value + (last ? "\n" : ",\n");
  };
  field("share", Json(s.Share));
  field("files", "{\"output\": " + std::to_string(s.OutputFiles) +
                     ", \"email_backup\": " + std::to_string(s.EmailBackups) + ", \"debug\": " +
                     std::to_string(s.DebugFiles) + ", \"other\": " + std::to_string(s.OtherFiles) +
                     ", \"skipped\": " + std::to_string(s.Problems.size()) +
                     ", \"not_regular\": " + std::to_string(s.NotRegularFiles) +
                     ", \"links_leaving_share\": " + std::to_string(s.LinksLeavingShare) + "}");
  field("totals",
        "{\"seen\": " + std::to_string(s.Computers.size()) + ", \"migrated\": " +
            std::to_string(s.Count(Outcome::Succeeded) + s.Count(Outcome::AlreadyMigrated)) +
            ", \"failed\": " + std::to_string(s.Count(Outcome::Failed)) +
            ", \"unknown\": " + std::to_string(s.Count(Outcome::Unknown)) +
            (s.HaveComputerList ? ", \"listed\": " + std::to_string(s.ListedComputers) +
                                      ", \"not_seen\": " + std::to_string(s.NotSeen.size())
                                : std::string()) +
            ", \"unnamed_runs\": " + std::to_string(s.AnonymousRuns) +
            ", \"unnamed_failed_runs\": " + std::to_string(s.AnonymousFailedRuns) +
            ", \"incomplete\": " + std::to_string(s.Count(Outcome::Incomplete)) +
            ", \"held_back\": " + std::to_string(s.Count(Outcome::HeldBack)) + "}");

  std::string computers = "[";
  for (const auto& [key, c] : s.Computers) {
    std::string failures = "[";
    for (const auto& f : c.Failures) {
      failures += std::string(failures.size() > 1 ? ", " : "") + "{\"step\": " + Json(f.Step) +
                  ", \"target\": " + Json(std::string(f.Target)) +
                  ", \"number\": " + std::to_string(f.Number) +
                  ", \"description\": " + Json(std::string(f.Description)) + "}";
    }
    failures += "]";
    std::string printers = "[";
    for (const auto& p : c.OnOldServers)
      printers += std::string(printers.size() > 1 ? ", " : "") +
                  "{\"server\": " + Json(std::string(p.Server)) +
                  ", \"printer\": " + Json(std::string(p.Printer)) + "}";
    printers += "]";
    std::string held = "[";
    for (const auto& h : c.Held)
      held += std::string(held.size() > 1 ? ", " : "") + "{\"target\": " + Json(h.Target) +
              ", \"driver\": " + Json(h.Driver) + ", \"cause\": " + Json(h.Cause) + "}";
    held += "]";
    computers +=
        std::string(computers.size() > 1 ? "," : "") +
        "\n    {\"name\": " + Json(std::string(c.Name)) +
        ", \"status\": " + Json(OutcomeName(c.Result)) +
        ", \"last_run\": " + Json(When(c.LastRun)) + ", \"source\": " + Json(SourceName(c.From)) +
        ", \"email_failed\": " + (c.MailFailed ? "true" : "false") + ", \"failures\": " + failures +
        ", \"held_back\": " + held + ", \"printers_on_old_servers\": " + printers + "}";
  }
  field("computers", computers + (computers.size() > 1 ? "\n  ]" : "]"));

  std::string causes = "[";
  for (const auto& c : s.Causes) {
    std::string targets = "[";
    for (const auto& [target, names] : c.Targets)
      targets += std::string(targets.size() > 1 ? ", " : "") +
                 "{\"target\": " + Json(std::string(target)) +
                 ", \"computers\": " + JsonNames(names) + "}";
    targets += "]";
    causes += std::string(causes.size() > 1 ? "," : "") + "\n    {\"step\": " + Json(c.Step) +
              ", \"number\": " + std::to_string(c.Number) +
              ", \"description\": " + Json(std::string(c.Description)) +
              ", \"computers\": " + std::to_string(ComputersOf(c).size()) +
              ", \"unnamed_runs\": " + std::to_string(c.AnonymousRuns) +
              ", \"targets\": " + targets + "}";
  }
  field("causes", causes + (causes.size() > 1 ? "\n  ]" : "]"));

  std::string old = "[";
  for (const auto& [server, printers] : OldPrinters(s)) {
    std::string list = "[";
    for (const auto& [printer, names] : printers)
      list += std::string(list.size() > 1 ? ", " : "") + "{\"printer\": " + Json(printer) +
              ", \"computers\": " + JsonNames(names) + "}";
    old += std::string(old.size() > 1 ? ", " : "") + "{\"server\": " + Json(server) +
           ", \"printers\": " + list + "]}";
  }
  field("printers_on_old_servers", old + "]");

  std::string drivers = "[";
  for (const auto& [driver, names] : s.DriversToInstall)
    drivers += std::string(drivers.size() > 1 ? ", " : "") + "{\"driver\": " + Json(driver) +
               ", \"computers\": " + std::to_string(names.size()) +
               ", \"names\": " + JsonNames(names) + "}";
  field("drivers_to_install", drivers + "]");

  std::set<std::string> notSeen(s.NotSeen.begin(), s.NotSeen.end());
  field("not_seen", JsonNames(notSeen));
  std::string problems = "[";
  for (const auto& p : s.Problems)
    problems += std::string(problems.size() > 1 ? ", " : "") + "{\"file\": " + Json(p.Path) +
                ", \"reason\": " + Json(p.Reason) + "}";
  field("skipped_files", problems + "]", true);
  return out + "}\n";
}

}  // namespace velloran::fleet
