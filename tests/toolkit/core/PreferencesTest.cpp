// The toolkit's own choices: kept across runs in the user's file, and a file
// that is not what the toolkit wrote costs nothing but the choices.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "tests/support/Fakes.h"
#include "toolkit/core/Preferences.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(Preferences, AChoiceIsThereAtTheNextRunAndOnlyThere) {
  TempDir dir;
  const std::string file = (dir / "velloran" / "toolkit.conf").string();
  {
    Preferences first(file);
    EXPECT_FALSE(first.Flag("chkDriverScript")) << "off until chosen";
    ASSERT_TRUE(first.SetFlag("chkDriverScript", true).ok()) << "its folder is made";
    ASSERT_TRUE(first.SetFlag("chkOther", false).ok());
  }
  Preferences second(file);
  EXPECT_TRUE(second.Flag("chkDriverScript"));
  EXPECT_FALSE(second.Flag("chkOther"));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::others_all, fs::perms::none);

  Preferences session("");
  ASSERT_TRUE(session.SetFlag("chkDriverScript", true).ok());
  EXPECT_TRUE(session.Flag("chkDriverScript"));
}

TEST(Preferences, AFileTheToolkitDidNotWriteCountsAsEmpty) {
  TempDir dir;
  const fs::path file = dir / "toolkit.conf";
  const struct {
    const char* Case;
    std::function<void()> Make;
    bool On;
  } cases[] = {
      {"its own lines, CR LF", [&] { WriteFile(file, "chkDriverScript=1\r\n"); }, true},
      {"a value other than 0 or 1", [&] { WriteFile(file, "chkDriverScript=yes\n"); }, false},
      {"a line without a name", [&] { WriteFile(file, "=1\nchkDriverScript\n"); }, false},
      {"larger than any it writes",
       [&] { WriteFile(file, "chkDriverScript=1\n" + std::string(100000, '#')); }, false},
      {"a link to a file of its lines",
       [&] {
         WriteFile(dir / "elsewhere", "chkDriverScript=1\n");
         fs::create_symlink(dir / "elsewhere", file);
       },
       false},
      {"a folder", [&] { fs::create_directory(file); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    fs::remove_all(file);
    c.Make();
    EXPECT_EQ(Preferences(file.string()).Flag("chkDriverScript"), c.On);
  }
  // Nor is such a file written through: a link stays a link to its file.
  fs::remove_all(file);
  fs::create_symlink(dir / "elsewhere", file);
  EXPECT_FALSE(Preferences(file.string()).SetFlag("chkDriverScript", false).ok());
  EXPECT_EQ(ReadFile(dir / "elsewhere"), "chkDriverScript=1\n");
}

}  // namespace
}  // namespace velloran
