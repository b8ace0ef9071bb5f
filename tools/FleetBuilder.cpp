// Folding the runs of every file into one state per computer, the causes
// of failure across the fleet and the printers left on old servers.

#include <algorithm>
#include <tuple>

#include "tools/FleetDetail.h"
#include "tools/FleetReport.h"

namespace velloran::fleet {

namespace {

using detail::Upper;

// "\\server\share" -> "server".
std::string ServerOfPath(std::string_view path) {
  if (path.size() < 3 || path[0] != '\\' || path[1] != '\\') return {};
  size_t slash = path.find('\\', 2);
  return std::string(path.substr(2, slash == std::string_view::npos ? path.npos : slash - 2));
}

}  // namespace

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
    case NameInfo::Debug:
      ++summary_.DebugFiles;
      break;
    case NameInfo::EmailBackup:
      ++summary_.EmailBackups;
      break;
    case NameInfo::Output:
      ++summary_.OutputFiles;
      break;
    case NameInfo::Other:
      ++summary_.OtherFiles;
      break;
  }
}

void FleetBuilder::CountSkipped(SkipReason why) {
  ++(why == SkipReason::NotRegularFile ? summary_.NotRegularFiles : summary_.LinksLeavingShare);
}

void FleetBuilder::AddOldServer(const std::string& server) {
  givenOldServers_.insert(Upper(server));
}

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
    auto rank = [](Source s) {
      return s == Source::EmailBackup ? 0 : s == Source::OutputFile ? 1 : 2;
    };
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
      // A cut debug file tells nothing the rest of its run's files said.
      if (t.Run.Result == Outcome::Incomplete && decisive && decisive->When >= t.When) continue;
      if (t.Run.Result != Outcome::Unknown) decisive = &t;
    }
    if (decisive) {
      state.Result = decisive->Run.Result;
      state.From = decisive->From;
    }
    if (state.Result == Outcome::Failed || state.Result == Outcome::HeldBack) {
      state.Failures = decisive->Run.Failures;
      state.Held = decisive->Run.Held;
      // A debug file without the failing lines (debug off): the failures of
      // the latest account that has them.
      for (auto it = told.rbegin();
           state.Failures.empty() && state.Held.empty() && it != told.rend(); ++it)
        if (it->Run.Result == Outcome::Failed || it->Run.Result == Outcome::HeldBack) {
          state.Failures = it->Run.Failures;
          state.Held = it->Run.Held;
        }
      for (const auto& f : state.Failures) causeOf(f).Targets[f.Target].insert(state.Name);
      for (const auto& h : state.Held) s.DriversToInstall[h.Driver].insert(state.Name);
    }
    if (state.Result == Outcome::Succeeded || state.Result == Outcome::AlreadyMigrated) {
      // The first run that moved the printers; a computer only ever seen
      // skipping its run was migrated by then at the latest.
      for (Outcome first : {Outcome::Succeeded, Outcome::AlreadyMigrated}) {
        auto it = std::find_if(told.begin(), told.end(),
                               [&](const Told& t) { return t.Run.Result == first; });
        if (it != told.end()) {
          state.MigratedAt = it->When;
          break;
        }
      }
    }
    for (auto it = told.rbegin(); it != told.rend(); ++it) {
      if (!it->Run.HasInventory) continue;
      for (const auto& c : it->Run.Inventory) {
        if (!s.OldServers.count(Upper(c.Server))) continue;
        bool moved =
            std::any_of(it->Run.Migrated.begin(), it->Run.Migrated.end(), [&](const Connection& m) {
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

}  // namespace velloran::fleet
