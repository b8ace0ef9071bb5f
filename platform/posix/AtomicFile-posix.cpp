#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/posix/OpenFile-posix.h"

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

/// Writes a temp file beside `path` and renames it over `path`, which names
/// no link; `st` is the status of what is there when `existed`.
Status Replace(const std::string& path, const struct stat& st, bool existed,
               std::string_view content, unsigned mode, Flush flush) {
  // The rename would replace a file nobody may write, and root may write
  // anything: the file's own mode decides, as Windows refuses to replace a
  // read-only file for everyone.
  if (existed && S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    return ErrnoError(EACCES);
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

}  // namespace

Status WriteFileAtomically(const std::string& given, std::string_view content, unsigned mode,
                           Flush flush) {
  struct stat st {};
  bool existed = false;
  auto followed = FollowLinks(given, st, existed);
  if (!followed) return followed.error();
  if (existed && S_ISDIR(st.st_mode)) return ErrnoError(EISDIR);
  return Replace(*followed, st, existed, content, mode, flush);
}

Status ReplaceRegularFile(const std::string& path, std::string_view content, unsigned mode) {
  // The rename replaces whatever is at the name by then, a link included,
  // and never writes through one; the check keeps the owner and mode of a
  // link's target from being copied and reports what was planted.
  struct stat st {};
  const bool existed = ::lstat(path.c_str(), &st) == 0;
  if (!existed && errno != ENOENT) return ErrnoError(errno);
  if (existed && S_ISLNK(st.st_mode)) return LinkRefused();
  if (existed && S_ISDIR(st.st_mode)) return ErrnoError(EISDIR);
  if (existed && !S_ISREG(st.st_mode)) return PlatformError{EINVAL, "Not a regular file"};
  return Replace(path, st, existed, content, mode, Flush::ToDisk);
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

Result<std::string> ReadRegularFile(const std::string& path, size_t maxBytes) {
  auto opened = OpenRegularFile(path, O_RDONLY);
  if (!opened) return opened.error();
  const int fd = *opened;
  std::string out;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || out.size() + static_cast<size_t>(n) > maxBytes) {
      int err = n < 0 ? errno : n > 0 ? EFBIG : 0;
      ::close(fd);
      if (err != 0) return ErrnoError(err);
      return out;
    }
    out.append(buf, static_cast<size_t>(n));
  }
}

Status TouchFile(const std::string& path) {
  if (::utimensat(AT_FDCWD, path.c_str(), nullptr, AT_SYMLINK_NOFOLLOW) != 0)
    return ErrnoError(errno);
  return Status::Ok();
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace velloran
