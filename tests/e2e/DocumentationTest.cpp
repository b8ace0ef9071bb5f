// What the programs' help, the manual pages and the READMEs say about the
// environment and the options, held against what the code reads: one list,
// so that none of them can fall behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "tests/support/EngineProcess.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using Names = std::set<std::string>;

const fs::path kSource = VELLORAN_SOURCE_DIR;

Names Matches(const std::string& text, const std::regex& pattern, int group = 0) {
  Names out;
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
    out.insert((*it)[group].str());
  return out;
}

Names Variables(const std::string& text) {
  static const std::regex name("\\b(VELLORAN_[A-Z0-9_]+|CUPS_SERVER)\\b");
  return Matches(text, name);
}

/// The text from the line that starts with `heading` to the next line that
/// starts with `next` (or the end).
std::string Section(const std::string& text, const std::string& heading, const std::string& next) {
  size_t from = text.find("\n" + heading);
  if (from == std::string::npos) return "";
  size_t to = text.find("\n" + next, from + 1 + heading.size());
  return text.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

/// Every variable the programs read: the names the sources look up, and
/// the one CUPS reads for them.
Names VariablesTheCodeReads() {
  static const std::regex lookup("\"(VELLORAN_[A-Z0-9_]+)\"");
  Names names = {"CUPS_SERVER"};
  for (const char* folder : {"common", "engine", "platform", "tools", "toolkit"})
    for (const auto& entry : fs::recursive_directory_iterator(kSource / folder)) {
      const auto ext = entry.path().extension();
      if (entry.is_regular_file() && (ext == ".cpp" || ext == ".h"))
        for (const auto& name : Matches(ReadFile(entry.path()), lookup, 1)) names.insert(name);
    }
  return names;
}

TEST(Documentation, EveryHelpAndPageListsExactlyTheVariablesTheCodeReads) {
  const Names code = VariablesTheCodeReads();
  ASSERT_TRUE(code.count("VELLORAN_LDAP_TIMEOUT") && code.count("VELLORAN_CODEPAGE"));
  const std::string readme = ReadFile(kSource / "README.md");
  // The README's table: the first column of each row.
  static const std::regex row("\n\\| `((VELLORAN_[A-Z0-9_]+)|CUPS_SERVER)` \\|");
  const std::map<std::string, Names> listed = {
      {"VelloranEngine --help",
       Variables(test::RunProcess(VELLORAN_ENGINE_PATH, {"--help"}).Stdout)},
      {"velloran --help", Variables(test::RunProcess(VELLORAN_TOOL_PATH, {"--help"}).Stdout)},
      {"VelloranEngine(8)", Variables(Section(ReadFile(kSource / "docs/man/VelloranEngine.8"),
                                              ".SH ENVIRONMENT", ".SH "))},
      {"velloran(1)",
       Variables(Section(ReadFile(kSource / "docs/man/velloran.1"), ".SH ENVIRONMENT", ".SH "))},
      {"README.md", Matches(Section(readme, "## Environment variables", "### "), row, 1)},
  };
  for (const auto& [where, names] : listed) EXPECT_EQ(names, code) << where;

  // Windows clients have no CUPS; every other variable is said to work or not.
  // The README may also name the variables of the test programs it tells
  // administrators to run (VELLORAN_TEST_*), which the programs never read.
  Names windows = code;
  windows.erase("CUPS_SERVER");
  windows.erase("VELLORAN_QUEUE_STATE");
  Names page = Variables(ReadFile(kSource / "packaging/README-windows.txt"));
  std::erase_if(page, [](const std::string& n) { return n.starts_with("VELLORAN_TEST_"); });
  EXPECT_EQ(page, windows);
}

TEST(Documentation, TheCommandsHelpNamesEveryOptionOfEachCommand) {
  static const std::regex option("--[a-z][a-z-]*");
  const Names overview = Matches(test::RunProcess(VELLORAN_TOOL_PATH, {"--help"}).Stdout, option);
  for (const char* command : {"decode-debug", "what-if", "summary", "install-drivers"}) {
    SCOPED_TRACE(command);
    auto help = test::RunProcess(VELLORAN_TOOL_PATH, {command, "--help"});
    ASSERT_EQ(help.ExitCode, 0);
    for (const auto& name : Matches(help.Stdout, option))
      EXPECT_TRUE(overview.count(name)) << name << " is missing from velloran --help";
  }
}

TEST(Documentation, EveryVariableLeftEmptyMeansItsDefault) {
  // What the root wrapper does for the values it leaves to the engine.
  test::EngineFolder engine{VELLORAN_ENGINE_PATH};
  if (engine.Windows()) GTEST_SKIP() << "the defaults checked here are Linux ones";
  for (const auto& name : VariablesTheCodeReads()) engine.Env[name] = "";
  engine.Env["XDG_STATE_HOME"] = (engine.Root() / "state").string();
  engine.Env["XDG_CONFIG_HOME"] = (engine.Root() / "config").string();
  test::WriteFile(engine.Folder() / "move.ini", "[GENERAL]\r\nAlwaysRun=False\r\n");
  auto r = engine.Run();
  EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
  EXPECT_TRUE(fs::exists(engine.Root() / "config/velloran/user.hive"));

  // A value that is not empty is checked.
  engine.Env["VELLORAN_LDAP_TIMEOUT"] = "soon";
  r = engine.Run();
  EXPECT_EQ(r.ExitCode, 2);
}

}  // namespace
}  // namespace velloran
