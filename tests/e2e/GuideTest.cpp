// The README and the guide pages as a reader meets them: the commands marked
// runnable run as written, and every link leads somewhere.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "tests/support/EngineProcess.h"
#include "tools/GuideHtml.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

const fs::path kSource = VELLORAN_SOURCE_DIR;

/// The README and every page of the guide, as paths below the source tree.
std::vector<fs::path> Pages() {
  std::vector<fs::path> pages = {"README.md"};
  for (const auto& entry : fs::directory_iterator(kSource / "docs/guide"))
    if (entry.path().extension() == ".md") pages.push_back(fs::relative(entry.path(), kSource));
  std::sort(pages.begin(), pages.end());
  return pages;
}

struct Block {
  fs::path Page;
  int Line = 0;  // of the opening fence
  std::string Info, Text;
};

struct Parsed {
  std::vector<Block> Blocks;
  /// The page's lines outside fenced blocks, with their line numbers.
  std::vector<std::pair<int, std::string>> Prose;
};

Parsed Parse(const fs::path& page) {
  Parsed out;
  std::istringstream in(ReadFile(kSource / page));
  std::optional<Block> open;
  size_t fenceIndent = 0;
  int n = 0;
  for (std::string line; std::getline(in, line);) {
    ++n;
    // Fences may be indented inside a list item.
    const size_t indent = line.find_first_not_of(' ');
    const bool fence = indent != std::string::npos && line.compare(indent, 3, "```") == 0;
    if (open && fence) {
      out.Blocks.push_back(*open);
      open.reset();
    } else if (fence) {
      open = Block{page, n, line.substr(indent + 3), ""};
      fenceIndent = indent;
    } else if (open) {
      // A block inside a list item is indented as deep as its fence.
      const size_t strip =
          indent == std::string::npos ? line.size() : std::min(indent, fenceIndent);
      open->Text += line.substr(strip) + "\n";
    } else {
      out.Prose.emplace_back(n, line);
    }
  }
  EXPECT_FALSE(open) << page << ":" << (open ? open->Line : 0) << ": a fence is never closed";
  return out;
}

TEST(Guide, EveryRunnableBlockRunsAsWrittenInAnEmptyFolder) {
  const char* path = std::getenv("PATH");
  const std::string programs = fs::path(VELLORAN_ENGINE_PATH).parent_path().string() + ":" +
                               fs::path(VELLORAN_TOOL_PATH).parent_path().string() + ":" +
                               (path ? path : "/usr/bin:/bin");
  int runnable = 0;
  for (const auto& page : Pages())
    for (const Block& block : Parse(page).Blocks) {
      if (block.Info != "sh runnable") {
        // A marker misspelt would leave a block untested without a word.
        EXPECT_EQ(block.Info.find("runnable"), std::string::npos)
            << block.Page << ":" << block.Line << ": unknown marker \"" << block.Info << "\"";
        continue;
      }
      ++runnable;
      SCOPED_TRACE(block.Page.string() + ":" + std::to_string(block.Line));
      test::TempDir scratch;
      test::WriteFile(scratch.path() / ".block.sh", block.Text);
      // Nothing of the tester's own home or display is used or changed.
      auto r =
          test::RunProcess("/bin/sh", {"-eu", ".block.sh"},
                           {{"PATH", programs},
                            {"HOME", scratch.path().string()},
                            {"XDG_STATE_HOME", (scratch.path() / ".state").string()},
                            {"XDG_CONFIG_HOME", (scratch.path() / ".config").string()}},
                           scratch.path().string(),
                           {"DISPLAY", "WAYLAND_DISPLAY", "CUPS_SERVER", "LDAPCONF", "LDAPURI"});
      EXPECT_EQ(r.ExitCode, 0) << block.Text << "--- stdout:\n"
                               << r.Stdout << "--- stderr:\n"
                               << r.Stderr;
    }
  // The pages promise runnable examples; a parser that finds none is broken.
  EXPECT_GE(runnable, 3);
}

/// The anchors of a page's headings, as GitHub and the zip's HTML pages
/// give them; a repeated one gets "-1", "-2", ...
std::set<std::string> Anchors(const fs::path& page) {
  std::set<std::string> anchors;
  std::map<std::string, int> seen;
  for (const auto& [n, line] : Parse(page).Prose) {
    const size_t text = line.find_first_not_of('#');
    if (text == 0 || text == std::string::npos || line[text] != ' ') continue;
    const std::string slug = HeadingAnchor(line.substr(text + 1));
    const int count = seen[slug]++;
    anchors.insert(count ? slug + "-" + std::to_string(count) : slug);
  }
  return anchors;
}

/// Links of a line of prose, outside inline code: [text](target) and
/// ![alt](target). `code` carries a code span on to the paragraph's next
/// line; a blank line ends it.
std::vector<std::string> Links(const std::string& line, bool& code) {
  if (line.find_first_not_of(' ') == std::string::npos) code = false;
  std::string prose;
  for (char c : line) {
    if (c == '`') code = !code;
    prose += code ? ' ' : c;
  }
  static const std::regex link(R"(\]\(([^)\s]+)\))");
  std::vector<std::string> out;
  for (std::sregex_iterator it(prose.begin(), prose.end(), link), end; it != end; ++it)
    out.push_back((*it)[1].str());
  return out;
}

TEST(Guide, EveryLinkLeadsToAFileAndAnchorThatExist) {
  const fs::path root = fs::weakly_canonical(kSource);
  std::set<fs::path> linked;
  for (const auto& page : Pages()) {
    bool code = false;
    for (const auto& [n, line] : Parse(page).Prose)
      for (const std::string& link : Links(line, code)) {
        const std::string where = page.string() + ":" + std::to_string(n) + ": " + link;
        if (link.starts_with("https://") || link.starts_with("http://")) continue;
        const size_t hash = link.find('#');
        const std::string file = link.substr(0, hash);
        const fs::path target = fs::weakly_canonical(
            file.empty() ? kSource / page : kSource / page.parent_path() / file);
        const auto inside = fs::relative(target, root);
        EXPECT_FALSE(inside.empty() || inside.begin()->string() == "..")
            << where << " leaves the source tree";
        EXPECT_TRUE(fs::exists(target)) << where << " names nothing";
        if (!fs::exists(target)) continue;
        linked.insert(fs::relative(target, root));
        if (hash == std::string::npos) continue;
        const std::string anchor = link.substr(hash + 1);
        if (target.extension() == ".md") {
          EXPECT_TRUE(Anchors(fs::relative(target, root)).count(anchor))
              << where << ": no such heading";
        } else {
          EXPECT_NE(ReadFile(target).find("id=\"" + anchor + "\""), std::string::npos)
              << where << ": no such id";
        }
      }
  }
  // Every page can be reached from the README through the guide's index.
  EXPECT_TRUE(linked.count("docs/guide/index.md"));
  for (const auto& page : Pages()) {
    if (page == "README.md") continue;
    EXPECT_TRUE(linked.count(page)) << page << " is linked from nowhere";
  }
}

TEST(Guide, TheWindowsReadmeNamesPagesTheZipCarries) {
  // The zip carries the guide as guide\PAGE.html beside README.txt.
  const std::string text = ReadFile(kSource / "packaging/README-windows.txt");
  static const std::regex named(R"(guide\\([a-z-]+)\.html)");
  int names = 0;
  for (std::sregex_iterator it(text.begin(), text.end(), named), end; it != end; ++it, ++names)
    EXPECT_TRUE(fs::exists(kSource / "docs/guide" / ((*it)[1].str() + ".md"))) << (*it)[0];
  EXPECT_GE(names, 3);
}

}  // namespace
}  // namespace velloran
