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

// A later mount on the same folder, or on a folder above it, covers the
// earlier one: its share is no longer reachable there, whatever the later
// mount's type.
TEST(NetworkMounts, ALaterMountCoversAnEarlierOne) {
  const char* stacked =
      "//old/share /mnt/x cifs rw 0 0\n"
      "//new/share /mnt/x cifs rw 0 0\n"
      "//inner/q /mnt/top/in cifs rw 0 0\n"
      "//outer/s /mnt/top cifs rw 0 0\n"
      "//gone/t /srv/t cifs rw 0 0\n"
      "tmpfs /srv tmpfs rw 0 0\n";
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt/x/a", stacked), "\\\\new\\share\\a");
  EXPECT_EQ(LocalFolderPath("\\\\new\\share\\a", stacked), "/mnt/x/a");
  EXPECT_EQ(LocalFolderPath("\\\\old\\share\\a", stacked), "\\\\old\\share\\a");
  // //outer/s was mounted over /mnt/top after //inner/q went below it.
  EXPECT_EQ(UNCPathOfLocalFolder("/mnt/top/in/f", stacked), "\\\\outer\\s\\in\\f");
  EXPECT_EQ(LocalFolderPath("\\\\inner\\q\\f", stacked), "\\\\inner\\q\\f");
  EXPECT_EQ(LocalFolderPath("\\\\gone\\t", stacked), "\\\\gone\\t");
  EXPECT_EQ(UNCPathOfLocalFolder("/srv/t", stacked), "");
  // A share folder that crosses a mount nested inside it would lead to
  // another share, so it is not reachable through that mount.
  EXPECT_EQ(LocalFolderPath("\\\\FILES01\\Reports\\velloran logs\\f", kMounts),
            "\\\\FILES01\\Reports\\velloran logs\\f");
  EXPECT_EQ(LocalFolderPath("\\\\files01\\reports\\velloran\\f", kMounts),
            "/mnt/reports/velloran logs/f");
}

TEST(NetworkMountPoints, InTableOrder) {
  EXPECT_EQ(NetworkMountPoints(kMounts),
            (std::vector<std::string>{"/mnt/reports", "/mnt/reports/velloran logs", "/mnt/nas2/"}));
  EXPECT_TRUE(NetworkMountPoints("").empty());
}

// The shares a Windows deployment folder may lie under.
TEST(UNCPathThroughShares, AFolderIsNamedThroughTheDeepestShareThatHoldsIt) {
  const std::vector<LocalShare> shares = {
      {"Deploy$", "D:\\Deploy"}, {"Printers", "D:\\Deploy\\Printers\\"}, {"Data", "e:/data"}};
  const struct {
    const char* path;
    const char* unc;
  } cases[] = {
      {"D:\\Deploy", "\\\\FS01\\Deploy$"},
      {"d:\\deploy\\2026\\Dec\\", "\\\\FS01\\Deploy$\\2026\\Dec"},
      {"D:\\Deploy\\Printers\\engine", "\\\\FS01\\Printers\\engine"},
      {"D:/Deploy/x/../Printers", "\\\\FS01\\Printers"},
      {"E:\\Data\\b\u00fcro", "\\\\FS01\\Data\\b\u00fcro"},
      // Not under a share: a longer name, another drive, climbing out.
      {"D:\\Deployment", ""},
      {"C:\\Deploy", ""},
      {"D:\\Deploy\\..\\Other", ""},
      {"D:\\", ""},
      // Already a network path.
      {"\\\\FS01\\Deploy$\\x", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(UNCPathThroughShares(c.path, shares, "FS01"), c.unc) << c.path;
  EXPECT_EQ(UNCPathThroughShares("D:\\Deploy", {}, "FS01"), "");
  EXPECT_EQ(UNCPathThroughShares("D:\\Deploy", shares, ""), "") << "no computer name, no path";
}

}  // namespace
}  // namespace velloran
