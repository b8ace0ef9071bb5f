#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/CodePage.h"
#include "platform/FolderTree.h"
#include "platform/FolderTreeDetail.h"

namespace velloran {

namespace fs = std::filesystem;

namespace {

/// Whether `path` (canonical) lies inside `root` (canonical).
bool Inside(const fs::path& path, const fs::path& root) {
  auto [r, p] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
  return r == root.end();
}

}  // namespace

FolderTree ListFolderTree(const fs::path& root) {
  FolderTree tree;
  std::error_code ec;
  const fs::path canonicalRoot = fs::canonical(root, ec);
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
  if (ec) {
    tree.Stopped = FolderTree::Failure{root.string(), ec.message(), true};
    return tree;
  }
  for (auto end = fs::recursive_directory_iterator(); it != end; it.increment(ec)) {
    if (ec) {
      tree.Stopped = FolderTree::Failure{PathText(it->path()), ec.message(), false};
      break;
    }
    std::error_code typeEc;
    const fs::file_status status = it->symlink_status(typeEc);
    if (fs::is_directory(status)) continue;
    if (fs::is_regular_file(status)) {
      tree.Files.push_back({it->path(), it->path()});
      continue;
    }
    if (fs::is_symlink(status)) {
      std::error_code linkEc;
      const fs::path target = fs::canonical(it->path(), linkEc);
      if (!linkEc && !Inside(target, canonicalRoot)) {
        ++tree.LinksLeaving;
        continue;
      }
      if (!linkEc && fs::is_regular_file(fs::symlink_status(target, linkEc))) {
        tree.Files.push_back({it->path(), target});
        continue;
      }
    }
    ++tree.NotRegular;
  }
  return tree;
}

UntrustedRead ReadUntrustedFile(const fs::path& path, uint64_t limit, uint64_t cap) {
  UntrustedRead r;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
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
