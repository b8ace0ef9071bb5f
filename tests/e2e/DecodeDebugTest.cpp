// velloran decode-debug on what administrators hand it: debug files, and
// whatever else a path can name.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/modDebug.h"
#include "tests/support/EngineProcess.h"

namespace velloran {
namespace {

TEST(DecodeDebugCommand, PrintsADebugFileAndRefusesWhatIsNone) {
  test::TempDir dir;
  const auto good = dir / "PC01.debug";
  Bytes bytes = EncodeDebugText(">> line one\r\n>> line two\r\n");
  test::WriteFile(good, std::string(bytes.begin(), bytes.end()));
  auto decoded = test::RunProcess(VELLORAN_TOOL_PATH, {"decode-debug", good.string()});
  EXPECT_EQ(decoded.ExitCode, 0) << decoded.Stderr;
  EXPECT_EQ(decoded.Stdout, ">> line one\r\n>> line two\r\n");

  // A folder threw an uncaught exception; /dev/zero grew memory until the
  // tool aborted; a FIFO would wait for a writer for ever.
  const auto fifo = dir / "pipe.debug";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path :
       {dir.str(), std::string("/dev/zero"), fifo.string(), (dir / "absent").string()}) {
    auto r = test::RunProcess(VELLORAN_TOOL_PATH, {"decode-debug", path});
    EXPECT_EQ(r.ExitCode, 1) << path;
    EXPECT_TRUE(r.Stderr.starts_with("velloran decode-debug: cannot open " + path + ": "))
        << r.Stderr;
    EXPECT_EQ(r.Stdout, "");
  }
}

}  // namespace
}  // namespace velloran
