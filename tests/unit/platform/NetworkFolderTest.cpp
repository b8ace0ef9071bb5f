#include <gtest/gtest.h>

#include "platform/NetworkFolder.h"

namespace velloran {
namespace {

const char* kMounts =
    "proc /proc proc rw,nosuid 0 0\n"
    "//FILES01/Reports /mnt/reports cifs rw,vers=3.0 0 0\n"
    "//files01/reports/velloran /mnt/velloran\\040logs cifs rw 0 0\n"
    "//nas/data /srv/nas nfs rw 0 0\n"
    "//nas2/share /mnt/nas2 smb3 rw 0 0\n";

TEST(LocalFolderPath, UNCFoldersResolveThroughTheDeepestCIFSMount) {
  EXPECT_EQ(LocalFolderPath("\\\\files01\\reports", kMounts), "/mnt/reports");
  EXPECT_EQ(LocalFolderPath("\\\\Files01\\REPORTS\\2026\\dec", kMounts), "/mnt/reports/2026/dec");
  EXPECT_EQ(LocalFolderPath("\\\\files01\\reports\\Velloran\\out", kMounts),
            "/mnt/velloran logs/out");
  EXPECT_EQ(LocalFolderPath("\\\\nas2\\share/sub", kMounts), "/mnt/nas2/sub");
}

TEST(LocalFolderPath, OtherPathsStayAsWritten) {
  EXPECT_EQ(LocalFolderPath("\\\\nas\\data\\x", kMounts), "\\\\nas\\data\\x");  // not CIFS
  EXPECT_EQ(LocalFolderPath("\\\\other\\share", kMounts), "\\\\other\\share");
  EXPECT_EQ(LocalFolderPath("\\\\files01", kMounts), "\\\\files01");
  EXPECT_EQ(LocalFolderPath("/var/reports", kMounts), "/var/reports");
  EXPECT_EQ(LocalFolderPath("", kMounts), "");
}

}  // namespace
}  // namespace velloran
