#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace velloran {

namespace {
Status WriteAll(int fd, std::string_view content) {
  const char* p = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrnoError(errno);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return Status::Ok();
}
}  // namespace

Status WriteFileAtomically(const std::string& path, std::string_view content, unsigned mode, Flush flush) {
  struct stat st {};
  bool existed = ::stat(path.c_str(), &st) == 0;
  if (existed && S_ISDIR(st.st_mode)) return ErrnoError(EISDIR);

  std::string tmp = path + ".XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) return ErrnoError(errno);

  Status result = WriteAll(fd, content);
  if (result.ok() && ::fchmod(fd, existed ? (st.st_mode & 07777) : mode) != 0) result = ErrnoError(errno);
  if (result.ok() && flush == Flush::ToDisk && ::fsync(fd) != 0) result = ErrnoError(errno);
  if (::close(fd) != 0 && result.ok()) result = ErrnoError(errno);
  if (result.ok() && ::rename(tmp.c_str(), path.c_str()) != 0) result = ErrnoError(errno);
  if (!result.ok()) ::unlink(tmp.c_str());
  return result;
}

Result<std::string> ReadWholeFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ErrnoError(errno);
  std::string out;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      return ErrnoError(err);
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return out;
}

}  // namespace velloran
