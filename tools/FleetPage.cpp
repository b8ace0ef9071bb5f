// The fleet report as one HTML page that opens from the share in any
// browser, offline: styles, the chart and the sorting script are all inside.
//
// Every text of the summary comes from files any client could write, so it
// is only ever placed in element text or in double-quoted attributes, always
// escaped; none of it reaches a script, a style or a URL. The page's policy
// lets no script run but the two below, by their hashes, so that even a
// mistake in escaping could not run what a crafted file holds.

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string_view>

#include "common/HtmlText.h"
#include "platform/Clock.h"
#include "tools/FleetDetail.h"
#include "tools/FleetReport.h"

namespace velloran::fleet {

namespace {

using detail::DriverLine;
using detail::SourceName;

// Records a script error in the page itself, where a person (and a test
// reading the DOM) can see it.
constexpr std::string_view kErrorScript =
    "window.addEventListener('error',function(e){document.documentElement.setAttribute("
    "'data-script-error',String(e.message));});";

// Sorts the computers by the column clicked (or named by #sort=COLUMN or
// #sort=COLUMN-desc in the address); without it the table stays sorted by name.
constexpr std::string_view kSortScript =
    "(function(){var t=document.getElementById('computers');if(!t){return;}"
    "var heads=t.tHead.rows[0].cells,body=t.tBodies[0];"
    "var cmp=new Intl.Collator(undefined,{numeric:true,sensitivity:'base'}).compare;"
    "function sort(col,asc){var th=heads[col];"
    "for(var i=0;i<heads.length;i++){heads[i].removeAttribute('aria-sort');}"
    "th.setAttribute('aria-sort',asc?'ascending':'descending');"
    "var rows=Array.prototype.map.call(body.rows,function(r){var c=r.cells[col];"
    "return [c.hasAttribute('data-key')?c.getAttribute('data-key'):c.textContent,r];});"
    "rows.sort(function(a,b){var d=cmp(a[0],b[0]);return asc?d:-d;});"
    "var f=document.createDocumentFragment();"
    "rows.forEach(function(p){f.appendChild(p[1]);});body.appendChild(f);}"
    "Array.prototype.forEach.call(heads,function(th,col){th.tabIndex=0;"
    "th.classList.add('sortable');"
    "var go=function(){sort(col,th.getAttribute('aria-sort')!=='ascending');};"
    "th.addEventListener('click',go);"
    "th.addEventListener('keydown',function(e){if(e.key==='Enter'||e.key===' '){"
    "e.preventDefault();go();}});});"
    "var m=/^#sort=([a-z]+)(-desc)?$/.exec(location.hash);"
    "if(m){for(var i=0;i<heads.length;i++){if(heads[i].getAttribute('data-column')===m[1]){"
    "sort(i,!m[2]);}}}"
    "document.documentElement.setAttribute('data-sortable','ready');})();";

// SHA-256 of the two scripts above, base64: the page's policy runs nothing
// else. Change a script and its hash with it (the browser test fails
// otherwise: the sorting script then never marks the page ready).
constexpr std::string_view kScriptHashes =
    "'sha256-C48XW3K5QeyljPUuLr1Pz+istzKzYJ1NuK6xlznLbtY=' "
    "'sha256-h3m+W93pEO+0FZSwn4cVtHhQeRKiTggJDG26+CAnPEs='";

constexpr std::string_view kStyle =
    "body{font:15px/1.45 system-ui,sans-serif;margin:0;color:#1d2430;background:#f4f6f9}"
    "main{max-width:1100px;margin:0 auto;padding:24px}"
    "h1{font-size:24px;margin:0 0 4px}h2{font-size:18px;margin:0 0 10px}"
    ".sub{color:#5a6473;margin:0}"
    "section{background:#fff;border:1px solid #dde2ea;border-radius:8px;padding:16px 20px;"
    "margin-top:18px}"
    ".counts{display:flex;flex-wrap:wrap;gap:12px;padding:0;background:none;border:0}"
    ".count{flex:1 1 100px;background:#fff;border:1px solid #dde2ea;border-radius:8px;"
    "padding:12px 16px;border-top:5px solid #8a94a6}"
    ".count .n{display:block;font-size:30px;font-weight:650}"
    ".count .l{color:#5a6473}"
    ".migrated{border-top-color:#2e8b57}.failed{border-top-color:#c0392b}"
    ".held{border-top-color:#d68910}.incomplete{border-top-color:#7d3c98}"
    ".unseen{border-top-color:#566573}"
    "svg{width:100%;height:auto;display:block}"
    ".bar{fill:#2e8b57}.total{fill:none;stroke:#1f5f8b;stroke-width:2}"
    ".axis{stroke:#9aa3b2;stroke-width:1}.grid{stroke:#e6e9ef;stroke-width:1}"
    "svg text{font-size:11px;fill:#5a6473}"
    "table{border-collapse:collapse;width:100%}"
    "th,td{text-align:left;padding:5px 8px;border-bottom:1px solid #e6e9ef;vertical-align:top}"
    "th{background:#eef1f5;position:sticky;top:0;white-space:nowrap}"
    "th.sortable{cursor:pointer}th.sortable:after{content:' \\2195';color:#9aa3b2}"
    "th[aria-sort=ascending]:after{content:' \\2191';color:#1d2430}"
    "th[aria-sort=descending]:after{content:' \\2193';color:#1d2430}"
    "td.num{text-align:right;white-space:nowrap}"
    ".st{white-space:nowrap;font-weight:600}"
    ".st-failed{color:#c0392b}.st-held{color:#b9770e}.st-migrated{color:#2e8b57}"
    ".st-incomplete{color:#7d3c98}.st-unknown{color:#5a6473}"
    "ol.causes{padding-left:22px}ol.causes li{margin-bottom:10px}"
    ".who{color:#5a6473;font-size:14px}"
    ".scroll{max-height:640px;overflow:auto}"
    "code{font-family:ui-monospace,monospace;font-size:14px}";

void Text(std::string& out, std::string_view text) {
  for (char c : text) {
    if (std::string_view entity = HtmlEntity(c); !entity.empty()) out += entity;
    // Control characters have no place in a page; a reader sees that
    // something was there.
    else if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') || c == 0x7F)
      out += "\xEF\xBF\xBD";
    else
      out += c;
  }
}

std::string Number(long long n) { return std::to_string(n); }

// Days since 1970-01-01 of a civil date, and back.
int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct Civil {
  int Year, Month, Day;
};
Civil CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

std::string DateText(int64_t day) {
  const Civil c = CivilFromDays(day);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.Year, c.Month, c.Day);
  return buf;
}

int64_t LocalDay(int64_t seconds) {
  const LocalTime t = LocalTimeOf(seconds);
  return DaysFromCivil(t.Year, t.Month, t.Day);
}

std::string When(int64_t seconds) {
  if (seconds <= 0) return "";
  const LocalTime t = LocalTimeOf(seconds);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", t.Year, t.Month, t.Day, t.Hour,
                t.Minute);
  return buf;
}

const char* StatusClass(Outcome o) {
  switch (o) {
    case Outcome::Succeeded:
    case Outcome::AlreadyMigrated:
      return "st-migrated";
    case Outcome::Failed:
      return "st-failed";
    case Outcome::HeldBack:
      return "st-held";
    case Outcome::Incomplete:
      return "st-incomplete";
    case Outcome::Unknown:
      break;
  }
  return "st-unknown";
}

// A few names of a set and how many more there are.
void Names(std::string& out, const std::set<std::string>& names, size_t limit) {
  size_t n = 0;
  for (const auto& name : names) {
    if (n == limit) {
      out += " and " + Number(static_cast<long long>(names.size() - limit)) + " more";
      break;
    }
    if (n++) out += ", ";
    Text(out, name);
  }
}

void Count(std::string& out, const char* id, const char* kind, long long n, const char* label) {
  out += "<div class=\"count ";
  out += kind;
  out += "\"><span class=\"n\" id=\"count-";
  out += id;
  out += "\">" + Number(n) + "</span><span class=\"l\">";
  out += label;
  out += "</span></div>";
}

// The longest stretch the chart draws: a year of days. A file with a time
// far in the past (a client with a wrong clock) would otherwise stretch it
// over decades.
constexpr int64_t kChartDays = 366;

void Chart(std::string& out, const FleetSummary& s) {
  std::map<int64_t, long long> perDay;
  for (const auto& [key, c] : s.Computers)
    if (c.MigratedAt > 0) ++perDay[LocalDay(c.MigratedAt)];
  out += "<section id=\"chart\"><h2>Computers migrated per day</h2>";
  if (perDay.empty()) {
    out += "<p>No computer has been migrated yet.</p></section>";
    return;
  }
  const int64_t last = perDay.rbegin()->first;
  int64_t first = perDay.begin()->first;
  long long earlier = 0;
  if (last - first >= kChartDays) {
    first = last - kChartDays + 1;
    for (auto it = perDay.begin(); it != perDay.end() && it->first < first;) {
      earlier += it->second;
      it = perDay.erase(it);
    }
  }
  // Whole weeks from a Monday (1970-01-01 was a Thursday).
  first -= ((first % 7) + 7 + 3) % 7;
  const int64_t days = std::max<int64_t>(last - first + 1, 7);
  long long peak = 0, total = earlier;
  for (const auto& [day, n] : perDay) peak = std::max(peak, n);
  long long migrated = earlier;
  for (const auto& [day, n] : perDay) migrated += n;

  constexpr int kWidth = 960, kHeight = 260, kLeft = 44, kRight = 52, kTop = 12, kBottom = 34;
  const double plotW = kWidth - kLeft - kRight, plotH = kHeight - kTop - kBottom;
  const double step = plotW / static_cast<double>(days);
  char buf[256];
  std::snprintf(buf, sizeof buf,
                "<svg viewBox=\"0 0 %d %d\" role=\"img\" aria-labelledby=\"chart-title\">"
                "<title id=\"chart-title\">Computers migrated per day, %s to %s</title>",
                kWidth, kHeight, DateText(first).c_str(), DateText(last).c_str());
  out += buf;
  // Grid and left axis: per day; right axis: migrated so far.
  for (int g = 0; g <= 4; ++g) {
    const double y = kTop + plotH - plotH * g / 4.0;
    std::snprintf(buf, sizeof buf,
                  "<line class=\"grid\" x1=\"%d\" y1=\"%.1f\" x2=\"%d\" y2=\"%.1f\"/>"
                  "<text x=\"%d\" y=\"%.1f\" text-anchor=\"end\">%lld</text>"
                  "<text x=\"%d\" y=\"%.1f\">%lld</text>",
                  kLeft, y, kWidth - kRight, y, kLeft - 6, y + 4, (peak * g + 2) / 4,
                  kWidth - kRight + 6, y + 4, (migrated * g + 2) / 4);
    out += buf;
  }
  for (int64_t d = first; d < first + days; d += 7) {
    const double x = kLeft + step * static_cast<double>(d - first);
    const Civil c = CivilFromDays(d);
    std::snprintf(buf, sizeof buf,
                  "<line class=\"axis\" x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\"/>"
                  "<text x=\"%.1f\" y=\"%d\">%02d-%02d</text>",
                  x, kTop + plotH, x, kTop + plotH + 5, x + 2, kHeight - kBottom + 20, c.Month,
                  c.Day);
    out += buf;
  }
  std::string line;
  for (const auto& [day, n] : perDay) {
    const double x = kLeft + step * static_cast<double>(day - first);
    const double h = peak ? plotH * static_cast<double>(n) / static_cast<double>(peak) : 0;
    std::snprintf(buf, sizeof buf,
                  "<rect class=\"bar\" x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\">"
                  "<title>%s: %lld</title></rect>",
                  x + step * 0.1, kTop + plotH - h, std::max(step * 0.8, 0.5), h,
                  DateText(day).c_str(), n);
    out += buf;
    total += n;
    std::snprintf(
        buf, sizeof buf, "%.2f,%.2f ", x + step / 2,
        kTop + plotH - plotH * static_cast<double>(total) / static_cast<double>(migrated));
    line += buf;
  }
  std::snprintf(buf, sizeof buf,
                "<line class=\"axis\" x1=\"%d\" y1=\"%.1f\" x2=\"%d\" y2=\"%.1f\"/>", kLeft,
                kTop + plotH, kWidth - kRight, kTop + plotH);
  out += buf;
  out += "<polyline class=\"total\" points=\"" + line + "\"/></svg>";
  out +=
      "<p class=\"sub\">Bars: computers migrated that day (left scale). Line: migrated so far "
      "(right scale).";
  if (earlier)
    out += " " + Number(earlier) + " computers migrated before " + DateText(first) +
           " are counted in the line only.";
  out += "</p></section>";
}

void Causes(std::string& out, const FleetSummary& s) {
  if (s.Causes.empty()) return;
  out += "<section id=\"causes\"><h2>Failures by cause</h2><ol class=\"causes\">";
  for (const auto& c : s.Causes) {
    std::set<std::string> all;
    for (const auto& [t, names] : c.Targets) all.insert(names.begin(), names.end());
    out += "<li><strong>" + Number(static_cast<long long>(all.size())) + " computer" +
           (all.size() == 1 ? "" : "s");
    if (c.AnonymousRuns) out += ", " + Number(c.AnonymousRuns) + " unnamed runs";
    out += "</strong>: <code>" + Number(c.Number) + "</code> ";
    Text(out, c.Description);
    out += " <span class=\"who\">(";
    Text(out, c.Step);
    out += ")</span><ul>";
    for (const auto& [target, names] : c.Targets) {
      if (target.empty() && names.empty()) continue;
      out += "<li><code>";
      Text(out, target.empty() ? std::string_view("-") : std::string_view(target));
      out += "</code> <span class=\"who\">" + Number(static_cast<long long>(names.size())) + ": ";
      Names(out, names, 5);
      out += "</span></li>";
    }
    out += "</ul></li>";
  }
  out += "</ol></section>";
}

void Drivers(std::string& out, const FleetSummary& s) {
  if (s.DriversToInstall.empty()) return;
  out += "<section id=\"drivers\"><h2>Drivers that hold computers back</h2><ul>";
  for (const auto& [driver, names] : s.DriversToInstall) {
    out += "<li><strong>";
    Text(out, DriverLine(driver, names.size()));
    out += "</strong><br><span class=\"who\">";
    Names(out, names, 8);
    out += "</span></li>";
  }
  out +=
      "</ul><p class=\"sub\">Install these drivers on the clients (or let them install "
      "them) and the next logon moves the printers.</p></section>";
}

void OldServers(std::string& out, const FleetSummary& s) {
  std::map<std::string, std::map<std::string, std::set<std::string>>> map;
  for (const auto& [key, c] : s.Computers)
    for (const auto& p : c.OnOldServers) map[p.Server][p.Printer].insert(c.Name);
  if (map.empty()) return;
  out += "<section id=\"old-servers\"><h2>Printers still on old servers</h2><ul>";
  for (const auto& [server, printers] : map) {
    out += "<li><code>\\\\";
    Text(out, server);
    out += "</code><ul>";
    for (const auto& [printer, names] : printers) {
      out += "<li>";
      Text(out, printer);
      out += " <span class=\"who\">" + Number(static_cast<long long>(names.size())) + ": ";
      Names(out, names, 5);
      out += "</span></li>";
    }
    out += "</ul></li>";
  }
  out += "</ul></section>";
}

void Details(std::string& out, const ComputerState& c) {
  bool any = false;
  auto sep = [&] {
    if (any) out += "<br>";
    any = true;
  };
  for (const auto& f : c.Failures) {
    sep();
    out += Number(f.Number) + " ";
    Text(out, f.Description);
    out += " (";
    Text(out, f.Step);
    if (!f.Target.empty()) {
      out += ": ";
      Text(out, f.Target);
    }
    out += ")";
  }
  for (const auto& h : c.Held) {
    sep();
    out += "held back: ";
    Text(out, h.Target);
    out += " needs ";
    Text(out, h.Driver);
    out += " (";
    Text(out, h.Cause);
    out += ")";
  }
  if (!c.OnOldServers.empty()) {
    sep();
    out += "on old servers: ";
    bool first = true;
    for (const auto& p : c.OnOldServers) {
      if (!first) out += ", ";
      first = false;
      out += "\\\\";
      Text(out, p.Server);
      out += "\\";
      Text(out, p.Printer);
    }
  }
  if (c.MailFailed) {
    sep();
    out += "e-mail report not delivered";
  }
}

void ComputerTable(std::string& out, const FleetSummary& s) {
  out += "<section id=\"all\"><h2>Every computer (" +
         Number(static_cast<long long>(s.Computers.size() + s.NotSeen.size())) +
         ")</h2><div class=\"scroll\"><table id=\"computers\"><thead><tr>"
         "<th data-column=\"computer\">Computer</th><th data-column=\"status\">Status</th>"
         "<th data-column=\"lastrun\">Last run</th><th data-column=\"migrated\">Migrated</th>"
         "<th data-column=\"source\">Told by</th><th data-column=\"details\">Details</th>"
         "</tr></thead><tbody>";
  for (const auto& [key, c] : s.Computers) {
    out += "<tr><td>";
    Text(out, c.Name);
    out += "</td><td class=\"st ";
    out += StatusClass(c.Result);
    out += "\">";
    out += OutcomeName(c.Result);
    out += "</td><td class=\"num\">" + When(c.LastRun) + "</td><td class=\"num\">" +
           When(c.MigratedAt) + "</td><td>";
    out += SourceName(c.From);
    out += "</td><td>";
    Details(out, c);
    out += "</td></tr>";
  }
  for (const auto& name : s.NotSeen) {
    out += "<tr><td>";
    Text(out, name);
    out +=
        "</td><td class=\"st st-unknown\">not yet seen</td><td></td><td></td><td></td><td>"
        "</td></tr>";
  }
  out += "</tbody></table></div></section>";
}

void Problems(std::string& out, const FleetSummary& s) {
  if (s.Problems.empty()) return;
  out += "<section id=\"skipped\"><h2>Skipped files (" +
         Number(static_cast<long long>(s.Problems.size())) + ")</h2><ul>";
  size_t n = 0;
  for (const auto& p : s.Problems) {
    if (n++ == 50) {
      out += "<li>" + Number(static_cast<long long>(s.Problems.size() - 50)) +
             " more (see --csv or --json)</li>";
      break;
    }
    out += "<li><code>";
    Text(out, p.Path);
    out += "</code>: ";
    Text(out, p.Reason);
    out += "</li>";
  }
  out += "</ul></section>";
}

}  // namespace

std::string RenderHtml(const FleetSummary& s) {
  std::string out;
  // About 200 bytes a computer; growing the string by doubling costs more.
  out.reserve(8192 + 220 * (s.Computers.size() + s.NotSeen.size()));
  out +=
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'; script-src ";
  out += kScriptHashes;
  out +=
      "\"><meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
      "<title>Fleet summary of ";
  Text(out, s.Share);
  out += "</title><script>";
  out += kErrorScript;
  out += "</script><style>";
  out += kStyle;
  out +=
      "</style></head><body><main><h1>Printer migration: fleet summary</h1>"
      "<p class=\"sub\">Share <code id=\"share\">";
  Text(out, s.Share);
  const LocalTime now = SystemClock().Now();
  char buf[160];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", now.Year, now.Month, now.Day, now.Hour,
                now.Minute);
  out += "</code>, read ";
  out += buf;
  std::snprintf(buf, sizeof buf,
                ": %d output, %d e-mail back-up and %d debug files; %zu damaged or unreadable.",
                s.OutputFiles, s.EmailBackups, s.DebugFiles, s.Problems.size());
  out += buf;
  out += "</p>";

  out += "<section class=\"counts\" id=\"counts\">";
  Count(out, "migrated", "migrated",
        s.Count(Outcome::Succeeded) + s.Count(Outcome::AlreadyMigrated), "migrated");
  Count(out, "failed", "failed", s.Count(Outcome::Failed), "failed");
  Count(out, "held-back", "held", s.Count(Outcome::HeldBack), "held back by a driver");
  Count(out, "incomplete", "incomplete", s.Count(Outcome::Incomplete), "incomplete");
  Count(out, "unknown", "", s.Count(Outcome::Unknown), "seen, outcome unknown");
  if (s.HaveComputerList) {
    std::snprintf(buf, sizeof buf, "never seen (of %d listed)", s.ListedComputers);
    Count(out, "not-seen", "unseen", static_cast<long long>(s.NotSeen.size()), buf);
  }
  Count(out, "seen", "", static_cast<long long>(s.Computers.size()), "computers seen");
  out += "</section>";
  if (s.AnonymousRuns) {
    std::snprintf(buf, sizeof buf,
                  "<p class=\"sub\">Runs in shared output files without computer names: %d (%d "
                  "failed).</p>",
                  s.AnonymousRuns, s.AnonymousFailedRuns);
    out += buf;
  }

  Chart(out, s);
  Causes(out, s);
  Drivers(out, s);
  OldServers(out, s);
  ComputerTable(out, s);
  Problems(out, s);
  out += "</main><script>";
  out += kSortScript;
  out += "</script></body></html>\n";
  return out;
}

}  // namespace velloran::fleet
