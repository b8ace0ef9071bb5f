#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/RegularFile.h"

namespace velloran {

Status CheckReadableRegularFile(const std::string& path) {
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return ErrnoError(errno);
  struct stat st {};
  int err = ::fstat(fd, &st) == 0 ? 0 : errno;
  ::close(fd);
  if (err != 0) return ErrnoError(err);
  if (S_ISDIR(st.st_mode)) return ErrnoError(EISDIR);
  if (!S_ISREG(st.st_mode)) return PlatformError{EINVAL, "not a regular file"};
  return Status::Ok();
}

}  // namespace velloran
