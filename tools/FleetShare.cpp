// Walking a share and reading each file into the builder.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
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
    ParsedOutcomeFile parsed = ParseOutcomeText(ReportTextToUtf8(*bytes, AnsiCodePage()));
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
                  info.kind == NameInfo::EmailBackup ? Source::EmailBackup : Source::OutputFile,
                  when, std::move(run));
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
