#include <cerrno>

#include "platform/RegularFile.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

Status CheckReadableRegularFile(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return ErrnoError(EISDIR);
  HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastWin32Error();
  // Pipes and devices (CON, NUL, COM1) open like files.
  DWORD type = ::GetFileType(file);
  ::CloseHandle(file);
  if (type != FILE_TYPE_DISK) return PlatformError{EINVAL, "not a regular file"};
  return Status::Ok();
}

}  // namespace velloran
