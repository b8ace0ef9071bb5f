// Reading what one file of a share says: the runs of an outcome text, the
// run of a debug text, and what a file name tells about its file.

#include <cctype>
#include <optional>
#include <string>

#include "platform/CodePage.h"
#include "tools/FleetDetail.h"
#include "tools/FleetReport.h"

namespace velloran::fleet {

namespace {

using detail::EndsWithNoCase;

// Lines of a text written with CR LF; a bare LF (a file copied through a
// Unix tool) ends a line as well.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.push_back(text.substr(start, stop - start));
    start = end + 1;
  }
  return lines;
}

// "Printer (Server)": the server holds no parenthesis, the printer may.
// A line whose last parenthesis holds no such server name is no connection.
std::optional<Connection> ParseConnection(std::string_view text) {
  size_t open = text.rfind(" (");
  if (open == std::string_view::npos || open == 0 || text.back() != ')') return std::nullopt;
  std::string_view server = text.substr(open + 2, text.size() - open - 3);
  if (server.empty() || server.find_first_of("()") != std::string_view::npos) return std::nullopt;
  return Connection{std::string(text.substr(0, open)), std::string(server)};
}

// "\\server\share" -> "server".

struct Heading {
  const char* Text;
  bool HasTarget;  // the heading ends in a connection path
  const char* Step;
};

// The headings that make a run fail, as the outcome text and the debug log
// word them.
constexpr Heading kOutcomeHeadings[] = {
    {"Error in deleting network printer: ", true, "removing the old connection"},
    {"Error in adding/migrating network printer: ", true, "adding the new connection"},
    {"Error gathering my networked printers.", false, "reading the user's printer connections"},
    {"Error accessing Active Directory. Try installing an MDAC update.", false,
     "connecting to the directory"},
    {"Error quering Active Directory printers.", false, "querying the directory"},
    {"Error in network object for migrating printers.", false, "creating the network object"},
};
constexpr Heading kDebugHeadings[] = {
    {"ERROR: Removing client networked printer: ", true, "removing the old connection"},
    {"ERROR: Adding printer: ", true, "adding the new connection"},
    {"ERROR: Getting client's list of printers <<", false,
     "reading the user's printer connections"},
    {"ERROR: Accessing Active Directory. <<", false, "connecting to the directory"},
    {"ERROR: Quering Active Directory printers. <<", false, "querying the directory"},
    {"ERROR: Getting reference to netowrk object: ", false, "creating the network object"},
};

template <size_t N>
Failure FailureFor(const Heading (&headings)[N], std::string_view line) {
  for (const Heading& h : headings) {
    std::string_view text(h.Text);
    if (h.HasTarget ? line.starts_with(text) : line == text) {
      return Failure{
          h.Step, h.HasTarget ? std::string(line.substr(text.size())) : std::string(), 0, {}};
    }
  }
  return Failure{std::string(line), {}, 0, {}};
}

std::optional<int32_t> ParseNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  try {
    size_t used = 0;
    long long v = std::stoll(std::string(text), &used, 10);
    if (used != text.size() || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(v);
  } catch (...) {
    return std::nullopt;
  }
}

constexpr std::string_view kInventoryHeader = "* ----- My Networked Printers ----- *";
constexpr std::string_view kInventoryFailure = "Error gathering my networked printers.";
constexpr std::string_view kNumber = "> Error Number: ";
constexpr std::string_view kDescription = "> Error Description: ";
constexpr std::string_view kHeldBack = "Printer held back by its driver: ";
constexpr std::string_view kHeldDriver = "> Driver: ";
constexpr std::string_view kHeldCause = "> Cause: ";
constexpr std::string_view kDebugHeldBack = ">> Held back by its driver: ";
constexpr std::string_view kDebugHeldDriver = ">> Driver: ";
constexpr std::string_view kDebugHeldCause = ">> Cause: ";

// The three lines of a move a driver held back, from `lines[i]` on.
std::optional<HeldBack> HeldBackAt(const std::vector<std::string_view>& lines, size_t i,
                                   std::string_view heading, std::string_view driver,
                                   std::string_view cause) {
  if (i + 2 >= lines.size() || !lines[i].starts_with(heading) ||
      !lines[i + 1].starts_with(driver) || !lines[i + 2].starts_with(cause))
    return std::nullopt;
  return HeldBack{std::string(lines[i].substr(heading.size())),
                  std::string(lines[i + 1].substr(driver.size())),
                  std::string(lines[i + 2].substr(cause.size()))};
}

bool StartsRun(std::string_view line) {
  return line == kInventoryHeader || line == kInventoryFailure;
}

}  // namespace

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::Succeeded:
      return "migrated";
    case Outcome::AlreadyMigrated:
      return "migrated earlier";
    case Outcome::Failed:
      return "failed";
    case Outcome::Incomplete:
      return "incomplete";
    case Outcome::HeldBack:
      return "held back by a driver";
    case Outcome::Unknown:
      break;
  }
  return "outcome unknown";
}

ParsedOutcomeFile ParseOutcomeText(std::string_view bytes) {
  ParsedOutcomeFile file;
  auto lines = Lines(bytes);
  size_t i = 0;
  while (i < lines.size() && lines[i].empty()) ++i;
  if (i == lines.size() || !StartsRun(lines[i])) {
    file.Problem = "does not begin as an engine report does";
    return file;
  }
  file.LooksLikeOutcome = true;
  if (bytes.find('\0') != std::string_view::npos) {
    file.Problem = "holds NUL bytes: damaged or half-written";
    return file;
  }
  if (bytes.back() != '\n') {
    file.Problem = "ends in the middle of a line: half-written";
    return file;
  }

  enum { None, Inventory, DirectoryList, Migrating } section = None;
  for (; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (line.empty()) continue;
    if (StartsRun(line)) {
      file.Runs.emplace_back();
      file.Runs.back().Result = Outcome::Succeeded;
      section = None;
    }
    RunReport& run = file.Runs.back();
    if (i + 1 < lines.size() && lines[i + 1].starts_with(kNumber)) {
      Failure f = FailureFor(kOutcomeHeadings, line);
      auto number = ParseNumber(lines[i + 1].substr(kNumber.size()));
      if (!number || i + 2 >= lines.size() || !lines[i + 2].starts_with(kDescription)) {
        file.Problem = "a recorded error is cut short: damaged or half-written";
        return file;
      }
      f.Number = *number;
      f.Description = std::string(lines[i + 2].substr(kDescription.size()));
      run.Failures.push_back(std::move(f));
      run.Result = Outcome::Failed;
      i += 2;
      continue;
    }
    if (line.starts_with(kHeldBack)) {
      auto held = HeldBackAt(lines, i, kHeldBack, kHeldDriver, kHeldCause);
      if (!held) {
        file.Problem = "a move held back by its driver is cut short: damaged or half-written";
        return file;
      }
      run.Held.push_back(std::move(*held));
      i += 2;
      continue;
    }
    if (line.starts_with("* -----")) {
      if (line == kInventoryHeader) {
        section = Inventory;
        run.HasInventory = true;
      } else {
        section = line == "* ----- AD Printers ----- *" ? DirectoryList : Migrating;
      }
      continue;
    }
    auto after = [&](std::string_view prefix) -> std::optional<Connection> {
      if (!line.starts_with(prefix)) return std::nullopt;
      return ParseConnection(line.substr(prefix.size()));
    };
    if (auto c = after("Printer migrated: ")) {
      run.Migrated.push_back(*c);
    } else if (auto c2 = after("Printer already migrated: ")) {
      run.Left.push_back(*c2);
    } else if (auto c3 = after("ERROR Printer NOT FOUND IN AD: ")) {
      run.Left.push_back(*c3);
    } else if (section == Inventory && !line.starts_with("Non-Networked Printer: ")) {
      if (auto c4 = ParseConnection(line)) run.Inventory.push_back(*c4);
    }
  }
  // A run that only a driver kept from finishing failed at nothing: it waits
  // for the driver, and says so apart from the failures.
  for (auto& run : file.Runs)
    if (run.Result == Outcome::Succeeded && !run.Held.empty()) run.Result = Outcome::HeldBack;
  return file;
}

RunReport ParseDebugText(std::string_view text) {
  RunReport run;
  auto lines = Lines(text);
  bool running = false, markerTrue = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (line.starts_with(">> Running Velloran")) running = true;
    if (line == ">> Registry Key Value: True") markerTrue = true;
    if (line == ">> Finished notification, abort status: True") run.Result = Outcome::Failed;
    if (line == ">> Finished notification, abort status: False") run.Result = Outcome::Succeeded;
    if (line.starts_with("ERROR: ") && i + 2 < lines.size() &&
        lines[i + 1].starts_with("ERROR: ") && lines[i + 2].starts_with("ERROR DESCRIPTION: ")) {
      Failure f = FailureFor(kDebugHeadings, line);
      auto number = ParseNumber(lines[i + 1].substr(7));
      // Only the headings that make a run fail; roll-back, mail and file
      // channel errors are logged but do not count.
      if (number && f.Step != line) {
        f.Number = *number;
        f.Description = std::string(lines[i + 2].substr(19));
        run.Failures.push_back(std::move(f));
      }
      i += 2;
    } else if (auto held =
                   HeldBackAt(lines, i, kDebugHeldBack, kDebugHeldDriver, kDebugHeldCause)) {
      run.Held.push_back(std::move(*held));
      i += 2;
    }
  }
  if (!running && markerTrue) run.Result = Outcome::AlreadyMigrated;
  if (run.Result != Outcome::Failed) {
    run.Failures.clear();
    run.Held.clear();
  } else if (run.Failures.empty() && !run.Held.empty()) {
    run.Result = Outcome::HeldBack;
  }
  return run;
}

NameInfo ClassifyName(std::string_view name) {
  NameInfo info;
  if (EndsWithNoCase(name, ".debug") && name.size() > 6) {
    info.kind = NameInfo::Debug;
    info.Computer = std::string(name.substr(0, name.size() - 6));
    return info;
  }
  // <computer>_mm.dd.yyyy_hh.nn.ss_EmailFailure.txt
  constexpr std::string_view kMail = "_EmailFailure.txt";
  constexpr size_t kStamp = 20;  // "_mm.dd.yyyy_hh.nn.ss"
  if (EndsWithNoCase(name, kMail) && name.size() > kMail.size() + kStamp) {
    std::string_view stamp = name.substr(name.size() - kMail.size() - kStamp, kStamp);
    const char* shape = "_dd.dd.dddd_dd.dd.dd";
    bool ok = true;
    for (size_t k = 0; k < kStamp; ++k) {
      ok = ok && (shape[k] == 'd' ? std::isdigit(static_cast<unsigned char>(stamp[k])) != 0
                                  : stamp[k] == shape[k]);
    }
    if (ok) {
      info.kind = NameInfo::EmailBackup;
      info.Computer = std::string(name.substr(0, name.size() - kMail.size() - kStamp));
      return info;
    }
  }
  for (auto [marker, outcome] : {std::pair{std::string_view("SUCCESS_"), Outcome::Succeeded},
                                 std::pair{std::string_view("FAILED_"), Outcome::Failed}}) {
    if (name.starts_with(marker) && name.size() > marker.size()) {
      info.kind = NameInfo::Output;
      info.NamedOutcome = outcome;
      return info;
    }
  }
  size_t best = std::string_view::npos;
  Outcome named = Outcome::Unknown;
  for (auto [marker, outcome] : {std::pair{std::string_view("_SUCCESS_"), Outcome::Succeeded},
                                 std::pair{std::string_view("_FAILED_"), Outcome::Failed}}) {
    size_t at = name.find(marker);
    if (at != std::string_view::npos && at > 0 && at + marker.size() < name.size() && at < best) {
      best = at;
      named = outcome;
    }
  }
  if (best != std::string_view::npos) {
    info.kind = NameInfo::Output;
    info.Computer = std::string(name.substr(0, best));
    info.NamedOutcome = named;
  }
  return info;
}

std::string ReportTextToUtf8(std::string_view text, const CodePage& codePage) {
  return IsValidUtf8(text) ? std::string(text) : codePage.ToUtf8(text);
}

bool StartsLikeOutcome(std::string_view head) {
  size_t i = 0;
  while (i < head.size() && (head[i] == '\r' || head[i] == '\n')) ++i;
  head.remove_prefix(i);
  return head.starts_with(kInventoryHeader) || head.starts_with(kInventoryFailure);
}

}  // namespace velloran::fleet
