#include "tools/Summary.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "platform/AtomicFile.h"
#include "platform/Console.h"
#include "platform/FolderTree.h"
#include "platform/NetworkFolder.h"
#include "tools/FleetReport.h"

namespace velloran {

const char* const kSummaryUsage =
    "Usage: velloran summary SHARE [--computers FILE] [--old-server NAME]...\n"
    "                        [--csv|--json|--html FILE] [--no-progress]\n"
    "\n"
    "Reads the output files, e-mail back-up files and debug files that the engines\n"
#ifdef _WIN32
    "left in SHARE (a folder or a UNC path \\\\server\\share\\dir, and its subfolders)\n"
#else
    "left in SHARE (and its subfolders; a UNC path is read through its CIFS mount)\n"
#endif
    "and prints a fleet report: computers migrated, failed, held back by a driver and\n"
    "not yet seen, the failures grouped by cause, the drivers to install (the\n"
    "computers each one holds back) and the printers still on old servers. Nothing\n"
    "in SHARE is changed; a damaged or half-written file is reported and skipped.\n"
    "\n"
    "Options:\n"
    "  --computers FILE   the computers that should run the engine, one name a line\n"
    "                     (# starts a comment); those never seen are listed\n"
    "  --old-server NAME  count NAME as an old server even if no printer has been\n"
    "                     moved away from it yet (servers printers were moved away\n"
    "                     from count anyway)\n"
    "  --csv              one line per computer, for spreadsheets\n"
    "  --json             everything, for tools\n"
    "  --html FILE        one page to open in any browser, offline: the counts, a\n"
    "                     chart of computers migrated per day, the causes, the\n"
    "                     drivers and every computer in a table one can sort;\n"
    "                     written to FILE whole or not at all (- for standard output)\n"
    "  --no-progress      no progress bar, even on a terminal\n"
    "\n"
    "Exit status: 0 no computer failed (with --computers: and all were seen);\n"
    "1 some failed, were held back by a driver, were not seen or left a debug file\n"
    "cut short; 2 bad arguments, SHARE cannot be read or the page cannot be written.\n";

namespace {

namespace fs = std::filesystem;

int Usage(const std::string& message) {
  std::cerr << "velloran summary: " << message << "\n\n" << kSummaryUsage;
  return 2;
}

struct ProgressBar {
  std::chrono::steady_clock::time_point last{};
  bool drawn = false;
};

void DrawProgress(size_t done, size_t total, void* context) {
  auto* bar = static_cast<ProgressBar*>(context);
  auto now = std::chrono::steady_clock::now();
  if (done != total && now - bar->last < std::chrono::milliseconds(100)) return;
  bar->last = now;
  constexpr int kWidth = 40;
  int filled = total ? static_cast<int>(done * kWidth / total) : kWidth;
  std::fprintf(stderr, "\rReading %zu/%zu files [%.*s%*s]", done, total, filled,
               "########################################", kWidth - filled, "");
  if (done == total) std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  bar->drawn = true;
}

}  // namespace

int Summary(const std::vector<std::string>& args) {
  std::string share, computers;
  enum { Table, Csv, Json, Html } format = Table;
  std::string page;
  bool progress = true;
  fleet::ReadOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::cout << kSummaryUsage;
      return 0;
    } else if (a == "--computers" || a == "--old-server") {
      if (i + 1 >= args.size()) return Usage(a + " expects a value");
      if (a == "--computers")
        computers = args[++i];
      else
        options.OldServers.push_back(args[++i]);
    } else if (a == "--csv" || a == "--json" || a == "--html") {
      if (format != Table) return Usage("--csv, --json and --html exclude each other");
      format = a == "--csv" ? Csv : a == "--json" ? Json : Html;
      if (format == Html) {
        if (i + 1 >= args.size() || args[i + 1].empty()) return Usage("--html expects a FILE");
        page = args[++i];
      }
    } else if (a == "--no-progress") {
      progress = false;
    } else if (share.empty() && !a.starts_with("--")) {
      share = a;
    } else {
      return Usage("unexpected argument \"" + a + "\"");
    }
  }
  if (share.empty()) return Usage("expects a SHARE folder");
  // The share as the clients name it (\\server\share\dir) is read through
  // its CIFS mount on this machine.
  const std::string local = LocalFolderPath(share);
  if (kUNCPathsNeedMount && share.starts_with("\\\\") && local == share) {
    std::cerr << "velloran summary: " << share
              << " is not mounted here: mount the share (mount -t cifs) first, or give the folder "
                 "it is mounted on\n";
    return 2;
  }
  std::error_code ec;
  if (!fs::is_directory(PathFromText(local), ec)) {
    std::cerr << "velloran summary: " << share << " is not a folder that can be read\n";
    return 2;
  }
  if (!computers.empty()) {
    auto list = ReadWholeFile(computers);
    if (!list) {
      std::cerr << "velloran summary: cannot read " << computers << ": " << list.error().Description
                << "\n";
      return 2;
    }
    std::istringstream in(*list);
    options.HaveComputerList = true;
    for (std::string line; std::getline(in, line);) {
      // A list saved by a Windows editor may start with a byte-order mark.
      if (options.Computers.empty() && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
      const auto first = line.find_first_not_of(" \t\r");
      if (first == std::string::npos || line[first] == '#') continue;
      const auto last = line.find_last_not_of(" \t\r");
      options.Computers.push_back(line.substr(first, last - first + 1));
    }
  }

  ProgressBar bar;
  if (progress && IsTerminal(StandardStream::Error)) {
    options.Progress = DrawProgress;
    options.ProgressContext = &bar;
  }
  fleet::FleetSummary summary = fleet::ReadShare(local, options);
  summary.Share = share;
  switch (format) {
    case Table:
      std::cout << fleet::RenderTable(summary);
      break;
    case Csv:
      std::cout << fleet::RenderCsv(summary);
      break;
    case Json:
      std::cout << fleet::RenderJson(summary);
      break;
    case Html:
      if (page == "-") {
        std::cout << fleet::RenderHtml(summary);
        break;
      }
      // Whole or not at all: the page may be open in a browser or served
      // from the share while it is written again.
      if (Status written = WriteFileAtomically(page, fleet::RenderHtml(summary)); !written.ok()) {
        std::cerr << "velloran summary: cannot write " << page << ": "
                  << written.error().Description << "\n";
        return 2;
      }
      break;
  }
  std::cout.flush();
  if (!std::cout) return 2;
  // A computer whose latest account was cut short is not known to be done.
  return summary.Count(fleet::Outcome::Failed) > 0 || summary.Count(fleet::Outcome::HeldBack) > 0 ||
                 summary.Count(fleet::Outcome::Incomplete) > 0 || !summary.NotSeen.empty()
             ? 1
             : 0;
}

}  // namespace velloran
