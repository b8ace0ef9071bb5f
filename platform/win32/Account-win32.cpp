#include "platform/Account.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

std::string LoggedOnUserName() {
  wchar_t buffer[257] = {};
  DWORD size = 257;
  if (!::GetUserNameW(buffer, &size) || size == 0) return "";
  // size counts the terminating zero.
  return FromWide(buffer, size - 1);
}

}  // namespace velloran
