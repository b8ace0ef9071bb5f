// What the programs' help, the manual pages, the guide and the Windows README
// say about the environment, the options and the exit codes, held against
// what the code reads and against each other: one list, so that none of them
// can fall behind.

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
  const std::string guide = ReadFile(kSource / "docs/guide/engine.md");
  // The guide's table: the first column of each row.
  static const std::regex row("\n\\| `((VELLORAN_[A-Z0-9_]+)|CUPS_SERVER)` \\|");
  const std::map<std::string, Names> listed = {
      {"VelloranEngine --help",
       Variables(test::RunProcess(VELLORAN_ENGINE_PATH, {"--help"}).Stdout)},
      {"velloran --help", Variables(test::RunProcess(VELLORAN_TOOL_PATH, {"--help"}).Stdout)},
      {"VelloranEngine(8)", Variables(Section(ReadFile(kSource / "docs/man/VelloranEngine.8"),
                                              ".SH ENVIRONMENT", ".SH "))},
      {"velloran(1)",
       Variables(Section(ReadFile(kSource / "docs/man/velloran.1"), ".SH ENVIRONMENT", ".SH "))},
      {"docs/guide/engine.md", Matches(Section(guide, "## Environment variables", "## "), row, 1)},
  };
  for (const auto& [where, names] : listed) EXPECT_EQ(names, code) << where;

  // Windows clients have no CUPS; every other variable is said to work or not.
  // The Windows README may also name the variables of the test programs it tells
  // administrators to run (VELLORAN_TEST_*), which the programs never read.
  Names windows = code;
  windows.erase("CUPS_SERVER");
  windows.erase("VELLORAN_QUEUE_STATE");
  Names page = Variables(ReadFile(kSource / "packaging/README-windows.txt"));
  std::erase_if(page, [](const std::string& n) { return n.starts_with("VELLORAN_TEST_"); });
  EXPECT_EQ(page, windows);
}

using Codes = std::set<int>;

/// The exit codes a text gives: each digit that opens a clause ("Exit
/// status: 0 ..., 1 ...; 2 ..."), or an indented list item ("\n  1  ...").
Codes CodesOf(const std::string& text) {
  static const std::regex code("(^|[:;,])\\s+([0-9])\\b");
  // Two blanks after the digit tell an item from a wrapped line that happens
  // to start with a number.
  static const std::regex item("\n +([0-9])  ");
  Codes out;
  for (const auto& c : Matches(text, code, 2)) out.insert(std::stoi(c));
  for (const auto& c : Matches(text, item, 1)) out.insert(std::stoi(c));
  return out;
}

/// The "Exit status:" paragraph of a --help text.
std::string ExitStatusOf(const std::string& help) {
  const size_t from = help.find("Exit status:");
  if (from == std::string::npos) return "";
  const size_t to = help.find("\n\n", from);
  return help.substr(from + 11, to == std::string::npos ? std::string::npos : to - from - 11);
}

/// A manual page's EXIT STATUS: the codes of each ".TP" item, by the item's
/// tag when it names a command, else under "".
std::map<std::string, Codes> ManualCodes(const std::string& page) {
  std::string section = Section(page, ".SH EXIT STATUS", ".SH ");
  // The items end where the section's closing paragraph starts.
  if (const size_t pp = section.find("\n.PP"); pp != std::string::npos) section.resize(pp + 1);
  std::map<std::string, Codes> out;
  static const std::regex item(
      "\\.TP\n\\.B ([^\n]+)\n((?:[^.\n][^\n]*\n|\\.B[IR]? [^\n]*\n|\\.I [^\n]*\n)*)");
  for (std::sregex_iterator it(section.begin(), section.end(), item), end; it != end; ++it) {
    std::string tag = std::regex_replace((*it)[1].str(), std::regex("\\\\-"), "-");
    if (std::isdigit(static_cast<unsigned char>(tag[0])))
      out[""].insert(std::stoi(tag));
    else
      out[tag] = CodesOf(" " + (*it)[2].str());
  }
  return out;
}

TEST(Documentation, TheGuideTheManualPagesAndEachHelpGiveTheSameExitCodes) {
  // The guide's table: program, code, meaning.
  std::map<std::string, Codes> guide;
  const std::string page = ReadFile(kSource / "docs/guide/troubleshooting.md");
  static const std::regex row("\n\\| `([A-Za-z][A-Za-z -]*)` \\| ([0-9]) \\|");
  for (std::sregex_iterator it(page.begin(), page.end(), row), end; it != end; ++it)
    guide[(*it)[1].str()].insert(std::stoi((*it)[2].str()));
  ASSERT_TRUE(guide.count("VelloranEngine")) << "no exit code table in the guide";
  // The statuses ExitStatusTest gets from real runs of the engine.
  EXPECT_EQ(guide["VelloranEngine"], (Codes{0, 1, 2, 3}));

  const auto engineManual = ManualCodes(ReadFile(kSource / "docs/man/VelloranEngine.8"));
  const auto toolkitManual =
      ManualCodes(ReadFile(kSource / "docs/man/VelloranDeploymentToolkit.1"));
  const auto toolManual = ManualCodes(ReadFile(kSource / "docs/man/velloran.1"));
  std::map<std::string, std::map<std::string, Codes>> sources;
  sources["VelloranEngine"]["VelloranEngine(8)"] = engineManual.at("");
  sources["VelloranEngine"]["VelloranEngine --help"] =
      CodesOf(ExitStatusOf(test::RunProcess(VELLORAN_ENGINE_PATH, {"--help"}).Stdout));
  sources["VelloranDeploymentToolkit"]["VelloranDeploymentToolkit(1)"] = toolkitManual.at("");
  for (const auto& [command, codes] : toolManual) {
    const std::string name = "velloran " + command;
    sources[name]["velloran(1)"] = codes;
    sources[name][name + " --help"] =
        CodesOf(ExitStatusOf(test::RunProcess(VELLORAN_TOOL_PATH, {command, "--help"}).Stdout));
  }
  ASSERT_GE(toolManual.size(), 5u);
  for (const auto& [program, given] : sources)
    for (const auto& [where, codes] : given) {
      EXPECT_FALSE(codes.empty()) << where << " gives no exit code";
      EXPECT_EQ(codes, guide[program]) << where << " and the guide's table for " << program;
    }
  for (const auto& [program, codes] : guide)
    EXPECT_TRUE(sources.count(program))
        << "the guide gives exit codes of " << program << ", which no manual page knows";
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
  // The default connection profile is not there yet: the inventory fails.
  EXPECT_EQ(r.ExitCode, 1) << r.Stderr;
  EXPECT_TRUE(fs::exists(engine.Root() / "config/velloran/user.hive"));

  // A value that is not empty is checked.
  engine.Env["VELLORAN_LDAP_TIMEOUT"] = "soon";
  r = engine.Run();
  EXPECT_EQ(r.ExitCode, 2);
}

// What a Windows administrator reads (the archive's README and the help
// pages the toolkit opens) names only what the archive or Windows gives
// them, and tells the event source's registration one way.
TEST(Documentation, TheWindowsDocumentsNameOnlyWhatTheirReaderHas) {
  const std::string readme = ReadFile(kSource / "packaging/README-windows.txt");
  std::vector<std::pair<std::string, std::string>> documents = {{"README-windows.txt", readme}};
  for (const auto& entry : fs::directory_iterator(kSource / "docs/help"))
    if (entry.path().extension() == ".html")
      documents.emplace_back(entry.path().filename().string(), ReadFile(entry.path()));
  for (const auto& [name, text] : documents) {
    for (const char* foreign : {"source tree", "scripts/", "Recent", "/usr/"})
      EXPECT_EQ(text.find(foreign), std::string::npos) << name << " names " << foreign;
  }

  // Every example the README names goes into the archive.
  const std::string package = ReadFile(kSource / "scripts/package.sh");
  for (const auto& example : Matches(readme, std::regex("examples\\\\([a-z.-]+)"), 1))
    EXPECT_NE(package.find("examples/" + example + " "), std::string::npos) << example;

  // The registration: the README and the help give the same command.
  const std::string key =
      "reg add HKLM\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application"
      "\\Velloran /v EventMessageFile";
  EXPECT_NE(readme.find(key), std::string::npos);
  EXPECT_NE(ReadFile(kSource / "docs/help/event-log.html").find(key), std::string::npos);
  EXPECT_EQ(readme.find("The engine registers its event source"), std::string::npos);

  // Where the MDAC installers come from, and who needs none.
  for (const std::string& text : {readme, ReadFile(kSource / "docs/help/mdac.html")}) {
    EXPECT_NE(text.find("Windows 7 and later"), std::string::npos);
    EXPECT_NE(text.find("redistributable"), std::string::npos);
  }
}

}  // namespace
}  // namespace velloran
