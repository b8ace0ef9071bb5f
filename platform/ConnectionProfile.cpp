// The connection profile: a text file that stands in for the user's printer
// connections where no printer-connection service exists, and lets
// administrators rehearse a migration.
//
//   # comment
//   computer: PC01
//   connection: \\OLDSRV1\ACCOUNTING
//   default: \\OLDSRV1\ACCOUNTING
//   share: \\NEWSRV1\ACCOUNTING
//   offline: \\OLDSRV2
//
// Lines are kept in order; adding a connection inserts it after the last
// connection line, removing one deletes its line. Every change rewrites the
// whole file atomically. The parsed file is kept with the object and read
// again only when the file changed under it, so a move costs one write and
// not a parse of the whole file per call.

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Backends.h"
#include "platform/CodePage.h"
#include "platform/ConnectionName.h"
#include "platform/NullBackends.h"
#include "platform/Paths.h"
#include "platform/cups/CupsNetwork.h"

namespace velloran {

namespace {

// Connection names compare as Windows compares them: letters in any case.
bool SameName(std::string_view a, std::string_view b) { return SameText(a, b); }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

struct Line {
  std::string Text;   // as in the file, without the line end
  std::string Key;    // lower-case key, "" for comments and blank lines
  std::string Value;  // trimmed value
};

struct Profile {
  std::vector<Line> Lines;

  static Profile Parse(std::string_view rest) {
    Profile p;
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

  std::string Text() const {
    size_t size = 0;
    for (const Line& l : Lines) size += l.Text.size() + 1;
    std::string out;
    out.reserve(size);
    for (const Line& l : Lines) {
      out += l.Text;
      out += '\n';
    }
    return out;
  }

  std::vector<std::string> Values(std::string_view key) const {
    std::vector<std::string> v;
    for (const Line& l : Lines)
      if (l.Key == key) v.push_back(l.Value);
    return v;
  }

  bool Has(std::string_view key, std::string_view value) const {
    return std::any_of(Lines.begin(), Lines.end(),
                       [&](const Line& l) { return l.Key == key && SameName(l.Value, value); });
  }

  bool HasAny(std::string_view key) const {
    return std::any_of(Lines.begin(), Lines.end(), [&](const Line& l) { return l.Key == key; });
  }

  /// Inserts after the last line of `key`, or at the end when there is none.
  void InsertAfterLast(std::string_view key, std::string value) {
    auto last =
        std::find_if(Lines.rbegin(), Lines.rend(), [&](const Line& l) { return l.Key == key; });
    Lines.insert(last.base(), Line{std::string(key) + ": " + value, std::string(key), value});
  }

  /// Whether `offline:` names the server of `path` ("\\SERVER" or "SERVER").
  bool IsOffline(std::string_view path) const {
    std::string_view server = ConnectionServer(path);
    if (server.empty()) return false;
    return std::any_of(Lines.begin(), Lines.end(), [&](const Line& l) {
      if (l.Key != "offline") return false;
      std::string_view named = l.Value;
      while (named.starts_with('\\')) named.remove_prefix(1);
      while (named.ends_with('\\')) named.remove_suffix(1);
      return SameName(named, server);
    });
  }
};

PlatformError NetworkPathNotFound() {
  return PlatformError{kNetworkPathNotFound, "The network path was not found."};
}

/// What tells a file that changed under us from the one we last read or
/// wrote: its size, modification time and (where there is one) inode.
struct FileStamp {
  std::uintmax_t Size = 0;
  std::int64_t Modified = 0;  // nanoseconds, in the clock of the file system
  std::uintmax_t Inode = 0;
  bool operator==(const FileStamp&) const = default;
};

/// Taken twice per change of the file: one stat() where there is one.
std::optional<FileStamp> StampOf(const std::string& path) {
#ifdef _WIN32
  std::error_code ec;
  FileStamp s;
  s.Size = std::filesystem::file_size(path, ec);
  if (ec) return std::nullopt;
  auto modified = std::filesystem::last_write_time(path, ec);
  if (ec) return std::nullopt;
  s.Modified =
      std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count();
  return s;
#else
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileStamp{static_cast<std::uintmax_t>(st.st_size),
                   static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                   static_cast<std::uintmax_t>(st.st_ino)};
#endif
}

class ProfileNetworkObject : public NetworkObject {
 public:
  explicit ProfileNetworkObject(std::string path) : path_(std::move(path)) {}

  Result<std::vector<std::string>> EnumPrinterConnections() override {
    if (Status s = Load(); !s.ok()) return s.error();
    std::vector<std::string> items;
    int network = 0, local = 0;
    for (const std::string& c : profile_->Values("connection")) {
      bool isNetwork = c.rfind("\\\\", 0) == 0;
      char port[16];
      std::snprintf(port, sizeof port,
                    isNetwork ? "Ne%02d:" : "LPT%d:", isNetwork ? network++ : ++local);
      items.push_back(port);
      items.push_back(c);
    }
    return items;
  }

  Status RemovePrinterConnection(std::string_view path, bool, bool) override {
    if (Status s = CheckConnectionName(path); !s.ok()) return s;
    if (Status s = Load(); !s.ok()) return s;
    if (profile_->IsOffline(path)) return NetworkPathNotFound();
    auto& lines = profile_->Lines;
    auto it = std::find_if(lines.begin(), lines.end(), [&](const Line& l) {
      return l.Key == "connection" && SameName(l.Value, path);
    });
    if (it == lines.end())
      return PlatformError{kConnectionMissing, "This network connection does not exist."};
    std::string removed = it->Value;
    lines.erase(it);
    // The default goes with its printer, as it does when a real queue or
    // connection is deleted; keeping it is the caller's job.
    std::erase_if(lines,
                  [&](const Line& l) { return l.Key == "default" && SameName(l.Value, removed); });
    // Disconnecting leaves the share on its server: when the file lists the
    // network's shares, it now lists this one too, so that putting the
    // connection back (a roll-back) succeeds as it would on a real network.
    if (profile_->HasAny("share") && !profile_->Has("share", removed))
      profile_->InsertAfterLast("share", removed);
    return Save();
  }

  Status AddWindowsPrinterConnection(std::string_view path) override {
    if (Status s = CheckConnectionPath(path); !s.ok()) return s;
    if (Status s = Load(); !s.ok()) return s;
    if (profile_->IsOffline(path)) return NetworkPathNotFound();
    if (profile_->HasAny("share") && !profile_->Has("share", path)) return InvalidPrinterName();
    // Connecting to a printer the user already has succeeds and changes nothing.
    if (profile_->Has("connection", path)) return Status::Ok();
    profile_->InsertAfterLast("connection", std::string(path));
    return Save();
  }

  Result<std::string> GetDefaultPrinter() override {
    if (Status s = Load(); !s.ok()) return s.error();
    std::vector<std::string> defaults = profile_->Values("default");
    return defaults.empty() ? std::string() : defaults.front();
  }

  Status SetDefaultPrinter(std::string_view path) override {
    if (Status s = Load(); !s.ok()) return s;
    auto& lines = profile_->Lines;
    auto connection = std::find_if(lines.begin(), lines.end(), [&](const Line& l) {
      return l.Key == "connection" && SameName(l.Value, path);
    });
    if (connection == lines.end())
      return PlatformError{kConnectionMissing, "This network connection does not exist."};
    Line chosen{"default: " + connection->Value, "default", connection->Value};
    std::erase_if(lines, [](const Line& l) { return l.Key == "default"; });
    auto last = std::find_if(lines.rbegin(), lines.rend(),
                             [](const Line& l) { return l.Key == "connection"; });
    lines.insert(last.base(), std::move(chosen));
    return Save();
  }

  Result<std::string> ComputerName() override {
    if (Load().ok()) {
      std::vector<std::string> names = profile_->Values("computer");
      if (!names.empty() && !names.front().empty()) return names.front();
    }
    std::string host = HostName();
    if (host.empty()) return PlatformError{1, "The computer name cannot be read."};
    return host;
  }

 private:
  /// Parses the file unless what we hold is still what the file says.
  Status Load() {
    std::optional<FileStamp> now = StampOf(path_);
    if (profile_ && now && *now == stamp_) return Status::Ok();
    profile_.reset();
    auto content = ReadWholeFile(path_);
    if (!content)
      return PlatformError{content.error().Number, "Cannot read the connection profile " + path_ +
                                                       ": " + content.error().Description};
    profile_ = Profile::Parse(*content);
    // A file that cannot be stamped is read again on every call.
    if (now) stamp_ = *now;
    return Status::Ok();
  }

  Status Save() {
    // A rehearsal file changed twice per move: atomic, but not flushed to
    // the disk each time (a flush costs more than the rest of the move).
    Status written = WriteFileAtomically(path_, profile_->Text(), 0644, Flush::Lazy);
    std::optional<FileStamp> now = written.ok() ? StampOf(path_) : std::nullopt;
    if (now) {
      stamp_ = *now;
    } else {
      // What we hold is not what the file says: read it again next time.
      profile_.reset();
    }
    return written;
  }

  std::string path_;
  std::optional<Profile> profile_;
  FileStamp stamp_;
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
  if (choice == "cups") return MakeCupsNetworkOnDemand();
  if (choice == "none")
    return std::unique_ptr<NetworkObjectFactory>(std::make_unique<NoNetworkFactory>());
  if (choice.rfind("profile:", 0) == 0 && choice.size() > 8)
    return MakeConnectionProfile(std::string(choice.substr(8)));
  return PlatformError{
      kInvalidSetting,
      "VELLORAN_PRINTERS must be profile:PATH, cups or none, not \"" + std::string(choice) + "\""};
}

}  // namespace velloran
