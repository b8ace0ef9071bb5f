#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/AppendFile.h"
#include "platform/posix/OpenFile-posix.h"

namespace velloran {

namespace {

// fcntl record locks rather than flock: CIFS and NFS pass them on to the
// server, so clients on other computers see them too.
Status LockWholeFile(int fd, std::chrono::milliseconds wait) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    if (::fcntl(fd, F_SETLK, &lock) == 0) return Status::Ok();
    int err = errno;
    if (err == EINTR) continue;
    // A file system without record locks: the append below is still one
    // write, which is all such a file system offers.
    if (err == ENOLCK || err == EINVAL || err == EOPNOTSUPP) return Status::Ok();
    if (err != EACCES && err != EAGAIN) return ErrnoError(err);
    if (std::chrono::steady_clock::now() >= deadline) return ErrnoError(err);
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(20)) pause *= 2;
  }
}

}  // namespace

Status AppendBlockToFile(const std::string& path, std::string_view block,
                         std::chrono::milliseconds lockWait) {
  // The file usually lies in a folder every client may write to: a link
  // planted by its name, a FIFO or a device is refused, never written
  // through (a FIFO with no reader fails at once, ENXIO).
  auto opened = OpenRegularFile(path, O_WRONLY | O_APPEND | O_CREAT, 0666);
  if (!opened) return opened.error();
  const int fd = *opened;

  // A lock that cannot be had in time is waited out, not reported: the block
  // still goes out in one write, and when that write succeeds the report is
  // in the file, which is all the caller asked for.
  static_cast<void>(LockWholeFile(fd, lockWait));
  Status last;
  struct stat before {};
  const bool sized = ::fstat(fd, &before) == 0;

  const char* p = block.data();
  size_t left = block.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      last = ErrnoError(errno);
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  // A full disk (or a quota) lets part of the block in: cut the file back to
  // where it was while the lock is still held, so that the next client's
  // block does not follow a torn one. Only if nobody appended meanwhile,
  // which the lock ensures where the file system has locks.
  if (left > 0 && sized) {
    struct stat after {};
    const off_t written = static_cast<off_t>(block.size() - left);
    if (written > 0 && ::fstat(fd, &after) == 0 && after.st_size == before.st_size + written)
      static_cast<void>(::ftruncate(fd, before.st_size));
  }
  // Closing drops the lock; a failing close (a share that lost the data on
  // its way) is still a failure of the write.
  if (::close(fd) != 0) last = ErrnoError(errno);
  return last;
}

}  // namespace velloran
