// Walking a share and reading each file into the builder.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <type_traits>

#include "engine/modDebug.h"
#include "platform/CodePage.h"
#include "platform/Error.h"
#include "platform/FolderTree.h"
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

// Files that a deployment puts on the share beside the reports.
bool IsDeploymentFile(std::string_view name) {
  for (const char* ext : {".exe", ".ini", ".html", ".htm", ".bat", ".cmd", ".dll", ".hlp"})
    if (EndsWithNoCase(name, ext)) return true;
  return false;
}

// A file's name as UTF-8, without taking its path apart into components:
// the walk gives full paths, and there are as many as there are files.
std::string FileName(const fs::path& path) {
#ifdef _WIN32
  return PathText(path.filename());
#else
  // As PathText reads a name: its bytes, in the INI code page when they
  // are no UTF-8.
  const std::string& text = path.native();
  const size_t slash = text.rfind('/');
  const std::string_view name = slash == std::string::npos
                                    ? std::string_view(text)
                                    : std::string_view(text).substr(slash + 1);
  return IsValidUtf8(name) ? std::string(name) : AnsiToUtf8(name);
#endif
}

}  // namespace

FleetSummary ReadShare(const std::string& share, const ReadOptions& options) {
  FleetBuilder builder(share);
  if (options.HaveComputerList) builder.SetComputerList(options.Computers);
  for (const auto& s : options.OldServers) builder.AddOldServer(s);

  // A link is followed only to a file inside the share (what it names is
  // read, not the link); a link out of the share, a FIFO, a socket or a
  // device is counted and left alone. Links to folders are not walked.
  FolderTree tree = ListFolderTree(PathFromText(share));
  if (tree.Stopped && tree.Stopped->AtRoot) {
    builder.AddProblem(share, tree.Stopped->Reason);
    return builder.Finish();
  }
  // A folder left out is named, so that a count missing its computers
  // never passes for the whole share.
  for (const auto& unread : tree.Unread) builder.AddProblem(unread.Path, unread.Reason);
  for (size_t i = 0; i < tree.LinksLeaving; ++i) builder.CountSkipped(SkipReason::LinkLeavingShare);
  for (size_t i = 0; i < tree.NotRegular; ++i) builder.CountSkipped(SkipReason::NotRegularFile);
  std::vector<FolderTree::File>& files = tree.Files;
  // The order of paths, component by component, from their bytes: a
  // separator sorts before any character of a name, as the path's own
  // comparison has it, at a fraction of its cost on a large share.
  std::sort(files.begin(), files.end(), [](const FolderTree::File& a, const FolderTree::File& b) {
    const auto& x = a.Path.native();
    const auto& y = b.Path.native();
    const auto [i, j] = std::mismatch(x.begin(), x.end(), y.begin(), y.end());
    if (j == y.end()) return false;
    if (i == x.end()) return true;
    const auto rank = [](auto c) -> long {
      if (c == fs::path::preferred_separator || c == '/') return -1;
      return static_cast<long>(static_cast<std::make_unsigned_t<decltype(c)>>(c));
    };
    return rank(*i) < rank(*j);
  });

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
    const std::string name = FileName(path);
    NameInfo info = ClassifyName(name);
    if (info.kind == NameInfo::Other && IsDeploymentFile(name)) {
      builder.CountFile(NameInfo::Other);
      continue;
    }
    // Any other file of the share (installers, archives, notes) is only
    // read whole when it begins as a report.
    UntrustedRead read = ReadUntrustedFile(
        open, tree.Root, info.kind == NameInfo::Other ? 256 : kMaxReportBytes, kMaxReportBytes);
    if (read.Result == UntrustedRead::Ok && info.kind == NameInfo::Other) {
      if (!StartsLikeOutcome(read.Bytes)) {
        builder.CountFile(NameInfo::Other);
        continue;
      }
      read = ReadUntrustedFile(open, tree.Root, kMaxReportBytes, kMaxReportBytes);
    }
    if (read.Result == UntrustedRead::Outside) {
      builder.CountSkipped(SkipReason::LinkLeavingShare);
      continue;
    }
    if (read.Result == UntrustedRead::NotRegular) {
      builder.CountSkipped(SkipReason::NotRegularFile);
      continue;
    }
    if (read.Result == UntrustedRead::TooLarge) {
      builder.AddProblem(PathText(path), "larger than " + std::to_string(kMaxReportBytes >> 20) +
                                             " MiB, more than any engine writes: not read");
      continue;
    }
    if (read.Result == UntrustedRead::Failed) {
      builder.AddProblem(PathText(path), "cannot be read: " + read.Error);
      continue;
    }
    const std::string& bytes = read.Bytes;
    const int64_t when = read.When;
    if (info.kind == NameInfo::Debug) {
      auto text = DecodeDebugBytes(std::string_view(bytes));
      if (!text) {
        builder.AddProblem(PathText(path), text.error().Description);
        continue;
      }
      builder.CountFile(info.kind);
      knownComputers.insert(Upper(info.Computer));
      if (std::string why = DebugTextCutShort(*text); !why.empty()) {
        builder.AddProblem(PathText(path), "cut short: " + why);
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
        builder.AddProblem(PathText(path), parsed.Problem);
        continue;
      }
      builder.CountFile(NameInfo::Output);
      unnamed.push_back({path, when, std::move(parsed.Runs)});
      continue;
    }
    if (!parsed.Problem.empty()) {
      builder.AddProblem(PathText(path), parsed.Problem);
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

  // A part after "_" that files of several prefixes share names their
  // computers. The same shared file in two folders of the share is still
  // one name: only different prefixes count.
  std::map<std::string, std::set<std::string>> suffixes;
  for (const auto& u : unnamed) {
    std::string name = PathText(u.Path.filename());
    size_t bar = name.find('_');
    if (bar != std::string::npos && bar > 0)
      suffixes[Upper(name.substr(bar + 1))].insert(Upper(name.substr(0, bar)));
  }
  for (auto& u : unnamed) {
    std::string name = PathText(u.Path.filename());
    size_t bar = name.find('_');
    std::string computer;
    if (bar != std::string::npos && bar > 0 && bar + 1 < name.size()) {
      std::string prefix = name.substr(0, bar);
      if (knownComputers.count(Upper(prefix)) || suffixes[Upper(name.substr(bar + 1))].size() > 1)
        computer = prefix;
    }
    for (auto& run : u.Runs) builder.Add(computer, Source::OutputFile, u.When, std::move(run));
  }
  return builder.Finish();
}

}  // namespace velloran::fleet
