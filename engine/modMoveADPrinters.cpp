#include "engine/modMoveADPrinters.h"

#include <optional>
#include <unordered_map>

#include "engine/ErrorRecorder.h"
#include "engine/modDebug.h"
#include "engine/modMoveNetworkPrinters.h"
#include "engine/modNotification.h"
#include "engine/modPrinters.h"
#include "platform/CodePage.h"

namespace velloran {

namespace {

const std::string& FirstValue(const DirectoryRecord& rec, int field) {
  static const std::string kNone;
  if (field < 0 || static_cast<size_t>(field) >= rec.Fields.size() || rec.Fields[field].empty())
    return kNone;
  return rec.Fields[field].front();
}

// Hashing and equality that ignore letter case, as SameText does: names
// that SameText joins must hash alike, so anything beyond ASCII is hashed in
// its folded form.
struct FoldedHash {
  static size_t Hash(std::string_view s) {
    size_t h = 1469598103934665603ull;
    for (char c : s) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return h;
  }
  size_t operator()(std::string_view s) const {
    for (char c : s) {
      if (static_cast<unsigned char>(c) >= 0x80) return Hash(FoldCase(s));
    }
    return Hash(s);
  }
};
struct FoldedEqual {
  bool operator()(std::string_view a, std::string_view b) const { return SameText(a, b); }
};

// Which directory entries each client share name matches, by the share rule
// or the printer rule, in directory order. A directory of tens of thousands
// of queues against hundreds of connections makes the pairwise scan the
// slow part of a logon; one pass over the directory gives the same entries
// in the same order.
class ADPrinterIndex {
 public:
  ADPrinterIndex(const std::vector<NetworkPrinter>& clients,
                 const std::vector<NetworkPrinter>& ad) {
    for (size_t c = 1; c < clients.size(); ++c) byShare_.try_emplace(clients[c].ShareName);
    for (size_t a = 1; a < ad.size(); ++a) {
      auto share = byShare_.find(ad[a].ShareName);
      if (share != byShare_.end()) share->second.push_back(a);
      auto printer = byShare_.find(ad[a].PrinterName);
      if (printer != byShare_.end() && printer != share) printer->second.push_back(a);
    }
  }
  const std::vector<size_t>& Matches(const std::string& clientShare) const {
    return byShare_.at(clientShare);
  }

 private:
  std::unordered_map<std::string_view, std::vector<size_t>, FoldedHash, FoldedEqual> byShare_;
};

}  // namespace

std::string ADPrinterQuery(const std::string& adsPath) {
  // The path sits between apostrophes, so one inside it ("OU=Children's")
  // is doubled, as the query language reads it.
  std::string quoted;
  quoted.reserve(adsPath.size());
  for (char c : adsPath) {
    quoted += c;
    if (c == '\'') quoted += c;
  }
  return "Select name, printShareName FROM '" + quoted + "' WHERE objectCategory='printQueue'";
}

const std::vector<std::string>& ADServerAttributes() {
  static const std::vector<std::string> kAttributes = {"shortServerName", "serverName", "uNCName"};
  return kAttributes;
}

namespace {

// "\\server\share" -> "server"; empty when the value names no server.
std::string_view HostOfUNC(std::string_view unc) {
  size_t start = unc.find_first_not_of('\\');
  if (start == std::string_view::npos) return {};
  size_t end = unc.find('\\', start);
  return unc.substr(start, end == std::string_view::npos ? end : end - start);
}

}  // namespace

NetworkPrinter ADPrinterFromRecord(const ADQueueRecord& record) {
  NetworkPrinter p;
  p.ShareName = record.PrintShareName;
  const std::string_view name = record.Name;
  // Server and printer names may both hold dashes, and the printer name is
  // not the share name, so "name" alone cannot say where the server ends.
  // Windows publishes the server with every queue; the name is cut after it.
  const std::string_view server =
      !record.ShortServerName.empty() ? record.ShortServerName : HostOfUNC(record.UNCName);
  if (!server.empty()) {
    p.ServerName = server;
    const size_t prefix = server.size() + 1;
    if (name.size() >= prefix && SameText(name.substr(0, server.size()), server) &&
        name[server.size()] == '-')
      p.PrinterName = name.substr(prefix);
    else
      p.PrinterName = name;  // a renamed queue: no server part to take off
    return p;
  }
  // A record with no server of its own (not published by Windows): the
  // server is what comes before the first dash.
  size_t dash = name.find('-');
  if (dash == std::string_view::npos) {
    p.PrinterName = name;
  } else {
    p.ServerName = name.substr(0, dash);
    p.PrinterName = name.substr(dash + 1);
  }
  return p;
}

void GetADPrinters(Run& run) {
  run.ADPrinters.assign(1, NetworkPrinter{});

  const std::string path = "LDAP://" + run.Settings.DomainName;
  auto domain = run.Svc.Directory->GetObject(path);
  if (!domain) {
    WriteErrorToDebugLog(run, "ERROR: Accessing Active Directory. <<", domain.error());
    AppendErrorToOutcome(run, "Error accessing Active Directory. Try installing an MDAC update.",
                         domain.error());
    return;
  }
  WriteToDebugLog(run, ">> Created connection to AD: " + path);

  // Each step runs even when the one before failed; the last failure counts.
  std::optional<PlatformError> failure;
  RecordSet records;
  auto connection = run.Svc.Directory->OpenConnection("ADsDSOObject");
  if (!connection) failure = connection.error();
  const std::string commandText = ADPrinterQuery((*domain)->AdsPath());
  WriteToDebugLog(run, ">> Querying AD for printers, command:" + commandText);
  if (connection) {
    auto executed = (*connection)->Execute(commandText, ADServerAttributes());
    if (executed)
      records = std::move(*executed);
    else
      failure = executed.error();
  }
  if (failure) {
    WriteErrorToDebugLog(run, "ERROR: Quering Active Directory printers. <<", *failure);
    AppendErrorToOutcome(run, "Error quering Active Directory printers.", *failure);
    return;
  }

  AppendOutcome(run, "* ----- AD Printers ----- *");
  WriteToDebugLog(run, ">> * ----- AD Printers ----- * <<");

  const int nameField = records.FieldIndex("name");
  const int shareField = records.FieldIndex("printShareName");
  const int shortServerField = records.FieldIndex("shortServerName");
  const int uncField = records.FieldIndex("uNCName");
  run.ADPrinters.reserve(records.Records.size() + 1);
  for (const auto& rec : records.Records) {
    NetworkPrinter p =
        ADPrinterFromRecord({FirstValue(rec, nameField), FirstValue(rec, shareField),
                             FirstValue(rec, shortServerField), FirstValue(rec, uncField)});
    std::string line = ">> AD Printer: ";
    const size_t textStart = line.size();
    line.reserve(textStart + p.PrinterName.size() + p.ServerName.size() + p.ShareName.size() + 5);
    line.append(p.PrinterName).append(" (\\\\").append(p.ServerName);
    line.append("\\").append(p.ShareName).append(")");
    AppendOutcome(run, std::string_view(line).substr(textStart));
    WriteToDebugLog(run, line);
    run.ADPrinters.push_back(std::move(p));
  }
}

void MigrateADPrinters(Run& run) {
  AppendOutcome(run, "* ----- Migrating Printers using AD ----- *");
  WriteToDebugLog(run, ">> * ----- Migrating Printers using AD ----- * <<");

  auto network = CreateNetworkObject(run);
  if (!network) {
    WriteErrorToDebugLog(run, "ERROR: Getting reference to netowrk object: ", network.error());
    AppendErrorToOutcome(run, "Error in network object for migrating printers.", network.error());
    return;
  }

  const ADPrinterIndex index(run.ClientPrinters, run.ADPrinters);
  for (size_t c = 1; c < run.ClientPrinters.size(); ++c) {
    const NetworkPrinter& client = run.ClientPrinters[c];
    const auto& matches = index.Matches(client.ShareName);
    for (size_t a : matches) {
      const NetworkPrinter& ad = run.ADPrinters[a];
      WriteToDebugLog(run, ">> Found a printer match <<");
      WriteToDebugLog(
          run, ">> Printer share names (Client/AD): " + client.ShareName + " / " + ad.ShareName);
      WriteToDebugLog(run,
                      ">> Printer names (Client/AD): " + client.ShareName + " / " + ad.PrinterName);
      // Host names are case-insensitive: SRV1 and srv1 are one server, and
      // moving a printer onto the server it already sits on only risks it.
      if (SameText(client.ServerName, ad.ServerName)) {
        ReportAlreadyMigrated(run, client);
        continue;
      }
      WriteToDebugLog(run, ">> Found a server match <<");
      WriteToDebugLog(run,
                      ">> Server names (Client/AD): " + client.ServerName + " / " + ad.ServerName);
      // The new connection keeps the client's share name even when the
      // directory's printer name made the match.
      ReconnectPrinter(run, network, client, ConnectionPath(client.ServerName, client.ShareName),
                       ConnectionPath(ad.ServerName, client.ShareName));
    }
    if (matches.empty()) {
      AppendOutcome(run, "ERROR Printer NOT FOUND IN AD: " + client.PrinterName + " (" +
                             client.ServerName + ")");
      WriteToDebugLog(run, ">> Printer not found in AD: " + client.PrinterName + " (" +
                               client.ServerName + ")");
    }
  }
}

void MoveADPrinters(Run& run) {
  WriteToDebugLog(run, ">> Moving Printers Using AD <<");
  GetADPrinters(run);
  WriteToDebugLog(run, std::string(">> Finished getting list of AD printers, abort status: ") +
                           TrueFalse(run.AbortStatus));
  if (!run.AbortStatus) MigrateADPrinters(run);
  WriteToDebugLog(run, std::string(">> Finished moving printers using AD, abort status: ") +
                           TrueFalse(run.AbortStatus));
}

}  // namespace velloran
