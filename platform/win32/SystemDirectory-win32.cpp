#include "platform/SystemDirectory.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

// Windows need not live in C:\WINDOWS; the registration must name the
// directory this client really has.
std::string SystemDirectory() {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  UINT n = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  if (n >= buffer.size()) {
    // Too small: n is the size needed, the terminating zero included.
    buffer.assign(n, L'\0');
    n = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (n >= buffer.size()) n = 0;
  }
  if (n == 0) return "C:\\WINDOWS\\system32";
  buffer.resize(n);
  return FromWide(buffer);
}

}  // namespace velloran
