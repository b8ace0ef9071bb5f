// Blocks appended by many processes at once, and the lock they share.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <sstream>

#include "platform/AppendFile.h"
#include "tests/support/Fakes.h"

namespace velloran {
namespace {

using namespace std::chrono_literals;

std::string Block(int process, int index) {
  std::string id = std::to_string(process) + "." + std::to_string(index);
  // Long enough that a torn write would show, in lines like the outcome's.
  std::string body;
  for (int line = 0; line < 40; ++line) body += "\r\n>> " + id + " line " + std::to_string(line);
  return "\r\nBEGIN " + id + body + "\r\nEND " + id + "\r\n";
}

TEST(AppendBlockToFile, ConcurrentProcessesNeverInterleave) {
  test::TempDir dir;
  const std::string path = (dir / "shared.txt").string();
  constexpr int kProcesses = 8, kBlocks = 200;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int failures = 0;
      for (int i = 0; i < kBlocks; ++i)
        if (!AppendBlockToFile(path, Block(p, i)).ok()) ++failures;
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::string content = test::ReadFile(path);
  std::map<std::string, int> seen;
  size_t pos = 0;
  while (pos < content.size()) {
    ASSERT_EQ(content.compare(pos, 8, "\r\nBEGIN "), 0) << "at byte " << pos;
    size_t idEnd = content.find("\r\n", pos + 8);
    std::string id = content.substr(pos + 8, idEnd - pos - 8);
    size_t dot = id.find('.');
    std::string block = Block(std::stoi(id.substr(0, dot)), std::stoi(id.substr(dot + 1)));
    ASSERT_EQ(content.compare(pos, block.size(), block), 0) << "block " << id << " torn";
    ++seen[id];
    pos += block.size();
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(kProcesses * kBlocks));
  for (const auto& [id, count] : seen) EXPECT_EQ(count, 1) << id;
}

// A child holds the lock as another client would; returns its PID once held.
pid_t HoldLock(const std::string& path, std::chrono::milliseconds hold) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  pid_t pid = ::fork();
  if (pid == 0) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ::fcntl(fd, F_SETLKW, &lock);
    ssize_t ignored = ::write(ready[1], "x", 1);
    (void)ignored;
    ::usleep(static_cast<useconds_t>(hold.count() * 1000));
    ::_exit(0);
  }
  char c;
  ssize_t ignored = ::read(ready[0], &c, 1);
  (void)ignored;
  ::close(ready[0]);
  ::close(ready[1]);
  return pid;
}

TEST(AppendBlockToFile, WaitsForAnotherClientsLock) {
  test::TempDir dir;
  const std::string path = (dir / "shared.txt").string();
  pid_t holder = HoldLock(path, 300ms);
  ASSERT_GT(holder, 0);
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE((AppendBlockToFile(path, "block\r\n")).ok());
  EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
  ::waitpid(holder, nullptr, 0);
  EXPECT_EQ(test::ReadFile(path), "block\r\n");
}

// A lock wait that runs out still ends in the one write; when that write
// succeeds the block is in the file, and that is no failure to report.
TEST(AppendBlockToFile, ALockNeverFreedIsWaitedOutAndTheBlockWritten) {
  test::TempDir dir;
  const std::string path = (dir / "shared.txt").string();
  pid_t holder = HoldLock(path, 2s);
  ASSERT_GT(holder, 0);
  Status appended = AppendBlockToFile(path, "block\r\n", 50ms);
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  EXPECT_TRUE(appended.ok()) << appended.error().Description;
  EXPECT_EQ(test::ReadFile(path), "block\r\n");
}

TEST(AppendBlockToFile, WhatIsNotARegularFileByTheNameIsRefusedNotWrittenThrough) {
  // The results folder is writable by every client: one of them plants a
  // link by the report's name, pointing at a file the engine (as root) may
  // write, or a device.
  test::TempDir dir;
  const auto victim = dir / "victim.txt";
  test::WriteFile(victim, "precious\n");
  std::filesystem::create_symlink(victim, dir / "to-file.txt");
  std::filesystem::create_symlink("/dev/null", dir / "to-device.txt");
  std::filesystem::create_symlink(dir / "absent.txt", dir / "dangling.txt");
  ASSERT_EQ(::mkfifo((dir / "pipe.txt").c_str(), 0600), 0);
  // A reader on the FIFO, so that the open itself would succeed.
  int reader = ::open((dir / "pipe.txt").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const std::pair<const char*, int> cases[] = {{"to-file.txt", ELOOP},
                                               {"to-device.txt", ELOOP},
                                               {"dangling.txt", ELOOP},
                                               {"pipe.txt", EINVAL}};
  for (const auto& [name, number] : cases) {
    SCOPED_TRACE(name);
    Status refused = AppendBlockToFile((dir / name).string(), "block\r\n");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().Number, number) << refused.error().Description;
  }
  ::close(reader);
  EXPECT_EQ(test::ReadFile(victim), "precious\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "absent.txt"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "to-file.txt"));
}

TEST(AppendBlockToFile, AMissingFolderFailsWithItsNumber) {
  test::TempDir dir;
  Status failure = AppendBlockToFile((dir / "none/x.txt").string(), "x");
  ASSERT_FALSE(failure.ok());
  EXPECT_EQ(failure.error().Number, ENOENT);
}

}  // namespace
}  // namespace velloran

namespace velloran {
namespace {

// A full disk, as the writer sees it: the first write takes what fits,
// the next one fails. A file-size limit does the same without root.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST(AppendBlockToFile, AFullDiskLeavesTheFileAsItWas) {
  test::TempDir dir;
  const std::string path = (dir / "shared.txt").string();
  const std::string first = Block(0, 0);
  ASSERT_TRUE(AppendBlockToFile(path, first).ok());
  const std::string second = Block(1, 0);
  {
    FileSizeLimit limit(first.size() + 96);
    Status torn = AppendBlockToFile(path, second);
    ASSERT_FALSE(torn.ok());
    EXPECT_EQ(torn.error().Number, EFBIG);
  }
  EXPECT_EQ(test::ReadFile(path), first);
  // The next client's block follows the last whole one.
  ASSERT_TRUE(AppendBlockToFile(path, second).ok());
  EXPECT_EQ(test::ReadFile(path), first + second);
}

}  // namespace
}  // namespace velloran
