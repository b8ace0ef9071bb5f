#include "platform/cups/UserHomeFile.h"

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/cups/CupsQueue.h"

namespace velloran::cups {

namespace {

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Takes the user's file-system identity for the life of the object; the
// rest of the process keeps root's. The kernel's own checks then apply as
// for the user: a link to a file only root may read stays unread.
class ActingAs {
 public:
  explicit ActingAs(const HomeFile& f) : active_(f.Uid.has_value()) {
    if (!active_) return;
    oldGid_ = static_cast<gid_t>(::setfsgid(f.Gid));
    oldUid_ = static_cast<uid_t>(::setfsuid(*f.Uid));
    // setfsuid answers the previous identity even when it refuses; asking
    // again with an invalid one tells which holds now.
    ok_ = static_cast<uid_t>(::setfsuid(static_cast<uid_t>(-1))) == *f.Uid &&
          static_cast<gid_t>(::setfsgid(static_cast<gid_t>(-1))) == f.Gid;
  }
  ~ActingAs() {
    if (!active_) return;
    ::setfsuid(oldUid_);
    ::setfsgid(oldGid_);
  }
  ActingAs(const ActingAs&) = delete;
  ActingAs& operator=(const ActingAs&) = delete;
  bool ok() const { return !active_ || ok_; }

 private:
  bool active_;
  bool ok_ = false;
  uid_t oldUid_ = 0;
  gid_t oldGid_ = 0;
};

PlatformError Refused(const std::string& doing, const std::string& path, const std::string& why) {
  return {kAccessDenied, "Not " + doing + " " + path + ": " + why};
}

// The system's failure with the file named: the administrator reads it in
// the debug log, far from here. The number stays the errno one (ENOENT
// tells a missing file).
PlatformError Failed(const std::string& doing, const std::string& path, int err) {
  PlatformError e = ErrnoError(err);
  e.Description = "Not " + doing + " " + path + ": " + e.Description;
  return e;
}

// The folder the file lives in. For another user, neither the folder nor a
// link in its place is followed, and the folder must be the user's.
Result<int> OpenFolder(const HomeFile& f, const std::string& doing) {
  const bool strict = f.Uid.has_value();
  Fd home(::open(f.Home.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (home.get() < 0) return Failed(doing, f.Path(), errno);
  int dir = ::openat(home.get(), f.Folder.c_str(),
                     O_RDONLY | O_DIRECTORY | O_CLOEXEC | (strict ? O_NOFOLLOW : 0));
  const std::string folder = JoinPath(f.Home, f.Folder);
  if (dir < 0) {
    int err = errno;
    if (strict && (err == ELOOP || err == ENOTDIR))
      return Refused(doing, f.Path(), folder + " is not a folder of the user's own.");
    return Failed(doing, f.Path(), err);
  }
  struct stat st {};
  if (strict && (::fstat(dir, &st) != 0 || st.st_uid != *f.Uid)) {
    ::close(dir);
    return Refused(doing, f.Path(), folder + " is not a folder of the user's own.");
  }
  return dir;
}

Result<std::string> ReadOpen(const HomeFile& f, int dir) {
  const bool strict = f.Uid.has_value();
  // O_NONBLOCK: a FIFO in the file's place must not stop the run.
  Fd fd(::openat(dir, f.Name.c_str(),
                 O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (strict ? O_NOFOLLOW : 0)));
  if (fd.get() < 0) {
    int err = errno;
    if (strict && err == ELOOP)
      return Refused("reading", f.Path(), "it is a symbolic link, which is not followed.");
    return Failed("reading", f.Path(), err);
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return Failed("reading", f.Path(), errno);
  if (!S_ISREG(st.st_mode)) return Refused("reading", f.Path(), "it is not a regular file.");
  if (strict && st.st_uid != *f.Uid)
    return Refused("reading", f.Path(), "the file is not the user's own.");
  if (st.st_size > static_cast<off_t>(kHomeFileCap))
    return Refused("reading", f.Path(),
                   "it is larger than " + std::to_string(kHomeFileCap) + " bytes.");
  std::string text;
  char buffer[8192];
  while (true) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Failed("reading", f.Path(), errno);
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
    // A file that grows while it is read is held to the same cap.
    if (text.size() > kHomeFileCap)
      return Refused("reading", f.Path(),
                     "it is larger than " + std::to_string(kHomeFileCap) + " bytes.");
  }
  return text;
}

std::string TempName(const std::string& name) {
  static std::mt19937_64 random{std::random_device{}()};
  return "." + name + ".velloran-" + std::to_string(random() % 1000000000ULL);
}

Status WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ErrnoError(errno);
    content.remove_prefix(static_cast<size_t>(n));
  }
  return Status::Ok();
}

Status ReplaceIn(const HomeFile& f, int dir, std::string_view content) {
  // The mode of the file replaced is kept; a link or a stranger's file in
  // its place is refused, not replaced.
  mode_t mode = 0644;
  struct stat st {};
  if (::fstatat(dir, f.Name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (!S_ISREG(st.st_mode))
      return Refused("writing", f.Path(), "it is not a regular file (a link is not followed).");
    if (st.st_uid != *f.Uid) return Refused("writing", f.Path(), "the file is not the user's own.");
    mode = st.st_mode & 0777;
  }
  std::string temp;
  int raw = -1;
  for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
    temp = TempName(f.Name);
    raw = ::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (raw < 0 && errno != EEXIST) return Failed("writing", f.Path(), errno);
  }
  if (raw < 0) return Failed("writing", f.Path(), EEXIST);
  Fd fd(raw);
  Status written = WriteAll(fd.get(), content);
  if (!written.ok()) written = Failed("writing", f.Path(), written.error().Number);
  if (written.ok() && ::fchown(fd.get(), *f.Uid, f.Gid) != 0)
    written = Failed("writing", f.Path(), errno);
  if (written.ok() && ::fchmod(fd.get(), mode) != 0) written = Failed("writing", f.Path(), errno);
  if (written.ok() && ::fsync(fd.get()) != 0) written = Failed("writing", f.Path(), errno);
  if (written.ok() && ::renameat(dir, temp.c_str(), dir, f.Name.c_str()) != 0)
    written = Failed("writing", f.Path(), errno);
  if (!written.ok()) ::unlinkat(dir, temp.c_str(), 0);
  return written;
}

}  // namespace

std::string HomeFile::Path() const { return JoinPath(JoinPath(Home, Folder), Name); }

Result<std::string> ReadHomeFile(const HomeFile& file) {
  ActingAs as(file);
  if (!as.ok()) return Refused("reading", file.Path(), "cannot take the user's identity.");
  auto dir = OpenFolder(file, "reading");
  if (!dir) return dir.error();
  Fd owned(*dir);
  return ReadOpen(file, owned.get());
}

Status ReplaceHomeFile(const HomeFile& file, std::string_view content) {
  // A user working for themselves has no rights to gain: a link of theirs
  // is followed, as every program of theirs would.
  if (!file.Uid) return WriteFileAtomically(file.Path(), content);
  ActingAs as(file);
  if (!as.ok()) return Refused("writing", file.Path(), "cannot take the user's identity.");
  auto dir = OpenFolder(file, "writing");
  if (!dir) return dir.error();
  Fd owned(*dir);
  return ReplaceIn(file, owned.get(), content);
}

}  // namespace velloran::cups
