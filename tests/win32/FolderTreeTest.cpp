// A result share read on Windows: the walk, the capped reads and the names
// as text, through the system's own calls.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/FolderTree.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;

struct Share : ::testing::Test {
  fs::path root;
  void SetUp() override {
    root = fs::temp_directory_path() /
           (L"velloran-tree-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            Wide(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(root);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  void Write(const fs::path& relative, const std::string& bytes) {
    fs::create_directories((root / relative).parent_path());
    std::ofstream(root / relative, std::ios::binary) << bytes;
  }
  std::vector<std::string> Listed(const fs::path& from) {
    std::vector<std::string> names;
    for (const auto& f : ListFolderTree(from).Files) names.push_back(PathText(f.Path));
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(Share, TheWalkFindsEveryFileAndNamesItAsTheRootWasNamed) {
  Write(L"PC01_SUCCESS_report.txt", "x");
  Write(fs::path(L"floor2") / L"deep" / L"B\u00dcRO-7.debug", "y");
  Write(fs::path(L"empty") / L"..keep", "");
  const std::string text = PathText(root);

  EXPECT_EQ(Listed(root),
            (std::vector<std::string>{text + "\\PC01_SUCCESS_report.txt", text + "\\empty\\..keep",
                                      text + "\\floor2\\deep\\B\xC3\x9CRO-7.debug"}));
  // Named with slashes (as a Unix path reaches Wine), the files are too.
  std::string slashed = text;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  const auto names = Listed(PathFromText(slashed));
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[2], slashed + "/floor2/deep/B\xC3\x9CRO-7.debug");

  const FolderTree missing = ListFolderTree(root / L"nowhere");
  ASSERT_TRUE(missing.Stopped);
  EXPECT_TRUE(missing.Stopped->AtRoot);
  EXPECT_TRUE(missing.Files.empty());
}

TEST_F(Share, TheWalkGoesDownToItsDepthCapAndNamesTheFolderBelow) {
  fs::path folder;
  for (size_t level = 1; level <= kMaxFolderDepth + 1; ++level) {
    folder /= L"d";
    Write(folder / L"PC.txt", "x");
  }
  const FolderTree tree = ListFolderTree(root);
  ASSERT_FALSE(tree.Stopped);
  EXPECT_EQ(tree.Files.size(), kMaxFolderDepth);
  ASSERT_EQ(tree.Unread.size(), 1u);
  EXPECT_EQ(tree.Unread[0].Path, PathText(root / folder));
}

TEST_F(Share, ReadsStopAtTheLimitAndRefuseFilesOverTheCap) {
  Write(L"PC01.debug", "0123456789");
  const fs::path file = root / L"PC01.debug";
  const fs::path within = ListFolderTree(root).Root;
  ASSERT_FALSE(within.empty());

  UntrustedRead whole = ReadUntrustedFile(file, within, 100, 100);
  EXPECT_EQ(whole.Result, UntrustedRead::Ok);
  EXPECT_EQ(whole.Bytes, "0123456789");
  const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
  EXPECT_NEAR(static_cast<double>(whole.When), static_cast<double>(now), 120.0);

  UntrustedRead head = ReadUntrustedFile(file, within, 4, 100);
  EXPECT_EQ(head.Result, UntrustedRead::Ok);
  EXPECT_EQ(head.Bytes, "0123");

  EXPECT_EQ(ReadUntrustedFile(file, within, 100, 9).Result, UntrustedRead::TooLarge);
  EXPECT_NE(ReadUntrustedFile(root, within, 100, 100).Result, UntrustedRead::Ok) << "a folder";
  UntrustedRead gone = ReadUntrustedFile(root / L"PC02.debug", within, 100, 100);
  EXPECT_EQ(gone.Result, UntrustedRead::Failed);
  EXPECT_FALSE(gone.Error.empty());
  // A root that could not be resolved holds nothing, and a file elsewhere is
  // not inside this root.
  EXPECT_EQ(ReadUntrustedFile(file, L"", 100, 100).Result, UntrustedRead::Outside);
  const fs::path other = root.parent_path() / (root.filename().wstring() + L"-other.txt");
  std::ofstream(other, std::ios::binary) << "other";
  EXPECT_EQ(ReadUntrustedFile(other, within, 100, 100).Result, UntrustedRead::Outside);
  fs::remove(other);
}

TEST_F(Share, AFolderSwappedForALinkAfterTheListingLeadsNoReadOutside) {
  Write(fs::path(L"floor2") / L"PC01.debug", "inside");
  const fs::path outside = root.parent_path() / (root.filename().wstring() + L"-outside");
  fs::create_directories(outside);
  std::ofstream(outside / L"PC01.debug", std::ios::binary) << "secret";
  const FolderTree tree = ListFolderTree(root);
  ASSERT_EQ(tree.Files.size(), 1u);
  fs::remove_all(root / L"floor2");
  const bool made = ::CreateSymbolicLinkW((root / L"floor2").c_str(), outside.c_str(),
                                          0x1 | 0x2 /* a folder, unprivileged */);
  const DWORD attributes = ::GetFileAttributesW((root / L"floor2").c_str());
  const bool shownAsLink =
      made && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  UntrustedRead read;
  if (shownAsLink) read = ReadUntrustedFile(tree.Files[0].Open, tree.Root, 100, 100);
  std::error_code ec;
  fs::remove(root / L"floor2", ec);
  fs::remove_all(outside, ec);
  if (!made) GTEST_SKIP() << "no symbolic link can be made here";
  // Wine 8 answers that it made the link and makes none.
  if (!shownAsLink) GTEST_SKIP() << "this system made no folder link to swap in";
  EXPECT_NE(read.Bytes, "secret");
  EXPECT_EQ(read.Result, UntrustedRead::Outside) << read.Error;
}

TEST_F(Share, ALinkOutOfTheShareIsCountedNotRead) {
  Write(L"PC01.debug", "inside");
  const fs::path outside = root.parent_path() / (root.filename().wstring() + L"-outside.txt");
  std::ofstream(outside, std::ios::binary) << "secret";
  // Unprivileged links need Windows 10 in developer mode; Wine makes them.
  const bool made = ::CreateSymbolicLinkW((root / L"PC02.debug").c_str(), outside.c_str(),
                                          0x2 /* SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE */);
  if (!made) {
    fs::remove(outside);
    GTEST_SKIP() << "no symbolic link can be made here";
  }
  const DWORD attributes = ::GetFileAttributesW((root / L"PC02.debug").c_str());
  const bool shownAsLink =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  const FolderTree tree = ListFolderTree(root);
  const UntrustedRead read = ReadUntrustedFile(root / L"PC02.debug", tree.Root, 100, 100);
  fs::remove(outside);
  if (!shownAsLink) GTEST_SKIP() << "this system shows the link as the file it names";
  EXPECT_EQ(tree.Files.size(), 1u);
  EXPECT_EQ(tree.LinksLeaving, 1u);
  EXPECT_NE(read.Bytes, "secret") << "the link itself is opened, never its target";
}

}  // namespace
}  // namespace velloran
