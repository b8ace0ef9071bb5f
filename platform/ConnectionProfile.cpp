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
//   offline-after-remove: \\OLDSRV3
//   driver: \\NEWSRV1\ACCOUNTING = Acme Laser PS
//   installed-driver: Acme Laser PS
//   user-installs-drivers: no
//   protected-print: on
//
// The driver lines stand for what a Windows client asks before it moves a
// connection: "driver:" names the driver a share's queue uses on its server
// (a share without one needs none), "installed-driver:" a driver this client
// has (besides the IPP class driver, which every client has),
// "user-installs-drivers: no" says this user may not install drivers
// (without it they may), and "protected-print: on" lets only queues on the
// IPP class driver be added. Installing a driver appends its
// "installed-driver:" line.
//
// Every other line is a blank line or a comment; a file with any line
// besides these (a connection path without its key, a misspelt key, a driver
// line without its "=") is refused with the numbers of those lines, since
// reading it without them would rehearse on connections the user does not
// have.
//
// Lines are kept in order; adding a connection inserts it after the last
// connection line, removing one deletes its line. The parsed file is kept
// with the object and read again only when the file changed under it.
//
// A change costs the length of its line, not of the file: it is appended as
// a record ("-connection: X", "+connection: Y", "+share: X") that reading
// the file applies, so a run stopped half-way leaves a file that says what
// was done. The object writes the file in whole (atomically) when it is
// released, and meanwhile whenever the records grow as long as the rest; a
// small file is written in whole at every change, as it costs no more.

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <list>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/AppendFile.h"
#include "platform/AtomicFile.h"
#include "platform/Backends.h"
#include "platform/CodePage.h"
#include "platform/ConnectionName.h"
#include "platform/NullBackends.h"
#include "platform/Paths.h"
#include "platform/cups/CupsNetwork.h"

namespace velloran {

namespace {

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

std::string LowerKey(std::string_view key) {
  std::string out(Trim(key));
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

/// "\\SERVER", "SERVER\" or "SERVER" as the bare server name.
std::string_view BareServer(std::string_view named) {
  while (named.starts_with('\\')) named.remove_prefix(1);
  while (named.ends_with('\\')) named.remove_suffix(1);
  return named;
}

/// "\\SERVER\SHARE = DRIVER NAME" split at its first '='.
std::string_view DriverShare(std::string_view value) {
  return Trim(value.substr(0, value.find('=')));
}
std::string_view DriverName(std::string_view value) {
  size_t eq = value.find('=');
  return eq == std::string_view::npos ? std::string_view() : Trim(value.substr(eq + 1));
}

bool SaysWord(std::string_view value, std::string_view word) {
  return FoldCase(value) == FoldCase(word);
}

/// Keys that a reader of the file besides the profile itself knows: the
/// profile keeps their lines as they are and gives them no meaning.
using OwnKeys = std::vector<std::string>;

/// The keys a profile line may have.
bool IsProfileKey(std::string_view key, const OwnKeys& ownKeys) {
  for (const std::string& own : ownKeys)
    if (key == own) return true;
  for (std::string_view known :
       {"computer", "connection", "default", "share", "offline", "offline-after-remove", "driver",
        "installed-driver", "user-installs-drivers", "protected-print"})
    if (key == known) return true;
  return false;
}

/// What is wrong with a line of a known key; empty when nothing is.
std::string BadValue(std::string_view key, std::string_view value) {
  if (key == "driver") {
    if (!CheckConnectionPath(DriverShare(value)).ok() || DriverName(value).empty())
      return "a driver line is \"driver: \\\\SERVER\\SHARE = DRIVER NAME\"";
  } else if (key == "installed-driver") {
    if (value.empty()) return "an installed-driver line names a driver";
  } else if (key == "user-installs-drivers") {
    if (!SaysWord(value, "yes") && !SaysWord(value, "no"))
      return "user-installs-drivers takes yes or no";
  } else if (key == "protected-print") {
    if (!SaysWord(value, "on") && !SaysWord(value, "off")) return "protected-print takes on or off";
  }
  return {};
}

/// How many lines that are no profile lines a report names.
constexpr size_t kBadLinesShown = 10;

/// A line that is not a profile line, for the report.
struct BadLine {
  size_t Number;
  std::string Text;
  std::string Why;
};

/// The lines of a profile, indexed so that every change and lookup costs
/// the length of its names, not of the file.
class Profile {
 public:
  using Iter = std::list<Line>::iterator;

  /// The file's text: its lines, then the change records appended to it.
  static Profile Parse(std::string_view rest, const OwnKeys& ownKeys = {}) {
    Profile p;
    p.endsWithLineEnd_ = rest.empty() || rest.back() == '\n';
    size_t number = 0;
    while (!rest.empty()) {
      ++number;
      size_t nl = rest.find('\n');
      std::string_view raw = rest.substr(0, nl);
      const bool whole = nl != std::string_view::npos;
      rest = whole ? rest.substr(nl + 1) : std::string_view();
      if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
      std::string_view t = Trim(raw);
      // A record cut off by a stop mid-write was never done.
      if (t.starts_with('+') || t.starts_with('-')) {
        if (whole) p.Replay(t);
        p.cutRecord_ = !whole;
        p.recordBytes_ += raw.size() + 1;
        continue;
      }
      Line line{std::string(raw), "", ""};
      size_t colon = t.find(':');
      if (!t.empty() && t[0] != '#' && colon != std::string_view::npos) {
        line.Key = LowerKey(t.substr(0, colon));
        line.Value = std::string(Trim(t.substr(colon + 1)));
        if (!IsProfileKey(line.Key, ownKeys))
          p.Bad(number, t, "no such key");
        else if (std::string why = BadValue(line.Key, line.Value); !why.empty())
          p.Bad(number, t, std::move(why));
      } else if (!t.empty() && t[0] != '#') {
        p.Bad(number, t, "not a \"key: value\" line");
      }
      p.baseBytes_ += raw.size() + 1;
      p.Append(std::move(line));
    }
    return p;
  }

  /// The file as it would be written in whole, records applied.
  std::string Text() const {
    std::string out;
    out.reserve(baseBytes_ + recordBytes_);
    for (const Line& l : lines_) {
      out += l.Text;
      out += '\n';
    }
    return out;
  }

  const std::list<Line>& Lines() const { return lines_; }
  /// The first lines that are no profile lines, in file order, and how
  /// many there are in all.
  const std::vector<BadLine>& BadLines() const { return bad_; }
  size_t BadLineCount() const { return badCount_; }

  std::vector<std::string> Values(std::string_view key) const {
    std::vector<std::string> v;
    if (auto it = byKey_.find(std::string(key)); it != byKey_.end())
      for (Iter l : it->second) v.push_back(l->Value);
    return v;
  }
  std::string First(std::string_view key) const {
    auto it = byKey_.find(std::string(key));
    return it == byKey_.end() || it->second.empty() ? std::string() : it->second.front()->Value;
  }
  bool Has(std::string_view key, std::string_view value) const {
    auto it = byName_.find(NameKey(key, value));
    return it != byName_.end() && !it->second.empty();
  }
  bool HasAny(std::string_view key) const {
    auto it = byKey_.find(std::string(key));
    return it != byKey_.end() && !it->second.empty();
  }
  /// The first line of `key` named `value`, as it stands in the file.
  std::optional<std::string> Find(std::string_view key, std::string_view value) const {
    auto it = byName_.find(NameKey(key, value));
    if (it == byName_.end() || it->second.empty()) return std::nullopt;
    return it->second.front()->Value;
  }

  /// Whether a line of `key` names the server of `path` ("\\SERVER" or "SERVER").
  bool NamesServerOf(std::string_view key, std::string_view path) const {
    std::string_view server = ConnectionServer(path);
    return !server.empty() && Has(key, server);
  }

  /// One change, as its record says: "+KEY: VALUE" adds a line after the
  /// last of its key (a default after the last connection), "-KEY: VALUE"
  /// removes the first line of the key so named ("-default:" every default
  /// line). Returns the record for the file, or "" when nothing changed.
  std::string Change(char op, std::string_view key, std::string_view value) {
    std::string record = std::string(1, op) + std::string(key) + ": " + std::string(value);
    return Replay(record) ? record : std::string();
  }

  /// Records that could be written as part of the file now.
  size_t RecordBytes() const { return recordBytes_; }
  size_t BaseBytes() const { return baseBytes_; }
  bool EndsWithLineEnd() const { return endsWithLineEnd_; }
  /// The file ends in part of a record: nothing may be appended to it.
  bool HasCutRecord() const { return cutRecord_; }
  void Recorded(size_t bytes) {
    recordBytes_ += bytes;
    endsWithLineEnd_ = true;
  }
  void Compacted() {
    baseBytes_ = 0;
    for (const Line& l : lines_) baseBytes_ += l.Text.size() + 1;
    recordBytes_ = 0;
    endsWithLineEnd_ = true;
    cutRecord_ = false;
  }

 private:
  // Connection names compare as Windows compares them: letters in any case.
  static std::string NameKey(std::string_view key, std::string_view value) {
    // Servers of "offline" lines are named with or without backslashes.
    if (key == "offline" || key == "offline-after-remove") value = BareServer(value);
    // A driver line is found by its share.
    if (key == "driver") value = DriverShare(value);
    return std::string(key) + '\n' + FoldCase(value);
  }

  bool Replay(std::string_view record) {
    const char op = record.front();
    record.remove_prefix(1);
    size_t colon = record.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string key = LowerKey(record.substr(0, colon));
    const std::string value(Trim(record.substr(colon + 1)));
    if (key.empty()) return false;
    if (op == '+') {
      Iter after = lines_.end();
      const std::string anchor = key == "default" ? std::string("connection") : key;
      if (auto it = byKey_.find(anchor); it != byKey_.end() && !it->second.empty())
        after = std::next(it->second.back());
      Insert(after, Line{key + ": " + value, key, value});
      return true;
    }
    if (key == "default" && value.empty()) {
      auto it = byKey_.find(key);
      if (it == byKey_.end() || it->second.empty()) return false;
      while (!it->second.empty()) Erase(it->second.front());
      return true;
    }
    auto it = byName_.find(NameKey(key, value));
    if (it == byName_.end() || it->second.empty()) return false;
    if (key == "default") {
      while (!it->second.empty()) Erase(it->second.front());
    } else {
      Erase(it->second.front());
    }
    return true;
  }

  void Append(Line line) { Insert(lines_.end(), std::move(line)); }

  // A file of any size is reported by its first bad lines and a count.
  void Bad(size_t number, std::string_view text, std::string why) {
    if (++badCount_ <= kBadLinesShown) bad_.push_back({number, std::string(text), std::move(why)});
  }

  void Insert(Iter before, Line line) {
    Iter at = lines_.insert(before, std::move(line));
    if (at->Key.empty()) return;
    // Lines of a key go in file order: only ever appended, or added after
    // the last of their key.
    auto& ofKey = byKey_[at->Key];
    if (ofKey.empty() || before == lines_.end() || IsAfter(at, ofKey.back()))
      ofKey.push_back(at);
    else
      ofKey.insert(std::find_if(ofKey.begin(), ofKey.end(), [&](Iter l) { return IsAfter(l, at); }),
                   at);
    byName_[NameKey(at->Key, at->Value)].push_back(at);
  }

  void Erase(Iter line) {
    auto& ofKey = byKey_[line->Key];
    ofKey.erase(std::find(ofKey.begin(), ofKey.end(), line));
    auto& named = byName_[NameKey(line->Key, line->Value)];
    named.erase(std::find(named.begin(), named.end(), line));
    lines_.erase(line);
  }

  /// Whether `a` comes after `b`, for a `b` that is the last line of its
  /// key: true for every line inserted after it.
  bool IsAfter(Iter a, Iter b) const {
    for (Iter l = b; l != lines_.end(); ++l)
      if (l == a) return true;
    return false;
  }

  std::list<Line> lines_;
  std::vector<BadLine> bad_;
  size_t badCount_ = 0;
  std::unordered_map<std::string, std::deque<Iter>> byKey_;
  std::unordered_map<std::string, std::deque<Iter>> byName_;
  size_t baseBytes_ = 0, recordBytes_ = 0;
  bool endsWithLineEnd_ = true;
  bool cutRecord_ = false;
};

/// ERROR_INVALID_DATA: the file holds lines that are not profile lines.
constexpr int32_t kInvalidProfileData = 13;

PlatformError NetworkPathNotFound() {
  return PlatformError{kNetworkPathNotFound, "The network path was not found."};
}

PlatformError CannotRead(const std::string& path, const PlatformError& error) {
  return PlatformError{error.Number,
                       "Cannot read the connection profile " + path + ": " + error.Description};
}

/// The lines of a file that are not profile lines, as the failure that says so.
PlatformError BadLinesError(const std::string& path, const std::vector<BadLine>& bad,
                            size_t count) {
  constexpr size_t kShownChars = 80;
  std::string text = "The connection profile " + path + " has lines that are not profile lines:";
  for (size_t i = 0; i < bad.size(); ++i) {
    std::string shown = bad[i].Text.substr(0, kShownChars);
    if (shown.size() < bad[i].Text.size()) shown += "...";
    text += (i ? "; line " : " line ") + std::to_string(bad[i].Number) + " \"" + shown + "\" (" +
            bad[i].Why + ")";
  }
  if (count > bad.size()) text += "; and " + std::to_string(count - bad.size()) + " more";
  return PlatformError{kInvalidProfileData, text + "."};
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

/// Below this a file is written in whole at every change: that costs no
/// more than a record, and keeps small files free of records.
constexpr size_t kWholeWriteBytes = 64 * 1024;

class ProfileNetworkObject : public NetworkObject, public PrinterDrivers {
 public:
  ProfileNetworkObject(std::string path, OwnKeys ownKeys)
      : path_(std::move(path)), ownKeys_(std::move(ownKeys)) {}
  ~ProfileNetworkObject() override {
    // Released: the records go into the file proper. A failure leaves the
    // records, which say the same.
    if (profile_ && profile_->RecordBytes() > 0 && StampOf(path_) == stamp_)
      static_cast<void>(WriteWhole());
  }
  ProfileNetworkObject(const ProfileNetworkObject&) = delete;
  ProfileNetworkObject& operator=(const ProfileNetworkObject&) = delete;

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
    if (profile_->NamesServerOf("offline", path)) return NetworkPathNotFound();
    std::optional<std::string> removed = profile_->Find("connection", path);
    if (!removed)
      return PlatformError{kConnectionMissing, "This network connection does not exist."};
    std::vector<std::string> records{profile_->Change('-', "connection", *removed)};
    // The default goes with its printer, as it does when a real queue or
    // connection is deleted; keeping it is the caller's job.
    if (profile_->Has("default", *removed))
      records.push_back(profile_->Change('-', "default", *removed));
    // Disconnecting leaves the share on its server: when the file lists the
    // network's shares, it now lists this one too, so that putting the
    // connection back (a roll-back) succeeds as it would on a real network.
    if (profile_->HasAny("share") && !profile_->Has("share", *removed))
      records.push_back(profile_->Change('+', "share", *removed));
    // A server that goes down right after the remove: putting the
    // connection back fails, as a roll-back does when the old server is
    // lost mid-move.
    if (profile_->NamesServerOf("offline-after-remove", *removed) &&
        !profile_->NamesServerOf("offline", *removed))
      records.push_back(profile_->Change('+', "offline", ConnectionServer(*removed)));
    return Save(records);
  }

  Status AddWindowsPrinterConnection(std::string_view path) override {
    if (Status s = CheckConnectionPath(path); !s.ok()) return s;
    if (Status s = Load(); !s.ok()) return s;
    if (profile_->NamesServerOf("offline", path)) return NetworkPathNotFound();
    if (profile_->HasAny("share") && !profile_->Has("share", path)) return InvalidPrinterName();
    // Connecting to a printer the user already has succeeds and changes nothing.
    if (profile_->Has("connection", path)) return Status::Ok();
    return Save({profile_->Change('+', "connection", path)});
  }

  Result<std::string> GetDefaultPrinter() override {
    if (Status s = Load(); !s.ok()) return s.error();
    return profile_->First("default");
  }

  Status SetDefaultPrinter(std::string_view path) override {
    if (Status s = Load(); !s.ok()) return s;
    std::optional<std::string> connection = profile_->Find("connection", path);
    if (!connection)
      return PlatformError{kConnectionMissing, "This network connection does not exist."};
    std::vector<std::string> records;
    if (profile_->HasAny("default")) records.push_back(profile_->Change('-', "default", ""));
    records.push_back(profile_->Change('+', "default", *connection));
    return Save(records);
  }

  Result<std::string> ComputerName() override {
    if (Load().ok()) {
      std::string name = profile_->First("computer");
      if (!name.empty()) return name;
    }
    std::string host = HostName();
    if (host.empty()) return PlatformError{1, "The computer name cannot be read."};
    return host;
  }

  PrinterDrivers* Drivers() override { return this; }

  Result<std::optional<PrinterDriver>> QueueDriver(std::string_view share) override {
    if (Status s = Load(); !s.ok()) return s.error();
    // A server that is down cannot say which driver its queue uses.
    if (profile_->NamesServerOf("offline", share)) return NetworkPathNotFound();
    std::optional<std::string> line = profile_->Find("driver", share);
    if (!line) return std::optional<PrinterDriver>();
    return std::optional<PrinterDriver>(PrinterDriver{std::string(DriverName(*line)), 0});
  }

  Result<bool> HasDriver(const PrinterDriver& driver) override {
    if (Status s = Load(); !s.ok()) return s.error();
    // Every client has the IPP class driver: it comes with the system.
    if (SaysWord(driver.Name, kIppClassDriver)) return true;
    return profile_->Has("installed-driver", driver.Name);
  }

  Result<DriverRules> Rules(std::string_view) override {
    if (Status s = Load(); !s.ok()) return s.error();
    DriverRules rules;
    if (SaysWord(profile_->First("user-installs-drivers"), "no")) {
      rules.UserMayInstall = false;
      rules.Why = "This user may not install printer drivers (user-installs-drivers: no)";
    }
    rules.ProtectedPrint = SaysWord(profile_->First("protected-print"), "on");
    return rules;
  }

  Status InstallDriver(std::string_view share, const PrinterDriver& driver) override {
    if (Status s = CheckConnectionPath(share); !s.ok()) return s;
    if (Status s = Load(); !s.ok()) return s;
    if (profile_->NamesServerOf("offline", share)) return NetworkPathNotFound();
    if (profile_->HasAny("share") && !profile_->Has("share", share)) return InvalidPrinterName();
    if (profile_->Has("installed-driver", driver.Name)) return Status::Ok();
    return Save({profile_->Change('+', "installed-driver", driver.Name)});
  }

 private:
  /// Parses the file unless what we hold is still what the file says.
  Status Load() {
    std::optional<FileStamp> now = StampOf(path_);
    if (profile_ && now && *now == stamp_) return Status::Ok();
    profile_.reset();
    auto content = ReadWholeFile(path_);
    if (!content) return CannotRead(path_, content.error());
    Profile parsed = Profile::Parse(*content, ownKeys_);
    if (parsed.BadLineCount() > 0)
      return BadLinesError(path_, parsed.BadLines(), parsed.BadLineCount());
    profile_ = std::move(parsed);
    // A file that cannot be stamped is read again on every call.
    if (now) stamp_ = *now;
    return Status::Ok();
  }

  /// Puts the changes just made to the profile into the file: as records
  /// appended to it, or by writing it in whole.
  Status Save(const std::vector<std::string>& records) {
    std::string block = profile_->EndsWithLineEnd() ? "" : "\n";
    for (const std::string& r : records) {
      if (r.empty()) continue;
      block += r;
      block += '\n';
    }
    const size_t total = profile_->BaseBytes() + profile_->RecordBytes() + block.size();
    Status written;
    if (total <= kWholeWriteBytes || profile_->HasCutRecord() ||
        profile_->RecordBytes() + block.size() > profile_->BaseBytes()) {
      written = WriteWhole();
    } else {
      // One write of one short block: a stop leaves it whole or not at all.
      written = AppendBlockToFile(path_, block);
      if (written.ok()) profile_->Recorded(block.size());
    }
    std::optional<FileStamp> now = written.ok() ? StampOf(path_) : std::nullopt;
    if (now) {
      stamp_ = *now;
    } else {
      // What we hold is not what the file says: read it again next time.
      profile_.reset();
    }
    return written;
  }

  Status WriteWhole() {
    // A rehearsal file: atomic, but not flushed to the disk each time (a
    // flush costs more than the rest of the move).
    Status written = WriteFileAtomically(path_, profile_->Text(), 0644, Flush::Lazy);
    if (written.ok()) profile_->Compacted();
    return written;
  }

  std::string path_;
  OwnKeys ownKeys_;
  std::optional<Profile> profile_;
  FileStamp stamp_;
};

class ProfileFactory : public NetworkObjectFactory {
 public:
  ProfileFactory(std::string path, OwnKeys ownKeys)
      : path_(std::move(path)), ownKeys_(std::move(ownKeys)) {}
  Result<std::unique_ptr<NetworkObject>> Create(std::string_view) override {
    return std::unique_ptr<NetworkObject>(std::make_unique<ProfileNetworkObject>(path_, ownKeys_));
  }

 private:
  std::string path_;
  OwnKeys ownKeys_;
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

Result<std::vector<std::pair<std::string, std::string>>> ReadConnectionProfileLines(
    const std::string& path) {
  auto content = ReadWholeFile(path);
  if (!content)
    return PlatformError{content.error().Number, "Cannot read the connection profile " + path +
                                                     ": " + content.error().Description};
  std::vector<std::pair<std::string, std::string>> out;
  const Profile profile = Profile::Parse(*content);
  for (const Line& line : profile.Lines())
    if (!line.Key.empty()) out.emplace_back(line.Key, line.Value);
  return out;
}

std::unique_ptr<NetworkObjectFactory> MakeConnectionProfile(std::string path,
                                                            std::vector<std::string> ownKeys) {
  return std::make_unique<ProfileFactory>(std::move(path), std::move(ownKeys));
}

Status CheckConnectionProfile(const std::string& path) {
  auto content = ReadWholeFile(path);
  if (!content) return CannotRead(path, content.error());
  Profile parsed = Profile::Parse(*content);
  if (parsed.BadLineCount() > 0)
    return BadLinesError(path, parsed.BadLines(), parsed.BadLineCount());
  return Status::Ok();
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
