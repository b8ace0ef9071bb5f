// Walking a share and reading each file into the builder.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "engine/modDebug.h"
#include "platform/CodePage.h"
#include "platform/Error.h"
#include "tools/FleetDetail.h"
#include "tools/FleetReport.h"

namespace velloran::fleet {

namespace {

namespace fs = std::filesystem;
using detail::EndsWithNoCase;
using detail::Upper;

// No engine writes a report or debug file anywhere near this; a bigger file
// on the share is no report and is not read into memory.
constexpr uint64_t kMaxReportBytes = 256u << 20;

/// A file of the share, read as untrusted: a link in its last component is
/// not followed, anything but a regular file (a FIFO would block, a device
/// never end) is left alone, and no more than `limit` bytes are taken.
struct Read {
  enum Kind { Ok, NotRegular, TooLarge, Failed } Result = Ok;
  std::string Bytes;
  std::string Error;
  int64_t When = 0;  ///< modification time, seconds since the epoch
};

Read ReadGuarded(const fs::path& path, uint64_t limit) {
  Read r;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    r.Result = errno == ELOOP ? Read::NotRegular : Read::Failed;
    r.Error = std::strerror(errno);
    return r;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    r.Result = Read::NotRegular;
    return r;
  }
  r.When = static_cast<int64_t>(st.st_mtim.tv_sec);
  if (static_cast<uint64_t>(st.st_size) > kMaxReportBytes) {
    ::close(fd);
    r.Result = Read::TooLarge;
    return r;
  }
  const uint64_t want = std::min<uint64_t>(limit, static_cast<uint64_t>(st.st_size));
  r.Bytes.resize(static_cast<size_t>(want) + 1);
  size_t used = 0;
  for (;;) {
    if (used == r.Bytes.size()) {
      // The file grew while it was read: a client is writing it.
      if (used > limit || used > kMaxReportBytes) break;
      r.Bytes.resize(std::min<uint64_t>(r.Bytes.size() * 2, kMaxReportBytes + 1));
    }
    const ssize_t n = ::read(fd, r.Bytes.data() + used, r.Bytes.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      r.Result = Read::Failed;
      r.Error = std::strerror(errno);
      break;
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  ::close(fd);
  if (r.Result == Read::Ok && used > kMaxReportBytes && limit >= kMaxReportBytes)
    r.Result = Read::TooLarge;
  r.Bytes.resize(std::min<size_t>(used, static_cast<size_t>(limit)));
  return r;
}

/// Whether `path` (canonical) lies inside `root` (canonical).
bool Inside(const fs::path& path, const fs::path& root) {
  auto [r, p] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
  return r == root.end();
}

/// Names and paths of the share as text: file names are bytes, and a name
/// that is no UTF-8 is read in the clients' code page.
std::string Shown(const fs::path& path) { return ReportTextToUtf8(path.string(), AnsiCodePage()); }

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

  // A link is followed only to a file inside the share (what it names is
  // read, not the link); a link out of the share, a FIFO, a socket or a
  // device is counted and left alone. Links to folders are not walked.
  struct Found {
    fs::path Path;  ///< as listed
    fs::path Open;  ///< what is read
    bool operator<(const Found& o) const { return Path < o.Path; }
  };
  std::vector<Found> files;
  std::error_code ec;
  const fs::path root = fs::canonical(share, ec);
  fs::recursive_directory_iterator it(share, fs::directory_options::skip_permission_denied, ec);
  if (ec) {
    builder.AddProblem(share, ec.message());
    return builder.Finish();
  }
  for (auto end = fs::recursive_directory_iterator(); it != end; it.increment(ec)) {
    if (ec) {
      builder.AddProblem(Shown(it->path()), ec.message());
      break;
    }
    std::error_code typeEc;
    const fs::file_status status = it->symlink_status(typeEc);
    if (fs::is_directory(status)) continue;
    if (fs::is_regular_file(status)) {
      files.push_back({it->path(), it->path()});
      continue;
    }
    if (fs::is_symlink(status)) {
      std::error_code linkEc;
      const fs::path target = fs::canonical(it->path(), linkEc);
      if (!linkEc && !Inside(target, root)) {
        builder.CountSkipped(SkipReason::LinkLeavingShare);
        continue;
      }
      if (!linkEc && fs::is_regular_file(fs::symlink_status(target, linkEc))) {
        files.push_back({it->path(), target});
        continue;
      }
    }
    builder.CountSkipped(SkipReason::NotRegularFile);
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
  for (const auto& [path, open] : files) {
    if (options.Progress) options.Progress(done, files.size(), options.ProgressContext);
    ++done;
    const std::string name = Shown(path.filename());
    NameInfo info = ClassifyName(name);
    if (info.kind == NameInfo::Other && IsDeploymentFile(name)) {
      builder.CountFile(NameInfo::Other);
      continue;
    }
    // Any other file of the share (installers, archives, notes) is only
    // read whole when it begins as a report.
    Read read = ReadGuarded(open, info.kind == NameInfo::Other ? 256 : kMaxReportBytes);
    if (read.Result == Read::Ok && info.kind == NameInfo::Other) {
      if (!StartsLikeOutcome(read.Bytes)) {
        builder.CountFile(NameInfo::Other);
        continue;
      }
      read = ReadGuarded(open, kMaxReportBytes);
    }
    if (read.Result == Read::NotRegular) {
      builder.CountSkipped(SkipReason::NotRegularFile);
      continue;
    }
    if (read.Result == Read::TooLarge) {
      builder.AddProblem(Shown(path), "larger than " + std::to_string(kMaxReportBytes >> 20) +
                                          " MiB, more than any engine writes: not read");
      continue;
    }
    if (read.Result == Read::Failed) {
      builder.AddProblem(Shown(path), "cannot be read: " + read.Error);
      continue;
    }
    const std::string& bytes = read.Bytes;
    const int64_t when = read.When;
    if (info.kind == NameInfo::Debug) {
      auto text = DecodeDebugBytes(Bytes(bytes.begin(), bytes.end()));
      if (!text) {
        builder.AddProblem(Shown(path), text.error().Description);
        continue;
      }
      builder.CountFile(info.kind);
      knownComputers.insert(Upper(info.Computer));
      if (std::string why = DebugTextCutShort(*text); !why.empty()) {
        builder.AddProblem(Shown(path), "cut short: " + why);
        RunReport cut;
        cut.Result = Outcome::Incomplete;
        builder.Add(info.Computer, Source::DebugFile, when, std::move(cut));
        continue;
      }
      builder.Add(info.Computer, Source::DebugFile, when, ParseDebugText(*text));
      continue;
    }
    // Outcome files are written in the clients' ANSI code page.
    ParsedOutcomeFile parsed = ParseOutcomeText(ReportTextToUtf8(bytes, AnsiCodePage()));
    if (info.kind == NameInfo::Other) {
      if (!parsed.LooksLikeOutcome) {
        builder.CountFile(NameInfo::Other);
        continue;
      }
      if (!parsed.Problem.empty()) {
        builder.AddProblem(Shown(path), parsed.Problem);
        continue;
      }
      builder.CountFile(NameInfo::Output);
      unnamed.push_back({path, when, std::move(parsed.Runs)});
      continue;
    }
    if (!parsed.Problem.empty()) {
      builder.AddProblem(Shown(path), parsed.Problem);
      continue;
    }
    builder.CountFile(info.kind);
    knownComputers.insert(Upper(info.Computer));
    for (auto& run : parsed.Runs) {
      // The file name was decided by the same run: trust it where the text
      // is silent.
      builder.Add(info.Computer,
                  info.kind == NameInfo::EmailBackup ? Source::EmailBackup : Source::OutputFile,
                  when, std::move(run));
    }
  }
  if (options.Progress) options.Progress(files.size(), files.size(), options.ProgressContext);

  std::map<std::string, int> suffixes;
  for (const auto& u : unnamed) {
    std::string name = Shown(u.Path.filename());
    size_t bar = name.find('_');
    if (bar != std::string::npos && bar > 0) ++suffixes[Upper(name.substr(bar + 1))];
  }
  for (auto& u : unnamed) {
    std::string name = Shown(u.Path.filename());
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
