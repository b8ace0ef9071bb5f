// The profile functions against real files: the reading rules as one table,
// then what a write does to the bytes around the key it changes.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/profile/Profile.h"
#include "tests/support/Fakes.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;

/// A literal with the NUL bytes it holds, counted by the compiler.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct ReadCase {
  const char* Name;
  std::string File;
  std::string Section, Key;
  size_t BufferSize;
  std::string Expected;
};

TEST(ProfileRead, FollowsTheProfileStringRules) {
  const ReadCase cases[] = {
      {"section and key ignore ASCII case", "[General]\r\nalwaysRUN=True\r\n", "GENERAL",
       "AlwaysRun", 100, "True"},
      {"first key wins", "[S]\nk=1\nK=2\n", "S", "k", 100, "1"},
      {"first section wins", "[S]\nk=1\n[s]\nk=2\n", "S", "k", 100, "1"},
      {"a repeated section is not searched", "[S]\nx=1\n[T]\nk=t\n[s]\nk=2\n", "S", "k", 100, ""},
      {"other section's key not seen", "[A]\nk=1\n[B]\nj=2\n", "B", "k", 100, ""},
      {"key before any section belongs to none", "k=0\n[S]\nj=1\n", "S", "k", 100, ""},
      {"blanks around header line and name", " \t[  S  ]\t \nk=v\n", "S", "k", 100, "v"},
      {"text after the closing bracket", "[S] ; old servers\nk=v\n", "S", "k", 100, "v"},
      {"blanks around key", "[S]\n \t k \t =v\n", "S", "k", 100, "v"},
      {"key matched whole, not as prefix", "[S]\nkey2=x\nkey=y\n", "S", "key", 100, "y"},
      {"blanks around value dropped", "[S]\nk= \t v w \t \n", "S", "k", 100, "v w"},
      {"value keeps later equals signs", "[S]\nk=a=b\n", "S", "k", 100, "a=b"},
      {"double quotes removed", "[S]\nk=\"a b\"\n", "S", "k", 100, "a b"},
      {"single quotes removed", "[S]\nk='a b'\n", "S", "k", 100, "a b"},
      {"blanks inside quotes kept", "[S]\nk=  \" a \"  \n", "S", "k", 100, " a "},
      {"only one pair of quotes removed", "[S]\nk=\"\"a\"\"\n", "S", "k", 100, "\"a\""},
      {"mismatched quotes kept", "[S]\nk=\"a'\n", "S", "k", 100, "\"a'"},
      {"quote inside only kept", "[S]\nk=a\"b\"\n", "S", "k", 100, "a\"b\""},
      {"a lone quote kept", "[S]\nk=\"\n", "S", "k", 100, "\""},
      {"comment line skipped", "[S]\n;k=1\n  ; k=2\nk=3\n", "S", "k", 100, "3"},
      {"key line without equals sign is empty and hides later lines", "[S]\nk\nk=v\n", "S", "k",
       100, ""},
      {"other keys past a line without equals sign", "[S]\nj\nk=v\n", "S", "k", 100, "v"},
      {"CR LF not part of the value", "[S]\r\nk=v\r\n", "S", "k", 100, "v"},
      {"last line without line end", "[S]\nk=v", "S", "k", 100, "v"},
      {"ANSI text reads as UTF-8", "[S]\nk=\xE9t\xE9 \x80\n", "S", "k", 100, "été €"},
      {"letters of the code page compare without case", "[B\xDCRO]\nk=v\n", "büro", "k", 100, "v"},
      {"the cut counts ANSI bytes", "[S]\nk=\xE9t\xE9\n", "S", "k", 3, "ét"},
      {"UTF-8 byte-order mark before the first header", "\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k", 100,
       "v"},
      {"cut to buffer size - 1", "[S]\nk=abcdef\n", "S", "k", 4, "abc"},
      {"cut after quotes go", "[S]\nk=\"abcdef\"\n", "S", "k", 4, "abc"},
      {"cut may end in a blank", "[S]\nk=ab cd\n", "S", "k", 4, "ab "},
      {"buffer of one holds only the zero", "[S]\nk=abc\n", "S", "k", 1, ""},
      {"buffer of zero", "[S]\nk=abc\n", "S", "k", 0, ""},
      {"absent key", "[S]\nj=1\n", "S", "k", 100, ""},
      {"absent section", "[T]\nk=1\n", "S", "k", 100, ""},
      {"empty file", "", "S", "k", 100, ""},
      {"single blank value", "[S]\nk= \r\n", "S", "k", 100, ""},
      // Line ends and headers
      {"a lone CR ends a line", "[S]\rj=1\rk=v\r", "S", "k", 100, "v"},
      {"a lone CR ends a line in an LF file too", "[S]\nk=v\rj=2\n", "S", "k", 100, "v"},
      {"CR CR LF is a line and an empty line", "[S]\r\r\nk=v\r\r\n", "S", "k", 100, "v"},
      {"header without closing bracket is no header", "[S]\nk=s\n[T\nk=t\n", "S", "k", 100, "s"},
      {"name runs to the last bracket", "[U]V]W\nk=u\n", "U]V", "k", 100, "u"},
      {"name up to the first bracket does not match", "[U]V]W\nk=u\n", "U", "k", 100, ""},
      // Characters Windows treats specially
      {"NUL ends the value", Bytes("[S]\nk=ab\0cd\nj=x\n"), "S", "k", 100, "ab"},
      {"EOF mark, VT and FF are blanks", "[S]\n\x0B k=\x1A\x0B\x0C v \x0C\x0B\x1A\n", "S", "k", 100,
       "v"},
      {"no-break space is text", "[S]\nk=\xA0v\xA0\n", "S", "k", 100, "\u00A0v\u00A0"},
      {"EOF mark at the end of the file", "[S]\r\nk=v\r\n\x1A", "S", "k", 100, "v"},
      // Files with a byte-order mark are Unicode text
      {"UTF-16LE file", Bytes("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xFC\0\xDF\0\r\0\n\0"), "S", "k", 100,
       "üß"},
      {"UTF-16BE file", Bytes("\xFE\xFF\0[\0S\0]\0\n\0k\0=\0v"), "S", "k", 100, "v"},
      {"UTF-16 text outside the code page", Bytes("\xFF\xFE[\0S\0]\0\n\0k\0=\0\xA9\x03"), "S", "k",
       100, "?"},
      // Letters the code page lacks read as Windows reads them: without
      // their accent or stroke.
      {"UTF-16 letters outside the code page",
       Bytes("\xFF\xFE[\0S\0]\0\n\0k\0=\0\x41\x01\xF3\0d\0\x7A\x01\x21\xFF"), "S", "k", 100,
       "LódzA"},
      {"UTF-8 letters outside the code page",
       "\xEF\xBB\xBF[S]\nk=\xC5\x81\xC3\xB3"
       "d\xC5\xBA",
       "S", "k", 100, "Lódz"},
      {"UTF-16 without byte-order mark is not read", Bytes("[\0S\0]\0\n\0k\0=\0v\0"), "S", "k", 100,
       ""},
      {"UTF-8 file with byte-order mark",
       "\xEF\xBB\xBF[S]\nk=Gr\xC3\xBC\xC3\x9F"
       "e\n",
       "S", "k", 100, "Grüße"},
  };
  TempDir dir;
  auto path = (dir / "t.ini").string();
  for (const auto& c : cases) {
    WriteFile(path, c.File);
    EXPECT_EQ(SystemProfile().GetString(c.Section, c.Key, c.BufferSize, path), c.Expected)
        << c.Name;
  }
}

TEST(ProfileRead, MissingFileOrFolderReadsEmpty) {
  TempDir dir;
  EXPECT_EQ(SystemProfile().GetString("S", "k", 100, (dir / "none.ini").string()), "");
  EXPECT_EQ(SystemProfile().GetString("S", "k", 100, dir.str()), "");
}

// Anything but a regular file of a sane size reads as an unreadable file: a
// FIFO would block the run and a device would be read until memory runs out.
TEST(ProfileRead, OnlyRegularFilesOfSaneSizeAreRead) {
  TempDir dir;
  const std::string fifo = (dir / "fifo.ini").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(SystemProfile().GetString("S", "k", 100, fifo), "");
  EXPECT_EQ(SystemProfile().GetString("S", "k", 100, "/dev/zero"), "");

  const std::string big = (dir / "big.ini").string();
  WriteFile(big, "[S]\nk=v\n");
  EXPECT_EQ(SystemProfile().GetString("S", "k", 100, big), "v");
  fs::resize_file(big, 64u << 20);
  EXPECT_EQ(SystemProfile().GetString("S", "k", 100, big), "");

  EXPECT_FALSE(SystemProfile().WriteString("S", "k", "v", fifo).ok());
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_FALSE(SystemProfile().WriteString("S", "k", "v", big).ok());
  EXPECT_EQ(fs::file_size(big), 64u << 20);
}

class ProfileWrite : public ::testing::Test {
 protected:
  std::string Write(const std::string& before, std::string_view section, std::string_view key,
                    std::string_view value) {
    WriteFile(path, before);
    Status st = SystemProfile().WriteString(section, key, value, path);
    EXPECT_TRUE(st.ok()) << st.error().Description;
    return ReadFile(path);
  }

  TempDir dir;
  std::string path = (dir / "doc.ini").string();
};

TEST_F(ProfileWrite, NamesWithBlanksAroundThemFindTheirLine) {
  // The file's names are read without their blanks; names asked for are
  // taken the same way, or a value written under " Key " is never found.
  EXPECT_EQ(Write("[S]\r\nKey=old\r\n", " S\t", " Key ", "new"), "[S]\r\nKey=new\r\n");
  // "\xc3\xbf" is the program's "ÿ", 0xFF in the file's code page.
  EXPECT_EQ(Write("", "S", "\xc3\xbf ", "v"), "[S]\r\n\xff=v\r\n");
  EXPECT_EQ(SystemProfile().GetString("S ", " \xc3\xbf", 256, path), "v");
}

TEST_F(ProfileWrite, ReplacesValueInPlaceKeepingEveryOtherByte) {
  const std::string before =
      "; written by hand\r\n"
      "[GENERAL]\r\n"
      "  alwaysrun  =  \"False\" \t\r\n"
      "Custom = kept  \r\n"
      "\r\n"
      "[OTHER]\r\n"
      "AlwaysRun=other\r\n";
  EXPECT_EQ(Write(before, "general", "AlwaysRun", "True"),
            "; written by hand\r\n"
            "[GENERAL]\r\n"
            "alwaysrun=True\r\n"
            "Custom = kept  \r\n"
            "\r\n"
            "[OTHER]\r\n"
            "AlwaysRun=other\r\n");
}

TEST_F(ProfileWrite, AppendsMissingKeyAfterLastKeyOfItsSection) {
  const std::string before =
      "[S]\n"
      "a=1\n"
      "; note\n"
      "b=2\n"
      "; about T\n"
      "\n"
      "\n"
      "[T]\n"
      "c=3\n";
  EXPECT_EQ(Write(before, "s", "New", "v"),
            "[S]\n"
            "a=1\n"
            "; note\n"
            "b=2\n"
            "New=v\n"
            "; about T\n"
            "\n"
            "\n"
            "[T]\n"
            "c=3\n");
}

TEST_F(ProfileWrite, AppendsKeyRightAfterHeaderOfEmptySection) {
  EXPECT_EQ(Write("[S]\r\n\r\n[T]\r\nc=3\r\n", "S", "k", "v"), "[S]\r\nk=v\r\n\r\n[T]\r\nc=3\r\n");
}

TEST_F(ProfileWrite, AppendsKeyToLastLineWithoutLineEnd) {
  EXPECT_EQ(Write("[S]\r\na=1", "S", "k", "v"), "[S]\r\na=1\r\nk=v\r\n");
  EXPECT_EQ(Write("[S]", "S", "k", "v"), "[S]\r\nk=v\r\n");
}

TEST_F(ProfileWrite, AppendsMissingSectionAtEnd) {
  EXPECT_EQ(Write("[S]\na=1\n", "NEW ONE", "k", "v"), "[S]\na=1\n[NEW ONE]\nk=v\n");
  EXPECT_EQ(Write("[S]\r\na=1", "T", "k", "v"), "[S]\r\na=1\r\n[T]\r\nk=v\r\n");
  EXPECT_EQ(Write("\xEF\xBB\xBF", "T", "k", "v"), "\xEF\xBB\xBF[T]\r\nk=v\r\n");
}

TEST_F(ProfileWrite, CreatesFileWithCrLf) {
  ASSERT_TRUE((SystemProfile().WriteString("GENERAL", "AlwaysRun", "False", path)).ok());
  ASSERT_TRUE((SystemProfile().WriteString("GENERAL", "DebugOn", "True", path)).ok());
  ASSERT_TRUE((SystemProfile().WriteString("SUPPORT", "Note", " ", path)).ok());
  EXPECT_EQ(ReadFile(path),
            "[GENERAL]\r\nAlwaysRun=False\r\nDebugOn=True\r\n[SUPPORT]\r\nNote= \r\n");
  EXPECT_EQ(SystemProfile().GetString("support", "note", 100, path), "");
}

TEST_F(ProfileWrite, KeepsLfFiles) {
  EXPECT_EQ(Write("[S]\na=1\n", "S", "b", "2"), "[S]\na=1\nb=2\n");
  EXPECT_EQ(Write("[S]\na=1\n", "S", "a", "2"), "[S]\na=2\n");
}

TEST_F(ProfileWrite, ReadSeesWhatWriteChangedInRepeatedSection) {
  // Only the first copy of a section counts, for reading and writing alike.
  const std::string before = "[S]\na=1\n[T]\n[S]\nk=old\n";
  EXPECT_EQ(Write(before, "S", "k", "new"), "[S]\na=1\nk=new\n[T]\n[S]\nk=old\n");
  EXPECT_EQ(SystemProfile().GetString("S", "k", 100, path), "new");
}

TEST_F(ProfileWrite, WritesTheFilesEncodingAndLineEnds) {
  // Program text is UTF-8, the file ANSI.
  EXPECT_EQ(Write("[S]\r\n", "S", "k", "Grüße €"),
            "[S]\r\nk=Gr\xFC\xDF"
            "e \x80\r\n");
  EXPECT_EQ(SystemProfile().GetString("S", "K", 100, path), "Grüße €");
  EXPECT_EQ(Write("[S]\r\n", "S", "k", "Ωmega"), "[S]\r\nk=?mega\r\n");
  // A file with lone CR line ends keeps them.
  EXPECT_EQ(Write("[S]\rj=1\r", "S", "k", "2"), "[S]\rj=1\rk=2\r");
  // A UTF-16 file stays UTF-16, every other character as it was.
  const std::string utf16 =
      Bytes("\xFF\xFE[\0S\0]\0\r\0\n\0j\0=\0\xA9\x03\r\0\n\0k\0=\0o\0l\0d\0\r\0\n\0");
  EXPECT_EQ(Write(utf16, "S", "k", "ü"),
            Bytes("\xFF\xFE[\0S\0]\0\r\0\n\0j\0=\0\xA9\x03\r\0\n\0k\0=\0\xFC\0\r\0\n\0"));
  EXPECT_EQ(SystemProfile().GetString("S", "k", 100, path), "ü");
  // So does a UTF-8 file with its mark.
  EXPECT_EQ(Write("\xEF\xBB\xBF[S]\n", "S", "k", "ü"), "\xEF\xBB\xBF[S]\nk=\xC3\xBC\n");
}

// Administrators keep the INI file on a share and link to it; a save must
// change the file the link names, not replace the link.
TEST_F(ProfileWrite, SavesThroughSymbolicLinksKeepingOwnerAndMode) {
  fs::create_directories(dir / "real");
  const std::string target = (dir / "real" / "settings.ini").string();
  WriteFile(target, "[S]\nk=old\n");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
  }
  // A relative link to a relative link.
  fs::create_symlink("real/settings.ini", dir / "hop.ini");
  fs::create_symlink("hop.ini", path);

  ASSERT_TRUE(SystemProfile().WriteString("S", "k", "new", path).ok());
  EXPECT_TRUE(fs::is_symlink(path));
  EXPECT_TRUE(fs::is_symlink(dir / "hop.ini"));
  EXPECT_EQ(ReadFile(target), "[S]\nk=new\n");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(st.st_uid, 65534u);
  }

  // A link whose file does not exist yet gets it created where it points.
  fs::create_symlink("real/new.ini", dir / "dangling.ini");
  ASSERT_TRUE(SystemProfile().WriteString("S", "k", "v", (dir / "dangling.ini").string()).ok());
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.ini"));
  EXPECT_EQ(ReadFile((dir / "real" / "new.ini").string()), "[S]\r\nk=v\r\n");
  // Neither directory keeps a temp file.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), fs::directory_iterator()), 2);
}

TEST_F(ProfileWrite, LeavesNoTempFileBehind) {
  ASSERT_TRUE((SystemProfile().WriteString("S", "k", "1", path)).ok());
  ASSERT_TRUE((SystemProfile().WriteString("S", "k", "2", path)).ok());
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"doc.ini"});
}

TEST_F(ProfileWrite, MissingFolderFails) {
  auto missing = (dir / "no-such-folder" / "doc.ini").string();
  Status st = SystemProfile().WriteString("S", "k", "v", missing);
  ASSERT_FALSE(st.ok());
  EXPECT_EQ(st.error().Number, ENOENT);
  EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}

TEST_F(ProfileWrite, ReadOnlyFileFailsAndStaysAsItWas) {
  WriteFile(path, "[S]\r\nk=1\r\n");
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  Status st = SystemProfile().WriteString("S", "k", "2", path);
  ASSERT_FALSE(st.ok());
  EXPECT_EQ(st.error().Number, EACCES);
  EXPECT_EQ(ReadFile(path), "[S]\r\nk=1\r\n");
}

TEST_F(ProfileWrite, RefusesTextThatWouldBreakTheFileApart) {
  const std::string before = "[S]\r\nk=1\r\n";
  const struct {
    std::string Section, Key, Value;
  } refused[] = {
      {"S", "k", "1\r\n[GENERAL]\r\nAlwaysRun=True"},
      {"S", "k", "line\nbreak"},
      {"S", "k", Bytes("nul\0byte")},
      {"S]x", "k", "v"},
      {"S\n", "k", "v"},
      {"", "k", "v"},
      {"S", "", "v"},
      {"S", "  ", "v"},
      {"S", "a=b", "v"},
      {"S", ";k", "v"},
      {"S", "[k", "v"},
      // The reader drops a page break before the name, as a blank.
      {"S", "\f;k", "v"},
  };
  for (const auto& r : refused) {
    WriteFile(path, before);
    Status st = SystemProfile().WriteString(r.Section, r.Key, r.Value, path);
    ASSERT_FALSE(st.ok()) << r.Section << "/" << r.Key;
    EXPECT_EQ(st.error().Number, EINVAL);
    EXPECT_EQ(ReadFile(path), before);
  }
}

}  // namespace
}  // namespace velloran
