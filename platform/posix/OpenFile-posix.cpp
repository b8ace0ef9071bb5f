#include "platform/posix/OpenFile-posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace velloran {

PlatformError LinkRefused() {
  return PlatformError{ELOOP, "Symbolic link refused: only a regular file is opened"};
}

Result<int> OpenRegularFile(const std::string& path, int flags, unsigned mode) {
  // O_NONBLOCK: a FIFO by the name would otherwise hold the open until a
  // peer comes; O_NOCTTY: a terminal must not become ours.
  int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY,
                  static_cast<mode_t>(mode));
  if (fd < 0) {
    int err = errno;
    // O_NOFOLLOW reports a link as ELOOP, which reads as a loop of links.
    struct stat st {};
    if (err == ELOOP && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
      return LinkRefused();
    return ErrnoError(err);
  }
  struct stat st {};
  int err = ::fstat(fd, &st) == 0 ? 0 : errno;
  if (err == 0 && S_ISDIR(st.st_mode)) err = EISDIR;
  if (err == 0 && !S_ISREG(st.st_mode)) {
    ::close(fd);
    return PlatformError{EINVAL, "Not a regular file"};
  }
  if (err == 0 && !(flags & O_NONBLOCK)) {
    int fl = ::fcntl(fd, F_GETFL);
    if (fl < 0 || ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0) err = errno;
  }
  if (err != 0) {
    ::close(fd);
    return ErrnoError(err);
  }
  return fd;
}

}  // namespace velloran
