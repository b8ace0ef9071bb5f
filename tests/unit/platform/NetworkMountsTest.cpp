#include <gtest/gtest.h>

#include "platform/NetworkFolder.h"

namespace velloran {
namespace {

const char* kMounts =
    "proc /proc proc rw,nosuid 0 0\n"
    "//FILES01/Reports /mnt/reports cifs rw,vers=3.0 0 0\n"
    "//files01/reports/velloran /mnt/reports/velloran\\040logs cifs rw 0 0\n"
    "//nas/data /srv/nas nfs rw 0 0\n"
    "//nas2/share /mnt/nas2/ smb3 rw 0 0\n";

TEST(UNCPathOfLocalFolder, FoldersBelowAMountGetTheirShareName) {
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt/reports", kMounts), "\\\\FILES01\\Reports");
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt/reports/2026/dec/", kMounts),
            "\\\\FILES01\\Reports\\2026\\dec");
  // Nested mounts: the deeper mount point holds the folder.
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt/reports/velloran logs/out", kMounts),
            "\\\\files01\\reports\\velloran\\out");
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt/nas2/a", kMounts), "\\\\nas2\\share\\a");
}

TEST(UNCPathOfLocalFolder, OtherFoldersHaveNone) {
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt/reportsx", kMounts), "");
  EXPECT_EQ(UNCPathOfLocalFolder("/srv/nas/x", kMounts), "");  // not CIFS
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt", kMounts), "");
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt/reports", ""), "");
}

TEST(UNCPathOfLocalFolder, RoundTripsWithLocalFolderPath) {
  for (const char* unc : {"\\\\FILES01\\Reports\\a b\\c", "\\\\nas2\\share"}) {
    EXPECT_EQ(UNCPathOfLocalFolder(LocalFolderPath(unc, kMounts), kMounts), unc);
  }
}

TEST(UNCPathOfLocalFolder, DotsAndBackslashesCannotLeaveOrSplitTheShare) {
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt/reports/../etc", kMounts), "");
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt/reports/../nas2/x", kMounts), "\\\\nas2\\share\\x");
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt/reports/./a/../b", kMounts), "\\\\FILES01\\Reports\\b");
  // A local folder "a\b" is one folder; as a UNC path it would be two.
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt/reports/a\\b", kMounts), "");
}

TEST(LocalFolderPath, DotDotStaysInsideTheShare) {
  EXPECT_EQ(LocalFolderPath("\\\\FILES01\\Reports\\..\\..\\etc", kMounts), "/mnt/reports/etc");
  EXPECT_EQ(LocalFolderPath("\\\\FILES01\\Reports\\a\\.\\..\\b/../c", kMounts), "/mnt/reports/c");
  EXPECT_EQ(LocalFolderPath("\\\\FILES01\\Reports\\..", kMounts), "/mnt/reports");
  // ".." in place of the share names no share.
  EXPECT_EQ(LocalFolderPath("\\\\FILES01\\..\\etc", kMounts), "\\\\FILES01\\..\\etc");
}

TEST(NetworkMountPoints, InTableOrder) {
  EXPECT_EQ(NetworkMountPoints(kMounts),
            (std::vector<std::string>{"/mnt/reports", "/mnt/reports/velloran logs", "/mnt/nas2/"}));
  EXPECT_TRUE(NetworkMountPoints("").empty());
}

}  // namespace
}  // namespace velloran
