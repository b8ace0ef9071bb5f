// The shares of this computer, in a file of their own: only the toolkit
// asks for them, and the engine links no share enumeration.

#include "platform/NetworkFolder.h"
#include "platform/win32/Windows-win32.h"
// After windows.h, which it builds on.
#include <lm.h>

namespace velloran {

namespace {
// The kind of share in a share's type (STYPE_MASK, which MinGW's headers lack).
constexpr DWORD kShareKind = 0xFF;
}  // namespace

std::vector<LocalShare> LocalFolderShares() {
  std::vector<LocalShare> shares;
  DWORD_PTR resume = 0;
  NET_API_STATUS status;
  do {
    // Level 2 holds each share's folder; Windows gives it to administrators
    // (and Server Operators) only: anyone else gets none.
    SHARE_INFO_2* info = nullptr;
    DWORD read = 0, total = 0;
    DWORD resumeHandle = static_cast<DWORD>(resume);
    status = ::NetShareEnum(nullptr, 2, reinterpret_cast<LPBYTE*>(&info), MAX_PREFERRED_LENGTH,
                            &read, &total, &resumeHandle);
    resume = resumeHandle;
    if (status != NERR_Success && status != ERROR_MORE_DATA) break;
    for (DWORD i = 0; i < read; ++i) {
      const SHARE_INFO_2& share = info[i];
      // Disk shares only, and not C$ or ADMIN$: clients cannot use those.
      if ((share.shi2_type & kShareKind) != STYPE_DISKTREE || (share.shi2_type & STYPE_SPECIAL))
        continue;
      if (!share.shi2_netname || !share.shi2_path) continue;
      shares.push_back({FromWide(share.shi2_netname, wcslen(share.shi2_netname)),
                        FromWide(share.shi2_path, wcslen(share.shi2_path))});
    }
    if (info) ::NetApiBufferFree(info);
  } while (status == ERROR_MORE_DATA);
  return shares;
}

}  // namespace velloran
