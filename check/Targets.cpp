#include "check/Targets.h"

#include <algorithm>

#include "common/modINIDocument.h"
#include "platform/CodePage.h"

namespace velloran::check {

namespace {

// Why a name from the INI file cannot be part of a connection path, or
// nothing when it can. The engine builds "\\" + server + "\" + share from
// the values as stored, so a server written with backslashes never works.
std::string Unusable(const std::string& name, bool server) {
  if (name.empty()) return "no new name in the INI file";
  if (name == kErrorToServer || name == kErrorToPrinter || name == kErrorFromServer ||
      name == kErrorFromPrinter)
    return "a blank entry in the INI file";
  for (unsigned char c : name) {
    if (c < 0x20 || c == '\\' || c == '/' || (server && c == ' '))
      return server ? "\"" + name + "\" is not a server name (write it without backslashes)"
                    : "\"" + name + "\" is not a share name";
  }
  return {};
}

bool Contains(const std::vector<std::string>& names, std::string_view name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return SameText(n, name); });
}

const Share* FindShare(const ServerAnswer& answer, std::string_view name) {
  for (const Share& s : answer.Shares)
    if (SameText(s.Name, name)) return &s;
  return nullptr;
}

bool OffersPrinters(const ServerAnswer& answer) {
  return std::any_of(answer.Shares.begin(), answer.Shares.end(),
                     [](const Share& s) { return s.Kind == ShareKind::Printer; });
}

// A server that could not be asked decides every target on it alike.
bool DecidedByServer(const ServerAnswer* answer, Target& t) {
  if (!answer) {
    t.Status = TargetStatus::NotCheckable;
    t.Detail = "the server was not asked";
    return true;
  }
  switch (answer->State) {
    case ServerState::Answered:
      return false;
    case ServerState::Unreachable:
      t.Status = TargetStatus::Unreachable;
      break;
    case ServerState::AccessDenied:
      t.Status = TargetStatus::AccessDenied;
      break;
    case ServerState::NotCheckable:
      t.Status = TargetStatus::NotCheckable;
      break;
  }
  t.Detail = answer->Detail;
  return true;
}

void DecideShare(const ServerAnswer* answer, Target& t) {
  if (DecidedByServer(answer, t)) return;
  if (Contains(answer->Denied, t.Share)) {
    t.Status = TargetStatus::AccessDenied;
    t.Detail = "the server would not describe the queue";
    return;
  }
  const Share* share = FindShare(*answer, t.Share);
  if (!share) {
    t.Status = TargetStatus::Missing;
    return;
  }
  if (share->Kind != ShareKind::Printer) {
    t.Status = TargetStatus::NotAPrinter;
    t.Detail = share->Kind == ShareKind::Disk ? "a disk share" : "not a printer share";
    return;
  }
  t.Status = TargetStatus::Found;
  t.Driver = share->Driver;
  t.DriverMissing = share->DriverMissing;
  if (!share->Driver.empty())
    t.Detail = "driver " + share->Driver + (share->DriverMissing ? ", not installed here" : "");
}

class Planner {
 public:
  void Ask(const std::string& server, const std::string& share, bool wholeList) {
    auto it = std::find_if(questions_.begin(), questions_.end(),
                           [&](const ServerQuestion& q) { return SameText(q.Server, server); });
    if (it == questions_.end()) {
      questions_.push_back(ServerQuestion{server, {}, false});
      it = questions_.end() - 1;
    }
    it->WholeList = it->WholeList || wholeList;
    if (!share.empty() && !Contains(it->Shares, share)) it->Shares.push_back(share);
  }
  std::vector<ServerQuestion> Take() { return std::move(questions_); }

 private:
  std::vector<ServerQuestion> questions_;
};

}  // namespace

std::string Target::Path() const {
  if (Server.empty()) return Share;
  if (Share.empty()) return "\\\\" + Server;
  return "\\\\" + Server + "\\" + Share;
}

std::string_view KindName(PairKind kind) {
  switch (kind) {
    case PairKind::Servers:
      return "servers";
    case PairKind::Printers:
      return "printers";
    case PairKind::Mixed:
      return "mixed";
  }
  return {};
}

std::string_view StatusName(TargetStatus status) {
  switch (status) {
    case TargetStatus::Found:
      return "found";
    case TargetStatus::Missing:
      return "missing";
    case TargetStatus::NotAPrinter:
      return "not a printer";
    case TargetStatus::Unreachable:
      return "server unreachable";
    case TargetStatus::AccessDenied:
      return "access denied";
    case TargetStatus::NotCheckable:
      return "not checkable";
  }
  return {};
}

std::string PairLabel(const Target& t) {
  return std::string(KindName(t.Kind)) + " " + std::to_string(t.Pair) + ": " + t.From + " -> " +
         t.To;
}

std::vector<std::string> DriversToInstall(const std::vector<Target>& targets) {
  std::vector<std::string> out;
  for (const Target& t : targets)
    if (t.Status == TargetStatus::Found && t.DriverMissing && !Contains(out, t.Driver))
      out.push_back(t.Driver);
  return out;
}

std::vector<ServerQuestion> PlanQuestions(const INISettings& s,
                                          const std::vector<std::string>& printerServers) {
  Planner plan;
  for (const NamePair& p : s.ServerPairs) {
    if (Unusable(p.FromName, true).empty()) plan.Ask(p.FromName, {}, true);
    if (Unusable(p.ToName, true).empty()) plan.Ask(p.ToName, {}, true);
  }
  for (const NamePair& p : s.PrinterPairs) {
    if (!Unusable(p.ToName, false).empty()) continue;
    for (const std::string& server : printerServers)
      if (Unusable(server, true).empty()) plan.Ask(server, p.ToName, false);
  }
  for (const MixedPair& p : s.MixedPairs) {
    if (Unusable(p.ToServer, true).empty() && Unusable(p.ToPrinter, false).empty())
      plan.Ask(p.ToServer, p.ToPrinter, false);
  }
  return plan.Take();
}

std::vector<Target> DecideTargets(const INISettings& s,
                                  const std::vector<std::string>& printerServers,
                                  const AnswerFor& answers) {
  std::vector<Target> out;
  auto unusable = [&out](Target t, const std::string& why) {
    t.Status = TargetStatus::Missing;
    t.Detail = why;
    out.push_back(std::move(t));
  };

  int index = 0;
  for (const NamePair& p : s.ServerPairs) {
    ++index;
    Target base{PairKind::Servers,          index, p.FromName, p.ToName, p.ToName, {},
                TargetStatus::NotCheckable, {},    {},         false};
    if (std::string why = Unusable(p.ToName, true); !why.empty()) {
      unusable(base, why);
      continue;
    }
    const ServerAnswer* next = answers(p.ToName);
    const ServerAnswer* old = Unusable(p.FromName, true).empty() ? answers(p.FromName) : nullptr;
    std::vector<std::string> oldPrinters;
    if (old && old->State == ServerState::Answered && old->WholeList)
      for (const Share& share : old->Shares)
        if (share.Kind == ShareKind::Printer) oldPrinters.push_back(share.Name);

    // Every printer share of the old server must exist on the new one by
    // the same name: that is what a client's connection becomes.
    for (const std::string& share : oldPrinters) {
      Target t = base;
      t.Share = share;
      DecideShare(next, t);
      out.push_back(std::move(t));
    }
    if (!oldPrinters.empty()) continue;

    // Without the old server's list, the new server can only be checked
    // for offering printer shares at all.
    Target t = base;
    if (!DecidedByServer(next, t)) {
      if (OffersPrinters(*next)) {
        t.Status = TargetStatus::Found;
      } else if (next->WholeList) {
        t.Status = TargetStatus::Missing;
        t.Detail = "the server offers no printer shares";
      } else {
        t.Status = TargetStatus::NotCheckable;
        t.Detail = "the server does not list its queues";
      }
      std::string why;
      if (!old)
        why = "old server name not usable";
      else if (old->State != ServerState::Answered || !old->WholeList)
        why = "old server " + p.FromName + ": " +
              (old->Detail.empty() ? std::string(StatusName(TargetStatus::NotCheckable))
                                   : old->Detail);
      else
        why = "old server " + p.FromName + " offers no printer shares";
      t.Detail = (t.Detail.empty() ? "" : t.Detail + "; ") + why + "; its queues were not compared";
    }
    out.push_back(std::move(t));
  }

  index = 0;
  for (const NamePair& p : s.PrinterPairs) {
    ++index;
    Target base{PairKind::Printers,         index, p.FromName, p.ToName, {}, p.ToName,
                TargetStatus::NotCheckable, {},    {},         false};
    if (std::string why = Unusable(p.ToName, false); !why.empty()) {
      unusable(base, why);
      continue;
    }
    if (printerServers.empty()) {
      base.Status = TargetStatus::NotCheckable;
      base.Detail = "each client keeps its own server: no server named to check it on";
      out.push_back(std::move(base));
      continue;
    }
    for (const std::string& server : printerServers) {
      Target t = base;
      t.Server = server;
      if (std::string why = Unusable(server, true); !why.empty()) {
        unusable(t, why);
        continue;
      }
      DecideShare(answers(server), t);
      out.push_back(std::move(t));
    }
  }

  index = 0;
  for (const MixedPair& p : s.MixedPairs) {
    ++index;
    Target t{PairKind::Mixed,
             index,
             "\\\\" + p.FromServer + "\\" + p.FromPrinter,
             "\\\\" + p.ToServer + "\\" + p.ToPrinter,
             p.ToServer,
             p.ToPrinter,
             TargetStatus::NotCheckable,
             {},
             {},
             false};
    std::string why = Unusable(p.ToServer, true);
    if (why.empty()) why = Unusable(p.ToPrinter, false);
    if (!why.empty()) {
      unusable(t, why);
      continue;
    }
    DecideShare(answers(p.ToServer), t);
    out.push_back(std::move(t));
  }
  return out;
}

}  // namespace velloran::check
