// The profile functions against real files: the reading rules as one table,
// then what a write does to the bytes around the key it changes.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "platform/profile/Profile.h"
#include "tests/support/Fakes.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
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
      {"a repeated section is searched too", "[S]\nx=1\n[T]\nk=t\n[s]\nk=2\n", "S", "k", 100, "2"},
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
      {"line without equals sign skipped", "[S]\nk\nk=v\n", "S", "k", 100, "v"},
      {"CR LF not part of the value", "[S]\r\nk=v\r\n", "S", "k", 100, "v"},
      {"last line without line end", "[S]\nk=v", "S", "k", 100, "v"},
      {"bytes pass through", "[S]\nk=\xE9t\xE9\n", "S", "k", 100, "\xE9t\xE9"},
      {"non-ASCII letters compare exactly", "[\xC9T\xC9]\nk=v\n", "\xE9t\xE9", "k", 100, ""},
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
  EXPECT_EQ(Write("", "S", "\xff ", "v"), "[S]\r\n\xff=v\r\n");
  EXPECT_EQ(SystemProfile().GetString("S ", " \xff", 256, path), "v");
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
  const std::string before = "[S]\na=1\n[T]\n[S]\nk=old\n";
  EXPECT_EQ(Write(before, "S", "k", "new"), "[S]\na=1\n[T]\n[S]\nk=new\n");
  EXPECT_EQ(SystemProfile().GetString("S", "k", 100, path), "new");
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
      {"S", "k", std::string("nul\0byte", 8)},
      {"S]x", "k", "v"},
      {"S\n", "k", "v"},
      {"", "k", "v"},
      {"S", "", "v"},
      {"S", "  ", "v"},
      {"S", "a=b", "v"},
      {"S", ";k", "v"},
      {"S", "[k", "v"},
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
