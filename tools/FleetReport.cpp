#include "tools/FleetReport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "engine/modDebug.h"
#include "platform/Error.h"

namespace velloran::fleet {

namespace {

namespace fs = std::filesystem;

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && Upper(s.substr(s.size() - tail.size())) == Upper(tail);
}

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
std::optional<Connection> ParseConnection(std::string_view text) {
  size_t open = text.rfind(" (");
  if (open == std::string_view::npos || text.empty() || text.back() != ')') return std::nullopt;
  return Connection{std::string(text.substr(0, open)),
                    std::string(text.substr(open + 2, text.size() - open - 3))};
}

// "\\server\share" -> "server".
std::string ServerOfPath(std::string_view path) {
  if (path.size() < 3 || path[0] != '\\' || path[1] != '\\') return {};
  size_t slash = path.find('\\', 2);
  return std::string(path.substr(2, slash == std::string_view::npos ? path.npos : slash - 2));
}

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
    {"ERROR: Getting client's list of printers <<", false, "reading the user's printer connections"},
    {"ERROR: Accessing Active Directory. <<", false, "connecting to the directory"},
    {"ERROR: Quering Active Directory printers. <<", false, "querying the directory"},
    {"ERROR: Getting reference to netowrk object: ", false, "creating the network object"},
};

template <size_t N>
Failure FailureFor(const Heading (&headings)[N], std::string_view line) {
  for (const Heading& h : headings) {
    std::string_view text(h.Text);
    if (h.HasTarget ? line.starts_with(text) : line == text) {
      return Failure{h.Step, h.HasTarget ? std::string(line.substr(text.size())) : std::string(), 0, {}};
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

bool StartsRun(std::string_view line) { return line == kInventoryHeader || line == kInventoryFailure; }

}  // namespace

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::Succeeded: return "migrated";
    case Outcome::AlreadyMigrated: return "migrated earlier";
    case Outcome::Failed: return "failed";
    case Outcome::Unknown: break;
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
    if (line.starts_with("ERROR: ") && i + 2 < lines.size() && lines[i + 1].starts_with("ERROR: ") &&
        lines[i + 2].starts_with("ERROR DESCRIPTION: ")) {
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
    }
  }
  if (!running && markerTrue) run.Result = Outcome::AlreadyMigrated;
  if (run.Result != Outcome::Failed) run.Failures.clear();
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

std::string Ansi1252ToUtf8(std::string_view text) {
  // 0x80-0x9F; 0 where the code page leaves the byte undefined.
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
  std::string out;
  out.reserve(text.size());
  for (unsigned char b : text) {
    char32_t u = b;
    if (b >= 0x80 && b < 0xA0) u = kHigh[b - 0x80] ? kHigh[b - 0x80] : 0xFFFD;
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

namespace {

bool ValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    size_t more = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : 4;
    if (more == 4 || (more == 1 && b < 0xC2) || i + more >= text.size() + (more ? 0 : 1)) return false;
    for (size_t k = 1; k <= more; ++k)
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
    i += more + 1;
  }
  return true;
}

}  // namespace

std::string ReportTextToUtf8(std::string_view text) {
  return ValidUtf8(text) ? std::string(text) : Ansi1252ToUtf8(text);
}

bool StartsLikeOutcome(std::string_view head) {
  size_t i = 0;
  while (i < head.size() && (head[i] == '\r' || head[i] == '\n')) ++i;
  head.remove_prefix(i);
  return head.starts_with(kInventoryHeader) || head.starts_with(kInventoryFailure);
}

int FleetSummary::Count(Outcome outcome) const {
  return static_cast<int>(std::count_if(Computers.begin(), Computers.end(),
                                        [&](const auto& c) { return c.second.Result == outcome; }));
}

FleetBuilder::FleetBuilder(std::string share) { summary_.Share = std::move(share); }

void FleetBuilder::Add(const std::string& computer, Source from, int64_t when, RunReport run) {
  if (computer.empty()) {
    anonymous_.push_back(std::move(run));
    return;
  }
  std::string key = Upper(computer);
  displayNames_.emplace(key, computer);
  runs_[key].push_back(Told{from, when, order_++, std::move(run)});
}

void FleetBuilder::AddProblem(std::string path, std::string reason) {
  summary_.Problems.push_back({std::move(path), std::move(reason)});
}

void FleetBuilder::CountFile(NameInfo::Kind kind) {
  switch (kind) {
    case NameInfo::Debug: ++summary_.DebugFiles; break;
    case NameInfo::EmailBackup: ++summary_.EmailBackups; break;
    case NameInfo::Output: ++summary_.OutputFiles; break;
    case NameInfo::Other: ++summary_.OtherFiles; break;
  }
}

void FleetBuilder::AddOldServer(const std::string& server) { givenOldServers_.insert(Upper(server)); }

void FleetBuilder::SetComputerList(const std::vector<std::string>& names) {
  summary_.HaveComputerList = true;
  listed_ = names;
}

FleetSummary FleetBuilder::Finish() {
  FleetSummary& s = summary_;

  // A server counts as old once any printer was moved away from it or any
  // removal from it failed; the administrator may name more.
  s.OldServers = givenOldServers_;
  auto learn = [&](const RunReport& run) {
    for (const auto& c : run.Migrated) s.OldServers.insert(Upper(c.Server));
    for (const auto& f : run.Failures)
      if (f.Step == "removing the old connection") {
        std::string server = ServerOfPath(f.Target);
        if (!server.empty()) s.OldServers.insert(Upper(server));
      }
  };
  for (const auto& [key, told] : runs_)
    for (const auto& t : told) learn(t.Run);
  for (const auto& run : anonymous_) learn(run);

  std::map<std::tuple<std::string, int32_t, std::string>, Cause> causes;
  auto causeOf = [&](const Failure& f) -> Cause& {
    Cause& c = causes[{f.Step, f.Number, f.Description}];
    c.Step = f.Step;
    c.Number = f.Number;
    c.Description = f.Description;
    return c;
  };

  for (auto& [key, told] : runs_) {
    // Files of one run often share a time stamp: the mail back-up is written
    // first, then the output file, the debug file last.
    auto rank = [](Source s) { return s == Source::EmailBackup ? 0 : s == Source::OutputFile ? 1 : 2; };
    std::stable_sort(told.begin(), told.end(), [&](const Told& a, const Told& b) {
      if (a.When != b.When) return a.When < b.When;
      if (rank(a.From) != rank(b.From)) return rank(a.From) < rank(b.From);
      return a.Order < b.Order;
    });
    ComputerState state;
    state.Name = displayNames_[key];
    state.LastRun = told.back().When;
    state.From = told.back().From;
    const Told* decisive = nullptr;
    for (const auto& t : told) {
      if (t.From == Source::EmailBackup) state.MailFailed = true;
      if (t.Run.Result != Outcome::Unknown) decisive = &t;
    }
    if (decisive) {
      state.Result = decisive->Run.Result;
      state.From = decisive->From;
    }
    if (state.Result == Outcome::Failed) {
      state.Failures = decisive->Run.Failures;
      // A debug file without the failing lines (debug off): the failures of
      // the latest account that has them.
      for (auto it = told.rbegin(); state.Failures.empty() && it != told.rend(); ++it)
        if (it->Run.Result == Outcome::Failed) state.Failures = it->Run.Failures;
      for (const auto& f : state.Failures) causeOf(f).Targets[f.Target].insert(state.Name);
    }
    for (auto it = told.rbegin(); it != told.rend(); ++it) {
      if (!it->Run.HasInventory) continue;
      for (const auto& c : it->Run.Inventory) {
        if (!s.OldServers.count(Upper(c.Server))) continue;
        bool moved = std::any_of(it->Run.Migrated.begin(), it->Run.Migrated.end(), [&](const Connection& m) {
          return Upper(m.Printer) == Upper(c.Printer) && Upper(m.Server) == Upper(c.Server);
        });
        if (!moved) state.OnOldServers.push_back(c);
      }
      break;
    }
    s.Computers.emplace(key, std::move(state));
  }

  for (const auto& run : anonymous_) {
    ++s.AnonymousRuns;
    if (run.Result == Outcome::Failed) ++s.AnonymousFailedRuns;
    for (const auto& f : run.Failures) {
      Cause& c = causeOf(f);
      c.Targets[f.Target];
      ++c.AnonymousRuns;
    }
  }

  for (auto& [k, c] : causes) s.Causes.push_back(std::move(c));
  auto weight = [](const Cause& c) {
    std::set<std::string> computers;
    for (const auto& [t, names] : c.Targets) computers.insert(names.begin(), names.end());
    return computers.size() + static_cast<size_t>(c.AnonymousRuns);
  };
  std::stable_sort(s.Causes.begin(), s.Causes.end(),
                   [&](const Cause& a, const Cause& b) { return weight(a) > weight(b); });

  s.ListedComputers = static_cast<int>(listed_.size());
  std::set<std::string> reported;
  for (const auto& name : listed_) {
    std::string key = Upper(name);
    if (!s.Computers.count(key) && reported.insert(key).second) s.NotSeen.push_back(name);
  }
  return std::move(summary_);
}

namespace {

Result<std::string> ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return PlatformError{errno, std::strerror(errno)};
  std::string bytes;
  char chunk[64 * 1024];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
    bytes.append(chunk, static_cast<size_t>(in.gcount()));
  if (in.bad()) return PlatformError{errno, std::strerror(errno)};
  return bytes;
}

Result<std::string> ReadHead(const fs::path& path, size_t size) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return PlatformError{errno, std::strerror(errno)};
  std::string bytes(size, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

int64_t WhenWritten(const fs::path& path) {
  std::error_code ec;
  auto t = fs::last_write_time(path, ec);
  if (ec) return 0;
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::file_clock::to_sys(t).time_since_epoch())
      .count();
}

// Files that a deployment puts on the share beside the reports.
bool IsDeploymentFile(std::string_view name) {
  for (const char* ext : {".exe", ".ini", ".html", ".htm", ".bat", ".cmd", ".dll", ".hlp"})
    if (EndsWithNoCase(name, ext)) return true;
  return false;
}

}  // namespace

FleetSummary ReadShare(const std::string& share, const ReadOptions& options) {
  FleetBuilder builder(share);
  if (options.HaveComputerList) builder.SetComputerList(options.Computers);
  for (const auto& s : options.OldServers) builder.AddOldServer(s);

  std::vector<fs::path> files;
  std::error_code ec;
  fs::recursive_directory_iterator it(share, fs::directory_options::skip_permission_denied, ec);
  if (ec) {
    builder.AddProblem(share, ec.message());
    return builder.Finish();
  }
  for (auto end = fs::recursive_directory_iterator(); it != end; it.increment(ec)) {
    if (ec) {
      builder.AddProblem(it->path().string(), ec.message());
      break;
    }
    std::error_code typeEc;
    if (it->is_regular_file(typeEc)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());

  // Files whose name holds no outcome but whose content is a report: either
  // the one file all clients share, or "<computer>_<name>". Decided below,
  // once the computer names of the share are known.
  struct Unnamed {
    fs::path Path;
    int64_t When;
    std::vector<RunReport> Runs;
  };
  std::vector<Unnamed> unnamed;
  std::set<std::string> knownComputers;
  for (const auto& c : options.Computers) knownComputers.insert(Upper(c));

  size_t done = 0;
  for (const auto& path : files) {
    if (options.Progress) options.Progress(done, files.size(), options.ProgressContext);
    ++done;
    const std::string name = path.filename().string();
    NameInfo info = ClassifyName(name);
    if (info.kind == NameInfo::Other && IsDeploymentFile(name)) {
      builder.CountFile(NameInfo::Other);
      continue;
    }
    if (info.kind == NameInfo::Other) {
      // Any other file of the share (installers, archives, notes) is only
      // read whole when it begins as a report.
      auto head = ReadHead(path, 256);
      if (head && !StartsLikeOutcome(*head)) {
        builder.CountFile(NameInfo::Other);
        continue;
      }
    }
    auto bytes = ReadWhole(path);
    if (!bytes) {
      builder.AddProblem(path.string(), "cannot be read: " + bytes.error().Description);
      continue;
    }
    const int64_t when = WhenWritten(path);
    if (info.kind == NameInfo::Debug) {
      auto text = DecodeDebugBytes(Bytes(bytes->begin(), bytes->end()));
      if (!text) {
        builder.AddProblem(path.string(), text.error().Description);
        continue;
      }
      builder.CountFile(info.kind);
      knownComputers.insert(Upper(info.Computer));
      builder.Add(info.Computer, Source::DebugFile, when, ParseDebugText(*text));
      continue;
    }
    // Outcome files are written in the clients' ANSI code page.
    ParsedOutcomeFile parsed = ParseOutcomeText(ReportTextToUtf8(*bytes));
    if (info.kind == NameInfo::Other) {
      if (!parsed.LooksLikeOutcome) {
        builder.CountFile(NameInfo::Other);
        continue;
      }
      if (!parsed.Problem.empty()) {
        builder.AddProblem(path.string(), parsed.Problem);
        continue;
      }
      builder.CountFile(NameInfo::Output);
      unnamed.push_back({path, when, std::move(parsed.Runs)});
      continue;
    }
    if (!parsed.Problem.empty()) {
      builder.AddProblem(path.string(), parsed.Problem);
      continue;
    }
    builder.CountFile(info.kind);
    knownComputers.insert(Upper(info.Computer));
    for (auto& run : parsed.Runs) {
      // The file name was decided by the same run: trust it where the text
      // is silent.
      builder.Add(info.Computer,
                  info.kind == NameInfo::EmailBackup ? Source::EmailBackup : Source::OutputFile, when,
                  std::move(run));
    }
  }
  if (options.Progress) options.Progress(files.size(), files.size(), options.ProgressContext);

  std::map<std::string, int> suffixes;
  for (const auto& u : unnamed) {
    std::string name = u.Path.filename().string();
    size_t bar = name.find('_');
    if (bar != std::string::npos && bar > 0) ++suffixes[Upper(name.substr(bar + 1))];
  }
  for (auto& u : unnamed) {
    std::string name = u.Path.filename().string();
    size_t bar = name.find('_');
    std::string computer;
    if (bar != std::string::npos && bar > 0 && bar + 1 < name.size()) {
      std::string prefix = name.substr(0, bar);
      if (knownComputers.count(Upper(prefix)) || suffixes[Upper(name.substr(bar + 1))] > 1)
        computer = prefix;
    }
    for (auto& run : u.Runs) builder.Add(computer, Source::OutputFile, u.When, std::move(run));
  }
  return builder.Finish();
}

}  // namespace velloran::fleet
