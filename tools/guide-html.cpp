// velloran-guide-html: the guide's pages as HTML for the Windows zip
// (scripts/package.sh). Links to what the zip does not carry keep their text.

#include <filesystem>
#include <iostream>
#include <set>
#include <string>

#include "platform/AtomicFile.h"
#include "tools/GuideHtml.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "Usage: velloran-guide-html OUTDIR PAGE.md...\n"
                 "Writes OUTDIR/PAGE.html for each page. A relative link is kept when its\n"
                 "target is one of the pages or exists below OUTDIR's folder as it will\n"
                 "be shipped (help pages, screenshots); otherwise its text stays.\n";
    return 2;
  }
  const fs::path out = argv[1];
  std::set<std::string> pages;
  for (int i = 2; i < argc; ++i) pages.insert(fs::path(argv[i]).stem().string() + ".html");
  const auto shipped = [&](const std::string& target) {
    if (pages.count(target)) return true;
    std::error_code ec;
    return fs::exists(out / target, ec);
  };
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    auto markdown = velloran::ReadWholeFile(argv[i]);
    if (!markdown) {
      std::cerr << "velloran-guide-html: " << argv[i] << ": " << markdown.error().Description
                << "\n";
      status = 1;
      continue;
    }
    const fs::path target = out / (fs::path(argv[i]).stem().string() + ".html");
    const velloran::Status written =
        velloran::WriteFileAtomically(target.string(), velloran::GuidePageHtml(*markdown, shipped));
    if (!written.ok()) {
      std::cerr << "velloran-guide-html: " << target.string() << ": " << written.error().Description
                << "\n";
      status = 1;
    }
  }
  return status;
}
