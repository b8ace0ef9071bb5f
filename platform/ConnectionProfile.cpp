// The connection profile: a text file that stands in for the user's printer
// connections where no printer-connection service exists, and lets
// administrators rehearse a migration.
//
//   # comment
//   computer: PC01
//   connection: \\OLDSRV1\ACCOUNTING
//   default: \\OLDSRV1\ACCOUNTING
//   share: \\NEWSRV1\ACCOUNTING
//
// Lines are kept in order; adding a connection inserts it after the last
// connection line, removing one deletes its line. Every change rewrites the
// whole file atomically.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Backends.h"
#include "platform/CodePage.h"
#include "platform/NullBackends.h"
#include "platform/Paths.h"
#include "platform/cups/CupsNetwork.h"

namespace velloran {

namespace {

constexpr int32_t kConnectionMissing = -2147022646;
constexpr int32_t kPrinterNameInvalid = -2147023095;

// Connection names compare as Windows compares them: letters in any case.
bool SameName(std::string_view a, std::string_view b) { return SameText(a, b); }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

struct Line {
  std::string Text;   // as in the file, without the line end
  std::string Key;    // lower-case key, "" for comments and blank lines
  std::string Value;  // trimmed value
};

struct Profile {
  std::vector<Line> Lines;

  static Result<Profile> Load(const std::string& path) {
    auto content = ReadWholeFile(path);
    if (!content)
      return PlatformError{content.error().Number,
                           "Cannot read the connection profile " + path + ": " + content.error().Description};
    Profile p;
    std::string_view rest = *content;
    while (!rest.empty()) {
      size_t nl = rest.find('\n');
      std::string_view raw = rest.substr(0, nl);
      rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
      if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
      Line line{std::string(raw), "", ""};
      std::string_view t = Trim(raw);
      size_t colon = t.find(':');
      if (!t.empty() && t[0] != '#' && colon != std::string_view::npos) {
        std::string key(Trim(t.substr(0, colon)));
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        line.Key = key;
        line.Value = std::string(Trim(t.substr(colon + 1)));
      }
      p.Lines.push_back(std::move(line));
    }
    return p;
  }

  Status Save(const std::string& path) const {
    std::string out;
    for (const Line& l : Lines) out += l.Text + "\n";
    return WriteFileAtomically(path, out);
  }

  std::vector<std::string> Values(std::string_view key) const {
    std::vector<std::string> v;
    for (const Line& l : Lines)
      if (l.Key == key) v.push_back(l.Value);
    return v;
  }
};

class ProfileNetworkObject : public NetworkObject {
 public:
  explicit ProfileNetworkObject(std::string path) : path_(std::move(path)) {}

  Result<std::vector<std::string>> EnumPrinterConnections() override {
    auto p = Profile::Load(path_);
    if (!p) return p.error();
    std::vector<std::string> items;
    int network = 0, local = 0;
    for (const std::string& c : p->Values("connection")) {
      bool isNetwork = c.rfind("\\\\", 0) == 0;
      char port[16];
      std::snprintf(port, sizeof port, isNetwork ? "Ne%02d:" : "LPT%d:", isNetwork ? network++ : ++local);
      items.push_back(port);
      items.push_back(c);
    }
    return items;
  }

  Status RemovePrinterConnection(std::string_view path, bool, bool) override {
    auto p = Profile::Load(path_);
    if (!p) return p.error();
    auto& lines = p->Lines;
    auto it = std::find_if(lines.begin(), lines.end(), [&](const Line& l) {
      return l.Key == "connection" && SameName(l.Value, path);
    });
    if (it == lines.end()) return PlatformError{kConnectionMissing, "This network connection does not exist."};
    std::string removed = it->Value;
    lines.erase(it);
    // The default goes with its printer, as it does when a real queue or
    // connection is deleted; keeping it is the caller's job.
    std::erase_if(lines, [&](const Line& l) { return l.Key == "default" && SameName(l.Value, removed); });
    // Disconnecting leaves the share on its server: when the file lists the
    // network's shares, it now lists this one too, so that putting the
    // connection back (a roll-back) succeeds as it would on a real network.
    std::vector<std::string> shares = p->Values("share");
    if (!shares.empty() &&
        std::none_of(shares.begin(), shares.end(), [&](const std::string& s) { return SameName(s, removed); })) {
      auto last = std::find_if(lines.rbegin(), lines.rend(), [](const Line& l) { return l.Key == "share"; });
      lines.insert(last.base(), Line{"share: " + removed, "share", removed});
    }
    return p->Save(path_);
  }

  Status AddWindowsPrinterConnection(std::string_view path) override {
    auto p = Profile::Load(path_);
    if (!p) return p.error();
    std::vector<std::string> shares = p->Values("share");
    if (!shares.empty() &&
        std::none_of(shares.begin(), shares.end(), [&](const std::string& s) { return SameName(s, path); }))
      return PlatformError{kPrinterNameInvalid, "The printer name is invalid."};
    auto& lines = p->Lines;
    // Connecting to a printer the user already has succeeds and changes nothing.
    if (std::any_of(lines.begin(), lines.end(), [&](const Line& l) {
          return l.Key == "connection" && SameName(l.Value, path);
        }))
      return Status::Ok();
    auto last = std::find_if(lines.rbegin(), lines.rend(), [](const Line& l) { return l.Key == "connection"; });
    Line added{"connection: " + std::string(path), "connection", std::string(path)};
    lines.insert(last.base(), std::move(added));
    return p->Save(path_);
  }

  Result<std::string> GetDefaultPrinter() override {
    auto p = Profile::Load(path_);
    if (!p) return p.error();
    std::vector<std::string> defaults = p->Values("default");
    return defaults.empty() ? std::string() : defaults.front();
  }

  Status SetDefaultPrinter(std::string_view path) override {
    auto p = Profile::Load(path_);
    if (!p) return p.error();
    auto& lines = p->Lines;
    auto connection = std::find_if(lines.begin(), lines.end(), [&](const Line& l) {
      return l.Key == "connection" && SameName(l.Value, path);
    });
    if (connection == lines.end())
      return PlatformError{kConnectionMissing, "This network connection does not exist."};
    Line chosen{"default: " + connection->Value, "default", connection->Value};
    std::erase_if(lines, [](const Line& l) { return l.Key == "default"; });
    auto last = std::find_if(lines.rbegin(), lines.rend(), [](const Line& l) { return l.Key == "connection"; });
    lines.insert(last.base(), std::move(chosen));
    return p->Save(path_);
  }

  Result<std::string> ComputerName() override {
    auto p = Profile::Load(path_);
    if (p) {
      std::vector<std::string> names = p->Values("computer");
      if (!names.empty() && !names.front().empty()) return names.front();
    }
    std::string host = HostName();
    if (host.empty()) return PlatformError{1, "The computer name cannot be read."};
    return host;
  }

 private:
  std::string path_;
};

class ProfileFactory : public NetworkObjectFactory {
 public:
  explicit ProfileFactory(std::string path) : path_(std::move(path)) {}
  Result<std::unique_ptr<NetworkObject>> Create(std::string_view) override {
    return std::unique_ptr<NetworkObject>(std::make_unique<ProfileNetworkObject>(path_));
  }

 private:
  std::string path_;
};

// Stands for a client where the network object is not installed; owned
// like every other choice.
class NoNetworkFactory : public NetworkObjectFactory {
 public:
  Result<std::unique_ptr<NetworkObject>> Create(std::string_view progId) override {
    return UnavailableNetwork().Create(progId);
  }
};

}  // namespace

std::unique_ptr<NetworkObjectFactory> MakeConnectionProfile(std::string path) {
  return std::make_unique<ProfileFactory>(std::move(path));
}

Result<std::unique_ptr<NetworkObjectFactory>> MakeNetworkFactory(std::string_view choice) {
  if (choice == "cups") return MakeCupsNetwork();
  if (choice == "none") return std::unique_ptr<NetworkObjectFactory>(std::make_unique<NoNetworkFactory>());
  if (choice.rfind("profile:", 0) == 0 && choice.size() > 8)
    return MakeConnectionProfile(std::string(choice.substr(8)));
  return PlatformError{kInvalidSetting, "VELLORAN_PRINTERS must be profile:PATH, cups or none, not \"" + std::string(choice) + "\""};
}

}  // namespace velloran
