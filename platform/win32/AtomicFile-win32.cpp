#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

namespace {

Status WriteAll(HANDLE file, std::string_view content) {
  while (!content.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, content.data(), chunk, &written, nullptr)) return LastWin32Error();
    content.remove_prefix(written);
  }
  return Status::Ok();
}

// Callers tell "no such file" from other failures by errno number.
PlatformError AsErrno(DWORD code) {
  int err = EIO;
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      err = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      err = EACCES;
      break;
    default:
      break;
  }
  std::string text = SystemMessageText(code);
  return PlatformError{err, text.empty() ? ErrnoError(err).Description : text};
}

}  // namespace

// Windows has no mode bits: a new file takes the folder's permissions, and
// the rename keeps those of the file it replaces.
Status WriteFileAtomically(const std::string& path, std::string_view content, unsigned,
                           Flush flush) {
  DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return ErrnoError(EISDIR);
  // The rename would fail on it too, but only after the temp file was made.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    return ErrnoError(EACCES);

  // Beside the target, so that the rename stays on one volume.
  std::string tmp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
    tmp = path + "." + std::to_string(::GetCurrentProcessId()) + "-" +
          std::to_string(::GetTickCount() + attempt) + ".tmp";
    file = ::CreateFileW(Wide(tmp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && (::GetLastError() != ERROR_FILE_EXISTS || attempt >= 100))
      return LastWin32Error();
  }

  Status result = WriteAll(file, content);
  if (result.ok() && flush == Flush::ToDisk && !::FlushFileBuffers(file)) result = LastWin32Error();
  if (!::CloseHandle(file) && result.ok()) result = LastWin32Error();
  if (result.ok() && !::MoveFileExW(Wide(tmp).c_str(), Wide(path).c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    result = LastWin32Error();
  if (!result.ok()) ::DeleteFileW(Wide(tmp).c_str());
  return result;
}

Result<std::string> ReadWholeFile(const std::string& path) {
  HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return AsErrno(::GetLastError());
  std::string out;
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file, buf, sizeof buf, &n, nullptr)) {
      DWORD code = ::GetLastError();
      ::CloseHandle(file);
      return AsErrno(code);
    }
    if (n == 0) break;
    out.append(buf, n);
  }
  ::CloseHandle(file);
  return out;
}

// Links on Windows need a privilege ordinary users lack; the checks that
// matter on a share are the folder's and the size.
Status ReplaceRegularFile(const std::string& path, std::string_view content, unsigned mode) {
  return WriteFileAtomically(path, content, mode, Flush::ToDisk);
}

// Others write the files read here (a client's debug file on the share):
// the name itself is opened, never what a link or junction there names, and
// neither a device nor a pipe is read; the size decides before any byte is.
Result<std::string> ReadRegularFile(const std::string& path, size_t maxBytes) {
  HANDLE file = ::CreateFileW(
      Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return AsErrno(::GetLastError());
  struct Closer {
    HANDLE h;
    ~Closer() { ::CloseHandle(h); }
  } closer{file};
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info))
    return PlatformError{EINVAL, "Not a regular file"};
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ErrnoError(EISDIR);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    // Reparse points that name another file are links; the others
    // (deduplicated, offline files) hold their own data.
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag) ||
        IsReparseTagNameSurrogate(tag.ReparseTag))
      return PlatformError{ELOOP, "Symbolic link refused: only a regular file is opened"};
  }
  const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  if (size > maxBytes) return ErrnoError(EFBIG);
  std::string out;
  out.reserve(static_cast<size_t>(size));
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file, buf, sizeof buf, &n, nullptr)) return AsErrno(::GetLastError());
    if (n == 0) return out;
    // The file grows while it is read: a client is writing it.
    if (out.size() + n > maxBytes) return ErrnoError(EFBIG);
    out.append(buf, n);
  }
}

Status TouchFile(const std::string& path) {
  // The link itself gets the time, never the file it names.
  HANDLE file = ::CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return AsErrno(::GetLastError());
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  Status result = ::SetFileTime(file, nullptr, nullptr, &now) ? Status::Ok() : LastWin32Error();
  ::CloseHandle(file);
  return result;
}

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace velloran
