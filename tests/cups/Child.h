#pragma once
// Code a test must run in a process of its own: as another user, or where a
// fault under test could hang or exhaust memory.

#include <functional>
#include <string>

namespace velloran::test {

/// Runs `work` in a child with a 1 GiB memory limit and a 20 s time limit;
/// what it returns comes back, or why it did not ("killed after 20 s",
/// "crashed ..."). The child never returns into the test runner.
std::string InChild(const std::function<std::string()>& work);

}  // namespace velloran::test
