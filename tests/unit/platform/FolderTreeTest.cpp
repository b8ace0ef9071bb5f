// Reading a folder that others write to: what a folder swapped for a link
// after the listing can reach, and when a path counts as inside the folder.
// (How deep the walk goes is held by the summary's tests.)

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FolderTree.h"
#include "platform/FolderTreeDetail.h"
#include "tests/support/Fakes.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;

const FolderTree::File* Find(const FolderTree& tree, const fs::path& path) {
  for (const auto& f : tree.Files)
    if (f.Path == path) return &f;
  return nullptr;
}

TEST(FolderTree, AFolderSwappedForALinkAfterTheListingLeadsNoReadOutside) {
  TempDir share, outside;
  fs::create_directory(share / "floor2");
  WriteFile(share / "floor2" / "PC01.debug", "inside");
  WriteFile(share / "PC02.debug", "top");
  WriteFile(outside / "PC01.debug", "secret");
  const FolderTree tree = ListFolderTree(share.path());
  ASSERT_FALSE(tree.Stopped);
  const FolderTree::File* listed = Find(tree, share / "floor2" / "PC01.debug");
  ASSERT_TRUE(listed);

  fs::remove_all(share / "floor2");
  fs::create_directory_symlink(outside.path(), share / "floor2");
  const UntrustedRead swapped = ReadUntrustedFile(listed->Open, tree.Root, 100, 100);
  EXPECT_EQ(swapped.Result, UntrustedRead::Outside);
  EXPECT_TRUE(swapped.Bytes.empty());

  const UntrustedRead kept = ReadUntrustedFile(share / "PC02.debug", tree.Root, 100, 100);
  EXPECT_EQ(kept.Result, UntrustedRead::Ok);
  EXPECT_EQ(kept.Bytes, "top");
  // Without a resolved root nothing counts as inside.
  EXPECT_EQ(ReadUntrustedFile(share / "PC02.debug", "", 100, 100).Result, UntrustedRead::Outside);
}

TEST(FolderTree, TheRootIsTheFolderItsNameResolvesTo) {
  // A root named through a link resolves to its target; the tree keeps that.
  TempDir dir;
  fs::create_directory(dir / "real");
  fs::create_directory_symlink(dir / "real", dir / "named");
  EXPECT_EQ(ListFolderTree(dir / "named").Root, fs::canonical(dir / "real"));
  const FolderTree missing = ListFolderTree(dir / "nowhere");
  ASSERT_TRUE(missing.Stopped);
  EXPECT_TRUE(missing.Stopped->AtRoot);
  EXPECT_TRUE(missing.Root.empty());
}

TEST(FolderTree, InsideMeansBelowTheRootWhateverTheCase) {
  struct Case {
    const wchar_t* path;
    const wchar_t* root;
    bool inside;
  } cases[] = {
      {L"\\\\?\\C:\\Share\\PC01.debug", L"\\\\?\\C:\\Share", true},
      {L"\\\\?\\c:\\SHARE\\sub\\x", L"\\\\?\\C:\\share", true},
      {L"\\\\?\\C:\\Share", L"\\\\?\\C:\\Share", true},
      {L"\\\\?\\C:\\x", L"\\\\?\\C:\\", true},
      {L"\\\\?\\C:\\Share2\\x", L"\\\\?\\C:\\Share", false},
      {L"\\\\?\\C:\\Sha", L"\\\\?\\C:\\Share", false},
      {L"\\\\?\\D:\\Share\\x", L"\\\\?\\C:\\Share", false},
      {L"\\\\?\\C:\\Share\\x", L"", false},
      {L"", L"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << fs::path(c.path).string() << " in " << fs::path(c.root).string());
    EXPECT_EQ(detail::InsideFolder(c.path, c.root), c.inside);
  }
}

}  // namespace
}  // namespace velloran
