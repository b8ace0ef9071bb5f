#pragma once
// Reading a folder tree that others write to (a deployment share where every
// client leaves its reports) as untrusted: links are not walked into,
// anything but a regular file is left alone and no file is read past a cap,
// so a planted link, FIFO, device or huge file cannot stall or exhaust the
// reader.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velloran {

/// How many folder levels below the root a walk goes down. Clients write
/// their reports at most a few levels down; a deeper tree is someone's
/// doing, and each level walked holds a handle open.
constexpr size_t kMaxFolderDepth = 64;

/// The files below one folder, found without following links out of it.
struct FolderTree {
  struct File {
    std::filesystem::path Path;  ///< as listed
    std::filesystem::path Open;  ///< what to read (a link's target inside the folder)
    bool operator<(const File& o) const { return Path < o.Path; }
  };
  struct Failure {
    std::string Path;  ///< UTF-8
    std::string Reason;
    bool AtRoot = false;  ///< the folder itself could not be listed
  };
  /// The root as the system resolves it, links followed: what every read
  /// of the tree is checked against.
  std::filesystem::path Root;
  std::vector<File> Files;  ///< in no particular order
  /// Links whose target lies outside the folder, and entries that are
  /// neither regular files nor folders (FIFOs, sockets, devices, links to
  /// folders, dangling links).
  size_t LinksLeaving = 0, NotRegular = 0;
  /// Subfolders left out: they could not be listed (denied, vanished, out
  /// of handles) or lie deeper than kMaxFolderDepth. The rest was walked.
  std::vector<Failure> Unread;
  /// The root itself could not be listed or resolved: nothing was walked.
  std::optional<Failure> Stopped;
};

/// Lists every file below `root` and its subfolders. A link is followed only
/// to a regular file inside `root` (its target is what gets read); links to
/// folders are not walked; a subfolder that cannot be listed is named in
/// Unread and the walk goes on.
FolderTree ListFolderTree(const std::filesystem::path& root);

/// One file of such a tree, read.
struct UntrustedRead {
  /// Outside: what was opened lies outside the tree (a folder on the way was
  /// swapped for a link after the listing); nothing was read.
  enum Kind { Ok, NotRegular, TooLarge, Failed, Outside } Result = Ok;
  std::string Bytes;
  std::string Error;  ///< the system's reason when Failed
  int64_t When = 0;   ///< modification time, seconds since the epoch
};

/// Reads at most `limit` bytes of `path`, a file of the tree whose Root is
/// `within`. A link at the name is not followed and anything but a regular
/// file (a FIFO would block, a device never end) is NotRegular; a file whose
/// opened handle is not inside `within` is Outside (an empty `within` admits
/// nothing); a file larger than `cap` is TooLarge without being read, and so
/// is one that grows past `cap` while it is read when `limit` >= `cap`.
UntrustedRead ReadUntrustedFile(const std::filesystem::path& path,
                                const std::filesystem::path& within, uint64_t limit, uint64_t cap);

/// A path of such a tree as UTF-8 text for reports: on Windows its name as
/// the file system holds it; elsewhere its bytes, read in the INI code page
/// when they are no UTF-8.
std::string PathText(const std::filesystem::path& path);

/// A path named in UTF-8 (a command-line argument) as the file system takes it.
std::filesystem::path PathFromText(const std::string& utf8);

}  // namespace velloran
