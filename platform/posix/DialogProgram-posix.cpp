#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <vector>

#include "platform/DialogProgram.h"

namespace velloran {

namespace {

// The descriptor number the program is told to write its ready byte to.
constexpr int kReadyFd = 3;

void CloseQuietly(int fd) {
  if (fd >= 0) ::close(fd);
}

int WaitForExit(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return status;
}

class DialogProgramMessageBox : public MessageBox {
 public:
  DialogProgramMessageBox(std::string program, std::unique_ptr<MessageBox> fallback, int deadlineMs)
      : program_(std::move(program)), fallback_(std::move(fallback)), deadlineMs_(deadlineMs) {}

  MessageAnswer Show(std::string_view text, std::string_view title, MessageIcon icon,
                     MessageButtons buttons) override {
    std::string why;
    if (auto answer = ShowInProgram(text, title, icon, buttons, why)) return *answer;
    std::cerr << "VelloranEngine: the message box could not be shown (" << why
              << "); it follows here." << std::endl;
    return fallback_->Show(text, title, icon, buttons);
  }

 private:
  std::optional<MessageAnswer> ShowInProgram(std::string_view text, std::string_view title,
                                             MessageIcon icon, MessageButtons buttons,
                                             std::string& why) {
    // Everything the child needs is built before fork: after it, only
    // calls that are safe in a child of a threaded process may run.
    std::vector<std::string> words = {program_,
                                      "--ready-fd",
                                      std::to_string(kReadyFd),
                                      std::string(DialogIconWord(icon)),
                                      std::string(DialogButtonsWord(buttons)),
                                      std::string(title),
                                      std::string(text)};
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
      why = std::string("no pipe: ") + std::strerror(errno);
      return std::nullopt;
    }
    pid_t pid = ::fork();
    if (pid < 0) {
      why = std::string("cannot start a process: ") + std::strerror(errno);
      CloseQuietly(fds[0]);
      CloseQuietly(fds[1]);
      return std::nullopt;
    }
    if (pid == 0) {
      // dup2 onto itself would keep close-on-exec set.
      if (fds[1] == kReadyFd)
        ::fcntl(kReadyFd, F_SETFD, 0);
      else if (::dup2(fds[1], kReadyFd) < 0)
        ::_exit(127);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    bool shown = WaitUntilShown(fds[0]);
    ::close(fds[0]);
    if (!shown) {
      // Still running and nothing on screen: it will not come.
      ::kill(pid, SIGKILL);
    }
    int status = WaitForExit(pid);
    if (status >= 0 && WIFEXITED(status)) {
      if (auto answer = DialogAnswerFromExitCode(WEXITSTATUS(status))) return answer;
      why = WEXITSTATUS(status) == 127
                ? program_ + " cannot be started"
                : program_ + " ended with code " + std::to_string(WEXITSTATUS(status));
    } else if (status >= 0 && WIFSIGNALED(status)) {
      why = !shown && WTERMSIG(status) == SIGKILL
                ? program_ + " showed nothing within " + std::to_string(deadlineMs_) + " ms"
                : program_ + " ended by signal " + std::to_string(WTERMSIG(status));
    } else {
      why = program_ + " was lost";
    }
    return std::nullopt;
  }

  // True once the program reports its box on screen; false when it ends
  // first or the deadline passes.
  bool WaitUntilShown(int fd) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(deadlineMs_);
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
      if (left <= 0) return false;
      pollfd p{fd, POLLIN, 0};
      int n = ::poll(&p, 1, static_cast<int>(left));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      char byte = 0;
      ssize_t got = ::read(fd, &byte, 1);
      if (got < 0 && errno == EINTR) continue;
      return got == 1;
    }
  }

  std::string program_;
  std::unique_ptr<MessageBox> fallback_;
  int deadlineMs_;
};

}  // namespace

std::unique_ptr<MessageBox> MakeDialogProgramMessageBox(std::string program,
                                                        std::unique_ptr<MessageBox> fallback,
                                                        int showDeadlineMs) {
  return std::make_unique<DialogProgramMessageBox>(std::move(program), std::move(fallback),
                                                   showDeadlineMs);
}

}  // namespace velloran
