// velloran decode-debug on what administrators hand it: debug files, and
// whatever else a path can name.

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "engine/modDebug.h"
#include "tests/support/EngineProcess.h"

namespace velloran {
namespace {

// Debug files as the engine writes them: a whole run, and one whose INI
// file switched the log off after the opening lines.
struct DebugFiles : ::testing::Test {
  test::EngineFolder engine{VELLORAN_ENGINE_PATH};
  test::TempDir dir;

  std::filesystem::path Written(const std::string& computer, bool debugOn) {
    const auto ini = engine.Folder() / "Printers.ini";
    test::WriteFile(ini,
                    "[GENERAL]\r\nUseManualDefinitions=True\r\nAlwaysRun=True\r\n"
                    "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLD\r\nToServers=NEW\r\n"
                    "[SUPPORT]\r\nDebugOn=" +
                        std::string(debugOn ? "True" : "False") + "\r\n");
    test::WriteFile(engine.Connections(),
                    "computer: " + computer + "\nconnection: \\\\OLD\\Q\nshare: \\\\NEW\\Q\n");
    auto r = engine.Run({ini.string()});
    EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
    return engine.Folder() / (computer + ".debug");
  }
  test::ProcessResult Decode(const std::string& path) {
    return test::RunProcess(VELLORAN_TOOL_PATH, {"decode-debug", path});
  }
};

TEST_F(DebugFiles, WholeFilesDecodeAndCutOnesAreReportedAsCutShort) {
  const auto whole = Written("PC01", true);
  const std::string bytes = test::ReadFile(whole);
  auto decoded = Decode(whole.string());
  EXPECT_EQ(decoded.ExitCode, 0) << decoded.Stderr;
  EXPECT_EQ(decoded.Stdout, engine.DebugText("PC01"));
  EXPECT_EQ(decoded.Stderr, "");
  auto quiet = Decode(Written("PC02", false).string());
  EXPECT_EQ(quiet.ExitCode, 0) << quiet.Stderr;
  // An INI file that cannot be read ends the log after the opening too.
  test::WriteFile(engine.Connections(), "computer: PC03\n");
  ASSERT_EQ(engine.Run({(dir / "absent.ini").string()}).ExitCode, 3);
  auto unread = Decode((engine.Folder() / "PC03.debug").string());
  EXPECT_EQ(unread.ExitCode, 0) << unread.Stderr << unread.Stdout;

  // A copy that stopped part-way decodes to its start joined to its end:
  // it must not pass for the run's whole log, wherever the cut falls. The
  // readers' test at every length first, then the command at a few.
  for (size_t keep = 0; keep < bytes.size(); keep += 2) {
    auto text = DecodeDebugBytes(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(keep)));
    EXPECT_TRUE(!text.ok() || !DebugTextCutShort(*text).empty())
        << "passes for whole: " << keep << " of " << bytes.size() << " bytes";
  }
  for (size_t keep : {bytes.size() * 2 / 3, bytes.size() / 2, bytes.size() / 4, size_t{64}}) {
    keep -= keep % 2;
    const auto cut = dir / ("cut" + std::to_string(keep) + ".debug");
    test::WriteFile(cut, bytes.substr(0, keep));
    auto r = Decode(cut.string());
    EXPECT_EQ(r.ExitCode, 1) << keep << " of " << bytes.size() << " bytes:\n" << r.Stdout;
    EXPECT_TRUE(r.Stderr.starts_with("velloran decode-debug: " + cut.string() + " is cut short ("))
        << r.Stderr;
  }
}

TEST(DecodeDebugCommand, RefusesWhatIsNoDebugFile) {
  test::TempDir dir;
  // A folder threw an uncaught exception; /dev/zero grew memory until the
  // tool aborted; a FIFO would wait for a writer for ever.
  const auto fifo = dir / "pipe.debug";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path :
       {dir.str(), std::string("/dev/zero"), fifo.string(), (dir / "absent").string()}) {
    auto r = test::RunProcess(VELLORAN_TOOL_PATH, {"decode-debug", path});
    EXPECT_EQ(r.ExitCode, 1) << path;
    EXPECT_TRUE(r.Stderr.starts_with("velloran decode-debug: cannot open " + path + ": "))
        << r.Stderr;
    EXPECT_EQ(r.Stdout, "");
  }

  // The guide's own example names the file as the clients do.
  auto unc = test::RunProcess(VELLORAN_TOOL_PATH,
                              {"decode-debug", "\\\\nosuchserver\\velloran\\PC01.debug"});
  EXPECT_EQ(unc.ExitCode, 1);
  EXPECT_TRUE(
      unc.Stderr.starts_with("velloran decode-debug: \\\\nosuchserver\\velloran\\PC01.debug "
                             "is not mounted here"))
      << unc.Stderr;
}

// The tool with its standard output on a terminal (a pseudo-terminal in
// raw mode, so that the bytes arrive as written).
std::string OnTerminal(const std::vector<std::string>& args) {
  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    termios t{};
    ::tcgetattr(STDOUT_FILENO, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(STDOUT_FILENO, TCSANOW, &t);
    std::vector<char*> argv{const_cast<char*>(VELLORAN_TOOL_PATH)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(VELLORAN_TOOL_PATH, argv.data());
    ::_exit(127);
  }
  EXPECT_GT(pid, 0);
  std::string out;
  char buf[4096];
  for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;)
    out.append(buf, static_cast<size_t>(n));
  ::close(master);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return out;
}

// Any client can write a debug file on the share: what it holds must not
// retitle, recolour or clear the administrator's terminal.
TEST(DecodeDebugCommand, ATerminalGetsControlCharactersEscapedUnlessRawIsAsked) {
  test::TempDir dir;
  const std::string text =
      "\x1B]0;owned\x07\x1B[31mred\x1B[2J\r\n\tC1 \xC2\x9B"
      "6n, NEL \xC2\x85, BS \x08, DEL \x7F\r\n";
  const Bytes encoded = EncodeDebugText(text);
  const auto file = dir / "PC01.debug";
  test::WriteFile(file, std::string(encoded.begin(), encoded.end()));

  const std::string shown = OnTerminal({"decode-debug", file.string()});
  EXPECT_EQ(test::RawControlIn(shown, "\t\r\n"), "") << shown;
  for (const char* escaped :
       {"\\x1B]0;owned\\x07", "\\x1B[31mred", "\\u009B6n", "\\u0085", "\\x08", "\\x7F\r\n"})
    EXPECT_TRUE(test::Contains(shown, escaped)) << escaped << "\n" << shown;
  EXPECT_TRUE(test::Contains(shown, "\r\n\tC1 ")) << "line breaks and tabs are kept";

  // --raw, and a file or a pipe, get the text as the client wrote it.
  EXPECT_TRUE(OnTerminal({"decode-debug", "--raw", file.string()}).starts_with(text));
  EXPECT_EQ(test::RunProcess(VELLORAN_TOOL_PATH, {"decode-debug", file.string()}).Stdout, text);
  EXPECT_EQ(test::RunProcess(VELLORAN_TOOL_PATH, {"decode-debug", file.string(), "--raw"}).Stdout,
            text);
  auto bad = test::RunProcess(VELLORAN_TOOL_PATH, {"decode-debug", "--rwa", file.string()});
  EXPECT_EQ(bad.ExitCode, 2);
  EXPECT_TRUE(test::Contains(bad.Stderr, "--rwa")) << bad.Stderr;
}

}  // namespace
}  // namespace velloran
