// The code map (docs/ARCHITECTURE.md) names only paths that exist, so that
// it cannot go stale without a failing test.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "tests/support/Fakes.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;

const fs::path kRoot = VELLORAN_SOURCE_DIR;

// File names anywhere in the sources, for the names the map gives bare.
std::set<std::string> FileNamesInTree() {
  std::set<std::string> names;
  for (auto it = fs::recursive_directory_iterator(kRoot); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string name = it->path().filename().string();
    if (it->is_directory() && (name.starts_with("build") || name.starts_with("."))) {
      it.disable_recursion_pending();
      continue;
    }
    names.insert(name);
  }
  return names;
}

bool Names(const std::string& token, const std::set<std::string>& files) {
  if (token.find('/') == std::string::npos) return files.count(token) > 0;
  std::string path = token;
  while (path.ends_with('/')) path.pop_back();
  if (path.ends_with(".*")) {
    // "platform/CodePage.*": a file of that stem.
    const fs::path stem = kRoot / path.substr(0, path.size() - 2);
    for (const auto& entry : fs::directory_iterator(stem.parent_path())) {
      if (entry.path().stem() == stem.filename()) return true;
    }
    return false;
  }
  // Tests are named from tests/ and without their extension.
  for (const fs::path& candidate :
       {kRoot / path, kRoot / (path + ".cpp"), kRoot / "tests" / (path + ".cpp"),
        kRoot / "tests" / (path + ".h")}) {
    if (fs::exists(candidate)) return true;
  }
  return false;
}

TEST(ArchitectureMap, EveryPathItNamesExists) {
  const std::string map = test::ReadFile(kRoot / "docs/ARCHITECTURE.md");
  const std::set<std::string> files = FileNamesInTree();
  // A backticked word that is a path or a source file name.
  const std::regex path(R"(`([A-Za-z0-9_.\-/*]+)`)");
  int checked = 0;
  for (std::sregex_iterator it(map.begin(), map.end(), path), end; it != end; ++it) {
    const std::string token = (*it)[1];
    const bool isPath = token.find('/') != std::string::npos;
    const bool isFile = std::regex_match(token, std::regex(R"([A-Za-z0-9_\-]+\.(h|cpp|md|sh))"));
    if (!isPath && !isFile) continue;
    ++checked;
    EXPECT_TRUE(Names(token, files)) << "docs/ARCHITECTURE.md names " << token;
  }
  EXPECT_GT(checked, 50);
}

}  // namespace
}  // namespace velloran
