#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/AtomicFile.h"

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
/// The file a path finally names: a rename over a symbolic link would
/// replace the link and leave the file it names as it was, so the new file
/// goes where the chain of links ends (which need not exist yet). `st` is
/// then that file's status, and `exists` whether there is one.
Result<std::string> FollowLinks(std::string path, struct stat& st, bool& exists) {
  for (int hops = 0; hops < 40; ++hops) {
    exists = ::lstat(path.c_str(), &st) == 0;
    if (!exists || !S_ISLNK(st.st_mode)) return path;
    std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return ErrnoError(errno);
    target.resize(static_cast<size_t>(n));
    if (!target.starts_with('/')) {
      size_t slash = path.rfind('/');
      target = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + target;
    }
    path = std::move(target);
  }
  return ErrnoError(ELOOP);
}

}  // namespace

Status WriteFileAtomically(const std::string& given, std::string_view content, unsigned mode,
                           Flush flush) {
  struct stat st {};
  bool existed = false;
  auto followed = FollowLinks(given, st, existed);
  if (!followed) return followed.error();
  const std::string& path = *followed;
  if (existed && S_ISDIR(st.st_mode)) return ErrnoError(EISDIR);

  std::string tmp = path + ".XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) return ErrnoError(errno);

  Status result = WriteAll(fd, content);
  // The owner is kept where we may set it (root saving another user's file);
  // elsewhere the file becomes ours, as any editor's save would make it.
  if (result.ok() && existed && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
      ::fchown(fd, st.st_uid, st.st_gid) != 0 && errno != EPERM) {
    result = ErrnoError(errno);
  }
  if (result.ok() && ::fchmod(fd, existed ? (st.st_mode & 07777) : mode) != 0)
    result = ErrnoError(errno);
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

bool IsReadOnlyFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace velloran
