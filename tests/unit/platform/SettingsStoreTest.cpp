// The file settings store under what hand edits, owners and several engines
// of one user do to a hive.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Backends.h"
#include "tests/support/Fakes.h"

namespace velloran {
namespace {

TEST(FileSettingsStore, EveryValueNameReadsBack) {
  test::TempDir dir;
  auto store = MakeFileSettingsStore((dir / "user.hive").string(), (dir / "machine.hive").string());
  // Names that, written as they are, would read back as a comment or a key.
  const std::vector<std::string> names = {";comment", "[key]", "[a=b]", " ;x", "", "%41", "a]"};
  for (size_t i = 0; i < names.size(); ++i)
    ASSERT_TRUE(store->WriteValue(Hive::CurrentUser, "K", names[i], "v" + std::to_string(i)).ok())
        << names[i];
  for (size_t i = 0; i < names.size(); ++i) {
    auto v = store->ReadValue(Hive::CurrentUser, "K", names[i]);
    ASSERT_TRUE(v.ok() && v->has_value()) << names[i];
    EXPECT_EQ(**v, "v" + std::to_string(i)) << names[i];
  }
}

TEST(FileSettingsStore, AReadOnlyHiveIsRefusedAndKept) {
  test::TempDir dir;
  const auto hive = dir / "user.hive";
  auto store = MakeFileSettingsStore(hive.string(), (dir / "machine.hive").string());
  ASSERT_TRUE(store->WriteValue(Hive::CurrentUser, "K", "SUCCESS", "False").ok());
  const std::string before = test::ReadFile(hive);
  ASSERT_EQ(::chmod(hive.c_str(), 0400), 0);
  Status refused = store->WriteValue(Hive::CurrentUser, "K", "SUCCESS", "True");
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().Number, EACCES);
  EXPECT_EQ(test::ReadFile(hive), before);
  struct stat st {};
  ASSERT_EQ(::stat(hive.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0400u);
}

TEST(FileSettingsStore, AHiveThatIsNotARegularFileIsNeitherReadNorWrittenThrough) {
  // Where the hive's folder is writable by others, a link by its name must
  // not make the store read or replace the file it points at, and a FIFO
  // must not hold the run.
  test::TempDir dir;
  const auto victim = dir / "victim.txt";
  test::WriteFile(victim, "[K]\nSUCCESS=True\n");
  std::filesystem::create_symlink(victim, dir / "linked.hive");
  ASSERT_EQ(::mkfifo((dir / "pipe.hive").c_str(), 0600), 0);
  for (const char* name : {"linked.hive", "pipe.hive"}) {
    SCOPED_TRACE(name);
    auto store = MakeFileSettingsStore((dir / name).string(), (dir / "machine.hive").string());
    auto read = store->ReadValue(Hive::CurrentUser, "K", "SUCCESS");
    EXPECT_FALSE(read.ok());
    EXPECT_FALSE(store->WriteValue(Hive::CurrentUser, "K", "SUCCESS", "False").ok());
  }
  EXPECT_EQ(test::ReadFile(victim), "[K]\nSUCCESS=True\n");
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "linked.hive"));
}

TEST(FileSettingsStore, ConcurrentWritersLoseNoValue) {
  // Engines of one user finishing together (several INI files at logon).
  test::TempDir dir;
  const std::string hive = (dir / "user.hive").string();
  constexpr int kProcesses = 6, kValues = 15;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      auto store = MakeFileSettingsStore(hive, (dir / "machine.hive").string());
      int failures = 0;
      for (int i = 0; i < kValues; ++i)
        if (!store
                 ->WriteValue(Hive::CurrentUser, "Software\\Velloran\\p" + std::to_string(p),
                              "v" + std::to_string(i), std::to_string(p * 100 + i))
                 .ok())
          ++failures;
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  auto store = MakeFileSettingsStore(hive, (dir / "machine.hive").string());
  for (int p = 0; p < kProcesses; ++p)
    for (int i = 0; i < kValues; ++i) {
      auto v = store->ReadValue(Hive::CurrentUser, "Software\\Velloran\\p" + std::to_string(p),
                                "v" + std::to_string(i));
      ASSERT_TRUE(v.ok() && v->has_value()) << p << "/" << i;
      EXPECT_EQ(**v, std::to_string(p * 100 + i));
    }
}

}  // namespace
}  // namespace velloran
