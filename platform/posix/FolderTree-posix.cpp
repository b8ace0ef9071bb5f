#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/CodePage.h"
#include "platform/FolderTree.h"
#include "platform/FolderTreeDetail.h"

namespace velloran {

namespace fs = std::filesystem;

namespace {

/// Whether `path` (canonical) lies inside `root` (canonical). A root that
/// could not be resolved contains nothing.
bool Inside(const fs::path& path, const fs::path& root) {
  // Both are absolute and without "." or "..": comparing their text is
  // comparing their components, without splitting either into parts.
  const std::string& r = root.native();
  const std::string& p = path.native();
  if (r.empty() || p.size() < r.size() || p.compare(0, r.size(), r) != 0) return false;
  return p.size() == r.size() || r.back() == '/' || p[r.size()] == '/';
}

std::string Errno(int err) { return std::strerror(err); }

// Each folder is opened relative to its parent's descriptor and never
// through a link, so a folder swapped for a link while the walk runs cannot
// lead it out of the tree; the descriptors held are one per level.
struct Walk {
  FolderTree& tree;

  void Unread(const fs::path& folder, std::string reason) {
    tree.Unread.push_back(FolderTree::Failure{PathText(folder), std::move(reason), false});
  }

  void Entry(int parent, const fs::path& path, const char* name, unsigned char type, size_t depth) {
    // The entry's kind as the folder lists it spares a call per file; a file
    // that is swapped for something else meanwhile is caught where it is
    // read, which checks what it opened anyway.
    if (type == DT_REG) {
      tree.Files.push_back({path, path});
      return;
    }
    struct stat st {};
    if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      // Gone since the folder was listed: nothing to read.
      if (errno != ENOENT) Unread(path, "cannot be examined: " + Errno(errno));
      return;
    }
    if (S_ISDIR(st.st_mode)) {
      if (depth >= kMaxFolderDepth) {
        Unread(path,
               "more than " + std::to_string(kMaxFolderDepth) + " folder levels deep: not walked");
        return;
      }
      const int fd =
          ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
      if (fd < 0) {
        Unread(path, "cannot be listed: " + Errno(errno));
        return;
      }
      List(fd, path, depth + 1);
      return;
    }
    if (S_ISREG(st.st_mode)) {
      tree.Files.push_back({path, path});
      return;
    }
    if (S_ISLNK(st.st_mode)) {
      std::error_code linkEc;
      const fs::path target = fs::canonical(path, linkEc);
      if (!linkEc && !Inside(target, tree.Root)) {
        ++tree.LinksLeaving;
        return;
      }
      if (!linkEc && fs::is_regular_file(fs::symlink_status(target, linkEc))) {
        tree.Files.push_back({path, target});
        return;
      }
    }
    ++tree.NotRegular;
  }

  /// Lists the folder open at `fd` (taken over) and its subfolders;
  /// `depth` counts the levels below the root.
  void List(int fd, const fs::path& folder, size_t depth) {
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
      const int err = errno;
      ::close(fd);
      if (depth == 0)
        tree.Stopped = FolderTree::Failure{PathText(folder), Errno(err), true};
      else
        Unread(folder, "cannot be listed: " + Errno(err));
      return;
    }
    for (;;) {
      errno = 0;
      const dirent* e = ::readdir(dir);
      if (!e) {
        if (errno != 0) Unread(folder, "cannot be listed to the end: " + Errno(errno));
        break;
      }
      if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
      Entry(::dirfd(dir), folder / e->d_name, e->d_name, e->d_type, depth);
    }
    ::closedir(dir);
  }
};

/// The path `fd` was opened at, as the kernel resolved it.
std::optional<fs::path> OpenedPath(int fd) {
  std::error_code ec;
  fs::path path = fs::read_symlink("/proc/self/fd/" + std::to_string(fd), ec);
  if (ec || path.empty() || path.native().front() != '/') return std::nullopt;
  return path;
}

}  // namespace

FolderTree ListFolderTree(const fs::path& root) {
  FolderTree tree;
  const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    tree.Stopped = FolderTree::Failure{PathText(root), Errno(errno), true};
    return tree;
  }
  // The root is resolved from the folder opened, not from its name again.
  const std::optional<fs::path> resolved = OpenedPath(fd);
  if (!resolved) {
    ::close(fd);
    tree.Stopped = FolderTree::Failure{PathText(root), "cannot tell where the folder lies", true};
    return tree;
  }
  tree.Root = *resolved;
  Walk{tree}.List(fd, root, 0);
  return tree;
}

namespace {

// The folder of the file read last, open, and whether it lies inside the
// tree: the files of a share are read folder by folder, and asking the
// kernel where each one lies costs more than reading it. A file opened
// relative to the folder's handle lies in that folder, wherever its name
// leads now: a folder swapped for a link after the check leads no read out.
struct OpenFolder {
  std::string Path, Within;
  int Fd = -1;
  bool Inside = false;
  OpenFolder() = default;
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;
  ~OpenFolder() { Close(); }
  void Close() {
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
    Path.clear();
  }
  // The folder `folder` open, checked against `within`; false when it
  // cannot be opened.
  bool Open(std::string_view folder, const fs::path& within) {
    if (Fd >= 0 && folder == Path && within.native() == Within) return true;
    Close();
    Path = folder;
    Fd = ::open(Path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (Fd < 0) return false;
    const std::optional<fs::path> opened = OpenedPath(Fd);
    Inside = opened && ::velloran::Inside(*opened, within);
    Within = within.native();
    return true;
  }
};

thread_local OpenFolder lastFolder;

}  // namespace

UntrustedRead ReadUntrustedFile(const fs::path& path, const fs::path& within, uint64_t limit,
                                uint64_t cap) {
  UntrustedRead r;
  const std::string& name = path.native();
  const size_t slash = name.rfind('/');
  constexpr int kFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW;
  const bool inFolder = slash != std::string::npos && slash > 0 && slash + 1 < name.size() &&
                        lastFolder.Open(std::string_view(name).substr(0, slash), within);
  const int fd = inFolder ? ::openat(lastFolder.Fd, name.c_str() + slash + 1, kFlags)
                          : ::open(path.c_str(), kFlags);
  if (fd < 0) {
    r.Result = errno == ELOOP ? UntrustedRead::NotRegular : UntrustedRead::Failed;
    r.Error = std::strerror(errno);
    return r;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    r.Result = UntrustedRead::NotRegular;
    return r;
  }
  // A folder on the way may have been swapped for a link since the listing:
  // where the file really lies decides, not the name it was listed under.
  const std::optional<fs::path> opened = inFolder ? std::optional<fs::path>() : OpenedPath(fd);
  if (inFolder ? !lastFolder.Inside : !opened || !Inside(*opened, within)) {
    ::close(fd);
    r.Result = UntrustedRead::Outside;
    return r;
  }
  r.When = static_cast<int64_t>(st.st_mtim.tv_sec);
  if (static_cast<uint64_t>(st.st_size) > cap) {
    ::close(fd);
    r.Result = UntrustedRead::TooLarge;
    return r;
  }
  detail::ReadCapped(r, static_cast<uint64_t>(st.st_size), limit, cap,
                     [&](char* into, size_t most) -> int64_t {
                       for (;;) {
                         const ssize_t n = ::read(fd, into, most);
                         if (n >= 0) return n;
                         if (errno == EINTR) continue;
                         r.Error = std::strerror(errno);
                         return -1;
                       }
                     });
  ::close(fd);
  return r;
}

std::string PathText(const fs::path& path) {
  const std::string& bytes = path.native();
  return IsValidUtf8(bytes) ? bytes : AnsiToUtf8(bytes);
}

fs::path PathFromText(const std::string& utf8) { return fs::path(utf8); }

}  // namespace velloran
