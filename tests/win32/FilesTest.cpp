// Files as the Windows engine writes them: atomic replacement, appended
// blocks, and the system's profile functions.

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/AppendFile.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/profile/Profile.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {
namespace {

/// A fresh folder under the temp folder, removed with its files.
struct Folder : ::testing::Test {
  std::string dir;
  void SetUp() override {
    char base[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof base, base);
    dir = std::string(base) + "velloran-" + std::to_string(::GetCurrentProcessId()) + "-" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
  }
  void TearDown() override {
    WIN32_FIND_DATAA e{};
    HANDLE f = ::FindFirstFileA((dir + "\\*").c_str(), &e);
    if (f != INVALID_HANDLE_VALUE) {
      do {
        std::string p = dir + "\\" + e.cFileName;
        if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          ::RemoveDirectoryA(p.c_str());
        else
          ::DeleteFileA(p.c_str());
      } while (::FindNextFileA(f, &e));
      ::FindClose(f);
    }
    ::RemoveDirectoryA(dir.c_str());
  }
  std::string Path(const char* name) const { return dir + "\\" + name; }
  int FileCount() const {
    int n = 0;
    WIN32_FIND_DATAA e{};
    HANDLE f = ::FindFirstFileA((dir + "\\*").c_str(), &e);
    if (f == INVALID_HANDLE_VALUE) return 0;
    do {
      if (!(e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (::FindNextFileA(f, &e));
    ::FindClose(f);
    return n;
  }
};

using Files = Folder;

TEST_F(Files, AtomicWritesReplaceWholeAndLeaveNoTempBehind) {
  const std::string p = Path("out.txt");
  ASSERT_TRUE(WriteFileAtomically(p, std::string("first\r\n")).ok());
  ASSERT_TRUE(WriteFileAtomically(p, std::string("second, longer\r\n\0zero", 22)).ok());
  EXPECT_EQ(ReadWholeFile(p).value(), std::string("second, longer\r\n\0zero", 22));
  EXPECT_EQ(FileCount(), 1);

  // A name beyond ASCII is the file the folder lists.
  ASSERT_TRUE(WriteFileAtomically(Path("Grüße ß.txt"), "x").ok());
  EXPECT_EQ(PlainFileNames(dir).size(), 2u);
  bool found = false;
  for (const auto& name : PlainFileNames(dir)) found = found || name == "Grüße ß.txt";
  EXPECT_TRUE(found);
  const std::wstring wide(dir.begin(), dir.end());
  EXPECT_NE(::GetFileAttributesW((wide + L"\\Gr\u00FC\u00DFe \u00DF.txt").c_str()),
            INVALID_FILE_ATTRIBUTES);
}

// Another client writes these files (a debug file on the share): only a
// regular file is read, and its size decides before any byte is read.
TEST_F(Files, RegularFileReadsTakeOnlyFilesWithinTheCap) {
  const std::string p = Path("PC01.debug");
  ASSERT_TRUE(WriteFileAtomically(p, "0123456789").ok());
  EXPECT_EQ(ReadRegularFile(p, 10).value(), "0123456789");
  auto over = ReadRegularFile(p, 9);
  ASSERT_FALSE(over);
  EXPECT_EQ(over.error().Number, EFBIG);
  EXPECT_FALSE(ReadRegularFile(dir, 100)) << "a folder";

  // A device reads as an empty file and a pipe waits on its writer.
  EXPECT_FALSE(ReadRegularFile("NUL", 100));
  const std::string pipeName = "\\\\.\\pipe\\velloran-" + std::to_string(::GetCurrentProcessId());
  HANDLE pipe = ::CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096,
                                   4096, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReadRegularFile(pipeName, 100));
  ::CloseHandle(pipe);
}

TEST_F(Files, RegularFileReadsRefuseALinkByTheName) {
  const std::string p = Path("elsewhere.txt");
  ASSERT_TRUE(WriteFileAtomically(p, "secret").ok());
  const std::wstring link = Wide(Path("PC02.debug"));
  // Unprivileged links need Windows 10 in developer mode; Wine makes them.
  if (!::CreateSymbolicLinkW(link.c_str(), Wide(p).c_str(),
                             0x2 /* SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE */))
    GTEST_SKIP() << "no symbolic link can be made here";
  const DWORD attributes = ::GetFileAttributesW(link.c_str());
  const auto read = ReadRegularFile(Path("PC02.debug"), 100);
  ::DeleteFileW(link.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    GTEST_SKIP() << "this system shows the link as the file it names (Wine does)";
  EXPECT_FALSE(read) << "a link by the name is never read through";
}

TEST_F(Files, FailuresCarryTheNumbersCallersTellApart) {
  auto missing = ReadWholeFile(Path("missing.txt"));
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().Number, ENOENT);

  ASSERT_TRUE(::CreateDirectoryA(Path("sub").c_str(), nullptr));
  Status onFolder = WriteFileAtomically(Path("sub"), "x");
  ASSERT_FALSE(onFolder.ok());
  EXPECT_EQ(onFolder.error().Number, EISDIR);

  Status noFolder = WriteFileAtomically(Path("none\\out.txt"), "x");
  EXPECT_FALSE(noFolder.ok());

  // A read-only file is kept, and no temp file is left beside it.
  ASSERT_TRUE(WriteFileAtomically(Path("kept.ini"), "[S]\r\n").ok());
  ASSERT_TRUE(::SetFileAttributesA(Path("kept.ini").c_str(), FILE_ATTRIBUTE_READONLY));
  const int before = FileCount();
  Status readOnly = WriteFileAtomically(Path("kept.ini"), "changed");
  ASSERT_FALSE(readOnly.ok());
  EXPECT_EQ(readOnly.error().Number, EACCES);
  EXPECT_EQ(ReadWholeFile(Path("kept.ini")).value(), "[S]\r\n");
  EXPECT_EQ(FileCount(), before);
  ::SetFileAttributesA(Path("kept.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Files, AppendedBlocksFollowEachOtherByteForByte) {
  const std::string p = Path("events.log");
  ASSERT_TRUE(AppendBlockToFile(p, "one\r\n", std::chrono::milliseconds(100)).ok());
  ASSERT_TRUE(AppendBlockToFile(p, "two\n", std::chrono::milliseconds(100)).ok());
  EXPECT_EQ(ReadWholeFile(p).value(), "one\r\ntwo\n");
}

TEST_F(Files, AppendingWaitsForAnotherWritersLock) {
  const std::string p = Path("locked.log");
  HANDLE other = ::CreateFileA(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  OVERLAPPED at{};
  ASSERT_TRUE(::LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &at));
  const ULONGLONG before = ::GetTickCount64();
  // Whether the write then gets through depends on the system's locks
  // (Windows refuses writes into a locked range); the wait does not.
  static_cast<void>(AppendBlockToFile(p, "late\n", std::chrono::milliseconds(200)));
  EXPECT_GE(::GetTickCount64() - before, 150u);
  ::UnlockFileEx(other, 0, MAXDWORD, MAXDWORD, &at);
  ::CloseHandle(other);
  ASSERT_TRUE(AppendBlockToFile(p, "free\n", std::chrono::milliseconds(200)).ok());
  const std::string text = ReadWholeFile(p).value();
  EXPECT_EQ(text.substr(text.size() - 5), "free\n");
}

using Profile = Folder;

TEST_F(Profile, TheSystemsFunctionsReadWhatTheyWrote) {
  const std::string p = Path("move.ini");
  ProfileFunctions& profile = SystemProfile();
  ASSERT_TRUE(profile.WriteString("ACTIVE DIRECTORY", "DomainName", "corp.example.com", p).ok());
  EXPECT_EQ(profile.GetString("active directory", "DOMAINNAME", 255, p), "corp.example.com");
  // Cut to the buffer, as the API does.
  EXPECT_EQ(profile.GetString("ACTIVE DIRECTORY", "DomainName", 5, p), "corp");
  EXPECT_EQ(profile.GetString("ACTIVE DIRECTORY", "Missing", 255, p), "");
  EXPECT_EQ(profile.GetString("ACTIVE DIRECTORY", "DomainName", 255, Path("none.ini")), "");
}

TEST_F(Profile, WritesThatWouldBreakTheFileAreRefused) {
  const std::string p = Path("move.ini");
  ProfileFunctions& profile = SystemProfile();
  ASSERT_TRUE(profile.WriteString("GENERAL", "AlwaysRun", "False", p).ok());
  Status s = profile.WriteString("GENERAL", "AlwaysRun", "True\r\n[GENERAL]\r\nAlwaysRun=True", p);
  ASSERT_FALSE(s.ok());
  EXPECT_EQ(s.error().Number, ERROR_INVALID_PARAMETER);
  EXPECT_EQ(profile.GetString("GENERAL", "AlwaysRun", 255, p), "False");
}

}  // namespace
}  // namespace velloran
