#include <algorithm>
#include <string>

#include "platform/FolderTree.h"
#include "platform/FolderTreeDetail.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

namespace fs = std::filesystem;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

struct Handle {
  HANDLE h = INVALID_HANDLE_VALUE;
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
};

// Links are the reparse points that name another file (symbolic links,
// junctions); others (deduplicated or offline files) hold their own data.
bool IsLink(DWORD attributes, DWORD tag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(tag);
}

/// The final path of an open handle, links resolved; "" when the system
/// cannot tell it.
std::wstring FinalPathOf(HANDLE h) {
  std::wstring out(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()),
                                          FILE_NAME_NORMALIZED);
    if (n == 0) return {};
    if (n < out.size()) {
      out.resize(n);
      return out;
    }
    out.resize(n + 1);
  }
}

/// The path the system resolves `path` to, links followed ("" when it
/// cannot be opened), and whether that is a folder.
std::wstring FinalPath(const fs::path& path, bool& folder) {
  Handle file;
  file.h = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file.h == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION info{};
  folder = !::GetFileInformationByHandle(file.h, &info) ||
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  return FinalPathOf(file.h);
}

using detail::InsideFolder;

struct Walk {
  FolderTree& tree;
  std::wstring root;  ///< final path of the root
  /// Paths are joined with the separator the root was named with, so the
  /// report shows them as the administrator typed the share.
  wchar_t separator;

  fs::path Join(const fs::path& folder, const std::wstring& name) const {
    std::wstring out = folder.native();
    if (!out.empty() && out.back() != L'\\' && out.back() != L'/') out += separator;
    return fs::path(out + name);
  }

  void Unread(const fs::path& folder, std::string reason) {
    tree.Unread.push_back(FolderTree::Failure{PathText(folder), std::move(reason), false});
  }

  /// Lists `folder`, `depth` levels below the root, and its subfolders; a
  /// subfolder that cannot be listed is named and passed over.
  void List(const fs::path& folder, size_t depth) {
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = Join(folder, L"*").native();
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_FILE_NOT_FOUND) return;  // an empty drive
      if (depth == 0)
        tree.Stopped = FolderTree::Failure{PathText(folder), SystemMessageText(error), true};
      else
        Unread(folder, "cannot be listed: " + SystemMessageText(error));
      return;
    }
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const fs::path path = Join(folder, name);
      const DWORD attributes = entry.dwFileAttributes;
      if (IsLink(attributes, entry.dwReserved0)) {
        bool targetFolder = true;
        const std::wstring target = FinalPath(path, targetFolder);
        if (!target.empty() && !InsideFolder(target, root)) {
          ++tree.LinksLeaving;
        } else if (!target.empty() && !targetFolder) {
          tree.Files.push_back({path, fs::path(target)});
        } else {
          ++tree.NotRegular;
        }
      } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (depth + 1 > kMaxFolderDepth)
          Unread(path, "more than " + std::to_string(kMaxFolderDepth) +
                           " folder levels deep: not walked");
        else
          List(path, depth + 1);
      } else if (attributes & FILE_ATTRIBUTE_DEVICE) {
        ++tree.NotRegular;
      } else {
        tree.Files.push_back({path, path});
      }
    } while (::FindNextFileW(find, &entry));
    if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES)
      Unread(folder, "cannot be listed to the end: " + SystemMessageText(error));
    ::FindClose(find);
  }
};

int64_t UnixSeconds(const FILETIME& t) {
  const uint64_t ticks = (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
  // 100 ns ticks since 1601-01-01.
  return static_cast<int64_t>(ticks / 10000000u) - 11644473600LL;
}

}  // namespace

FolderTree ListFolderTree(const fs::path& root) {
  FolderTree tree;
  bool folder = false;
  const std::wstring& named = root.native();
  const bool slashes =
      named.find(L'/') != std::wstring::npos && named.find(L'\\') == std::wstring::npos;
  Walk walk{tree, FinalPath(root, folder), slashes ? L'/' : L'\\'};
  // Without the root's own path no link or read can be told inside it.
  if (walk.root.empty()) {
    const DWORD error = ::GetLastError();
    tree.Stopped = FolderTree::Failure{
        PathText(root), error ? SystemMessageText(error) : "cannot tell where the folder lies",
        true};
    return tree;
  }
  tree.Root = fs::path(walk.root);
  walk.List(root, 0);
  if (tree.Stopped) tree.Stopped->Path = PathText(root);
  return tree;
}

UntrustedRead ReadUntrustedFile(const fs::path& path, const fs::path& within, uint64_t limit,
                                uint64_t cap) {
  UntrustedRead r;
  // The name itself is opened, never what a link there points to.
  Handle file;
  file.h = ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file.h == INVALID_HANDLE_VALUE) {
    r.Result = UntrustedRead::Failed;
    r.Error = SystemMessageText(::GetLastError());
    return r;
  }
  // Pipes and devices (CON, NUL, COM1) open like files.
  FILE_ATTRIBUTE_TAG_INFO tag{};
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(file.h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file.h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    r.Result = UntrustedRead::NotRegular;
    return r;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    if (!::GetFileInformationByHandleEx(file.h, FileAttributeTagInfo, &tag, sizeof tag) ||
        IsLink(tag.FileAttributes, tag.ReparseTag)) {
      r.Result = UntrustedRead::NotRegular;
      return r;
    }
  }
  // A folder on the way may have been swapped for a junction since the
  // listing: where the handle really lies decides, not the name.
  if (!InsideFolder(FinalPathOf(file.h), within.native())) {
    r.Result = UntrustedRead::Outside;
    return r;
  }
  r.When = UnixSeconds(info.ftLastWriteTime);
  const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  if (size > cap) {
    r.Result = UntrustedRead::TooLarge;
    return r;
  }
  detail::ReadCapped(r, size, limit, cap, [&](char* into, size_t most) -> int64_t {
    DWORD n = 0;
    if (::ReadFile(file.h, into, static_cast<DWORD>(std::min<size_t>(most, 1u << 30)), &n, nullptr))
      return n;
    r.Error = SystemMessageText(::GetLastError());
    return -1;
  });
  return r;
}

std::string PathText(const fs::path& path) { return FromWide(path.native()); }

fs::path PathFromText(const std::string& utf8) { return fs::path(Wide(utf8)); }

}  // namespace velloran
