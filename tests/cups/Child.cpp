#include "tests/cups/Child.h"

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace velloran::test {

std::string InChild(const std::function<std::string()>& work) {
  int fds[2];
  if (::pipe(fds) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return "fork failed";
  }
  if (pid == 0) {
    ::close(fds[0]);
    rlimit memory{1ULL << 30, 1ULL << 30};
    ::setrlimit(RLIMIT_AS, &memory);
    std::string out;
    try {
      out = work();
    } catch (...) {
      ::_exit(5);
    }
    for (size_t at = 0; at < out.size();) {
      const ssize_t n = ::write(fds[1], out.data() + at, out.size() - at);
      if (n <= 0) ::_exit(4);
      at += static_cast<size_t>(n);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  // Read while waiting: a child with much to say must not block on a full
  // pipe until the time limit.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::string out;
  bool ended = false;
  while (!ended) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    pollfd p{fds[0], POLLIN, 0};
    const int ready = left > 0 ? ::poll(&p, 1, static_cast<int>(left)) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char buffer[512];
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ended = true;
    else out.append(buffer, static_cast<size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return "killed after 20 s";
  }
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "crashed " + std::to_string(status);
  return out;
}

}  // namespace velloran::test
