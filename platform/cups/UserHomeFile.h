#pragma once
// A small file in a user's home that the backend reads and replaces. Run as
// root for another user, the home is that user's to shape: links, FIFOs,
// devices and other people's files planted there are refused, and every
// step is taken with the user's file-system identity, so root's rights are
// never lent to a path the user chose.

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Error.h"

namespace velloran::cups {

struct HomeFile {
  std::string Home;    // from the password database (or HOME)
  std::string Folder;  // one folder below the home, e.g. ".cups"
  std::string Name;    // e.g. "lpoptions"
  /// Set when this process works for another user (root under sudo).
  std::optional<uid_t> Uid;
  gid_t Gid = static_cast<gid_t>(-1);

  std::string Path() const;
};

/// Largest file read; anything bigger is refused rather than read.
inline constexpr size_t kHomeFileCap = 256 * 1024;

/// The file's text. Fails with ENOENT's number when it does not exist;
/// refuses (error 5) anything but a regular file of at most kHomeFileCap
/// bytes and, for another user, a link, or a folder or file not the user's.
Result<std::string> ReadHomeFile(const HomeFile& file);

/// Replaces the file with `content` through a temp file and a rename; for
/// another user, inside the user's own folder and as the user, the temp file
/// given to the user before it takes the name.
Status ReplaceHomeFile(const HomeFile& file, std::string_view content);

}  // namespace velloran::cups
