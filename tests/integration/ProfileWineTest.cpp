// Our reading of INI files against the profile functions that Wine ships,
// for the rules where files in the field differ: line ends, repeated
// sections, headers, control characters, quotes, byte-order marks. Needs
// the MinGW cross compiler and Wine; skipped where either is missing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/CodePage.h"
#include "platform/profile/Profile.h"
#include "tests/support/EngineProcess.h"

namespace velloran {
namespace {

using test::ReadFile;
using test::RunProcess;
using test::TempDir;
using test::WriteFile;

constexpr const char* kCrossCompiler = "x86_64-w64-mingw32-g++-posix";

bool OnPath(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Utf16Le(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t u : text) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

struct Query {
  std::string File, Section, Key;
  size_t Size = 100;
};

TEST(ProfileAgainstWine, ReadsEveryFileAsWineDoes) {
  if (!OnPath(kCrossCompiler) || !OnPath("wine"))
    GTEST_SKIP() << "needs " << kCrossCompiler << " and wine";
  TempDir dir;
  const std::string exe = (dir / "query.exe").string();
  auto built = RunProcess("/bin/sh",
                          {"-c", std::string(kCrossCompiler) + " -O1 -static -o '" + exe + "' '" +
                                     VELLORAN_SOURCE_DIR "/tests/support/wine/ProfileQuery.cpp'"});
  ASSERT_EQ(built.ExitCode, 0) << built.Stderr;

  // File names steer clear of device names (NUL, CON, ...), which Windows
  // opens as devices whatever the folder and extension.
  const std::map<std::string, std::string> files = {
      {"dup", "[S]\r\nA=first\r\n[T]\r\nX=1\r\n[s]\r\nA=second\r\nB=later\r\n"},
      {"noeq", "[S]\r\nA\r\nA=later\r\nB =  b  \r\n"},
      {"hdr", "[S\r\nA=none\r\n[T]x\r\nA=t\r\n[U]V]W\r\nA=u\r\n[ P ]\r\nA=p\r\n"},
      {"zero", std::string("[S]\r\nA=ab\0cd\r\nB=x\r\n", 19)},
      {"ctl", "[S]\r\nA=\x1A\x0B\x0C v \x0C\x0B\x1A\r\nB=\xA0v\xA0\r\n\x0B C = c\r\n"},
      {"quote", "[S]\r\nA=\" x \"\r\nB=' y'\r\nC=\"z\r\nD=\"\"\r\nE=\"\r\nF=\"ab\"cd\"\r\n"},
      {"cr", "[S]\rA=1\rB=2\r"},
      {"crcrlf", "[S]\r\r\nA=1\r\r\n"},
      {"lf", "[S]\nA=1\n\n\nB=2"},
      {"eof", "[S]\r\nA=v\r\n\x1A"},
      {"tab", "[S]\r\nA=\tv\t\r\nB=abcdef\r\n"},
      {"ansi",
       "[S]\r\nA=Gr\xFC\xDF"
       "e\r\n"},
      {"utf16", Utf16Le(u"[S]\r\nA=Grüße\r\nB=x\r\n")},
      {"utf16nobom", Utf16Le(u"[S]\r\nA=x\r\n").substr(2)},
      // Letters the code page lacks: Windows converts with its best fit.
      {"bestfit", Utf16Le(u"[S]\r\nA=Łódź\r\nB=Ｗａｒｓａｗ１\r\nC=ĐđĦħŦŧ\r\nD=Ǎǎ Ḃḃ Ṻ\r\n")},
      {"bestfit8",
       "\xEF\xBB\xBF[S]\r\nA=\xC5\x81\xC3\xB3"
       "d\xC5\xBA\r\n"},
      {"utf8bom",
       "\xEF\xBB\xBF[S]\r\nA=Gr\xC3\xBC\xC3\x9F"
       "e\r\n"},
  };
  for (const auto& [name, content] : files) WriteFile(dir / (name + ".ini"), content);

  std::vector<Query> queries;
  for (const auto& [name, content] : files) {
    for (const char* section : {"S", "s", "T", "U", "U]V", "P"}) {
      for (const char* key : {"A", "B", "C", "D", "E", "F", "X"})
        queries.push_back({name, section, key});
    }
  }
  queries.push_back({"tab", "S", "B", 4});
  queries.push_back({"ansi", "S", "A", 4});

  std::ostringstream input;
  for (const Query& q : queries) {
    input << "Z:" << (dir / (q.File + ".ini")).string() << '\t' << q.Section << '\t' << q.Key
          << '\t' << q.Size << '\n';
  }
  WriteFile(dir / "queries.txt", input.str());
  const std::string prefix = (dir / "prefix").string();
  auto ran = RunProcess("/bin/sh",
                        {"-c", "wine '" + exe + "' < '" + (dir / "queries.txt").string() + "' > '" +
                                   (dir / "answers.txt").string() + "'"},
                        {{"WINEPREFIX", prefix}, {"WINEDEBUG", "-all"}, {"DISPLAY", ""}});
  ASSERT_EQ(ran.ExitCode, 0) << ran.Stderr;

  std::istringstream answers(ReadFile(dir / "answers.txt"));
  size_t compared = 0;
  for (const Query& q : queries) {
    std::string line;
    ASSERT_TRUE(std::getline(answers, line)) << "wine answered " << compared << " queries";
    std::string hex = line.substr(line.find(':') + 1), wine;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
      wine += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    // Wine answers in ANSI; we answer in UTF-8.
    const std::string ours = Utf8ToAnsi(
        SystemProfile().GetString(q.Section, q.Key, q.Size, (dir / (q.File + ".ini")).string()));
    EXPECT_EQ(ours, wine) << q.File << " [" << q.Section << "] " << q.Key << " size " << q.Size;
    ++compared;
  }
  EXPECT_EQ(compared, queries.size());
}

}  // namespace
}  // namespace velloran
