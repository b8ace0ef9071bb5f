#include <thread>

#include "platform/AppendFile.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

namespace {

// A byte-range lock of the whole possible file: SMB passes it to the server,
// so clients on other computers wait for it too.
Status LockWholeFile(HANDLE file, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    OVERLAPPED at{};
    if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                     MAXDWORD, &at))
      return Status::Ok();
    DWORD code = ::GetLastError();
    // A file system without byte-range locks: the append is still one
    // write, which is all such a file system offers.
    if (code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION) return Status::Ok();
    if (code != ERROR_LOCK_VIOLATION && code != ERROR_IO_PENDING) return Win32Error(code);
    if (std::chrono::steady_clock::now() >= deadline) return Win32Error(code);
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(20)) pause *= 2;
  }
}

}  // namespace

Status AppendBlockToFile(const std::string& path, std::string_view block,
                         std::chrono::milliseconds lockWait) {
  HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastWin32Error();

  // A lock that cannot be had in time is waited out, not reported: the block
  // still goes out in one write, and when that write succeeds the report is
  // in the file.
  const bool locked = LockWholeFile(file, lockWait).ok();
  Status last;

  // The end is found only now: under the lock it is where the last writer
  // stopped.
  LARGE_INTEGER zero{}, end{};
  const bool positioned = ::SetFilePointerEx(file, zero, &end, FILE_END);
  if (!positioned) last = LastWin32Error();
  const char* p = block.data();
  size_t left = block.size();
  while (left > 0) {
    DWORD written = 0;
    DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    if (!::WriteFile(file, p, chunk, &written, nullptr)) {
      last = LastWin32Error();
      break;
    }
    p += written;
    left -= written;
  }
  // A full disk lets part of the block in: cut the file back while the lock
  // is still held, so the next client's block does not follow a torn one.
  if (left > 0 && left < block.size() && locked && positioned) {
    if (::SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) ::SetEndOfFile(file);
  }
  if (locked) {
    OVERLAPPED at{};
    ::UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &at);
  }
  if (!::CloseHandle(file)) last = LastWin32Error();
  return last;
}

}  // namespace velloran
