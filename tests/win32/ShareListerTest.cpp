// The Windows share lister through the real system calls. Wine's share
// enumeration is a stub, so what can be tested here is that an address
// with no server fails as unreachable, with the system's text, instead of
// crashing or hanging the check.

#include <gtest/gtest.h>

#include "check/win32/WindowsShareLister.h"

namespace velloran::check {
namespace {

TEST(WindowsShareLister, AServerThatCannotBeAskedIsNotAnswered) {
  auto lister = MakeWindowsShareLister();
  const ServerAnswer a =
      lister->Ask({"127.0.0.9", {"Q"}, true}, Clock::now() + std::chrono::seconds(30));
  EXPECT_NE(a.State, ServerState::Answered);
  EXPECT_FALSE(a.Detail.empty());
  EXPECT_TRUE(a.Shares.empty());
}

}  // namespace
}  // namespace velloran::check
