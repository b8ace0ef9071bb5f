// Replacing writes over what is already at the name: a file nobody may
// write is kept, also when root writes.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "platform/AtomicFile.h"
#include "tests/support/Fakes.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;

TEST(ReplacingWrites, AFileWithoutAnyWriteBitIsRefusedAndKeptWhoeverWrites) {
  test::TempDir dir;
  const std::string path = (dir / "Printers.ini").string();
  const std::string before = "[GENERAL]\r\nAlwaysRun=True\r\n";
  const struct {
    const char* Writer;
    std::function<Status(const std::string&)> Write;
  } writers[] = {
      {"WriteFileAtomically", [](const std::string& p) { return WriteFileAtomically(p, "new"); }},
      {"ReplaceRegularFile", [](const std::string& p) { return ReplaceRegularFile(p, "new"); }},
  };
  const struct {
    mode_t Mode;
    bool Refused;
  } modes[] = {{0444, true}, {0400, true}, {0644, false}, {0464, false}};
  for (const auto& w : writers) {
    for (const auto& m : modes) {
      SCOPED_TRACE(std::string(w.Writer) + " on mode " + std::to_string(m.Mode));
      fs::remove(path);
      test::WriteFile(path, before);
      ASSERT_EQ(::chmod(path.c_str(), m.Mode), 0);
      Status written = w.Write(path);
      EXPECT_EQ(!written.ok(), m.Refused);
      if (m.Refused) {
        EXPECT_EQ(written.error().Number, EACCES);
        EXPECT_EQ(test::ReadFile(path), before);
      } else {
        EXPECT_EQ(test::ReadFile(path), "new");
      }
      struct stat st {};
      ASSERT_EQ(::stat(path.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, m.Mode);
      EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
          << "no temp file left";
    }
  }

  // Through a link the file it names decides (the link is written through).
  const fs::path target = dir / "target.ini";
  test::WriteFile(target, before);
  ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
  fs::create_symlink(target, dir / "link.ini");
  EXPECT_FALSE(WriteFileAtomically((dir / "link.ini").string(), "new").ok());
  EXPECT_EQ(test::ReadFile(target), before);
}

}  // namespace
}  // namespace velloran
