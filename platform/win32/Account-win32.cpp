#include <windows.h>

#include "platform/Account.h"

namespace velloran {

std::string LoggedOnUserName() {
  char buffer[255] = {};
  DWORD size = sizeof buffer;
  if (!::GetUserNameA(buffer, &size) || size == 0) return "";
  // size counts the terminating zero.
  return std::string(buffer, size - 1);
}

}  // namespace velloran
