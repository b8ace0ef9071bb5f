#pragma once
// The read loop of ReadUntrustedFile and the inside test, shared by the
// backends.

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <string>
#include <string_view>

#include "platform/FolderTree.h"

namespace velloran::detail {

/// Whether `path` lies inside `root` (both final paths as Windows gives
/// them), without regard to case, as the file system compares names. A root
/// that could not be resolved contains nothing.
inline bool InsideFolder(std::wstring_view path, std::wstring_view root) {
  if (root.empty() || path.size() < root.size()) return false;
  for (size_t i = 0; i < root.size(); ++i)
    if (std::towlower(path[i]) != std::towlower(root[i])) return false;
  return path.size() == root.size() || path[root.size()] == L'\\' || root.back() == L'\\';
}

/// Reads into `r.Bytes` a file that had `size` bytes when it was opened,
/// keeping at most `limit` bytes; a file that grows past `cap` meanwhile is
/// TooLarge when `limit` >= `cap`. `readSome(into, most)` gives the bytes
/// read (0 at the end), or a negative number after setting `r.Error`.
template <class ReadSome>
void ReadCapped(UntrustedRead& r, uint64_t size, uint64_t limit, uint64_t cap, ReadSome readSome) {
  r.Bytes.resize(static_cast<size_t>(std::min(limit, size)) + 1);
  size_t used = 0;
  for (;;) {
    if (used == r.Bytes.size()) {
      // The file grew while it was read: a client is writing it.
      if (used > limit || used > cap) break;
      r.Bytes.resize(std::min<uint64_t>(r.Bytes.size() * 2, cap + 1));
    }
    const int64_t n = readSome(r.Bytes.data() + used, r.Bytes.size() - used);
    if (n < 0) {
      r.Result = UntrustedRead::Failed;
      break;
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  if (r.Result == UntrustedRead::Ok && used > cap && limit >= cap)
    r.Result = UntrustedRead::TooLarge;
  r.Bytes.resize(std::min<size_t>(used, static_cast<size_t>(limit)));
}

}  // namespace velloran::detail
