#include "platform/cups/RunLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/Paths.h"
#include "platform/cups/CupsQueue.h"
#include "platform/cups/SavedQueue.h"

namespace velloran::cups {

Result<std::unique_ptr<RunLock>> RunLock::Take(std::chrono::milliseconds wait) {
  const std::string folder = SavedQueueFolder();
  if (Status s = EnsureQueueStateFolder(folder); !s.ok()) return s.error();
  const std::string path = JoinPath(folder, "run.lock");
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
  if (fd < 0) {
    PlatformError e = ErrnoError(errno);
    e.Description = "The lock " + path + " cannot be opened: " + e.Description;
    return e;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
    ::close(fd);
    return PlatformError{kAccessDenied, "The lock " + path + " is not a file of this user's own."};
  }
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    if (err == EINTR) continue;
    if (err != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      if (err != EWOULDBLOCK) {
        PlatformError e = ErrnoError(err);
        e.Description = "The lock " + path + " cannot be taken: " + e.Description;
        return e;
      }
      const auto seconds = (wait.count() + 999) / 1000;
      return PlatformError{
          kBusy, "Another run is working on this machine's printer queues (it holds " + path +
                     "); this run waited " + std::to_string(seconds) +
                     " s for it to end and changed nothing."};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return std::unique_ptr<RunLock>(new RunLock(fd));
}

RunLock::~RunLock() { ::close(fd_); }

}  // namespace velloran::cups
