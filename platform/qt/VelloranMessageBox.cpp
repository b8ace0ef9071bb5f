// VelloranMessageBox: shows one message box for the engine and exits with
// the answer, so that the engine itself never loads the GUI library.

#include <sys/resource.h>
#include <unistd.h>

#include <QGuiApplication>
#include <charconv>
#include <iostream>
#include <string_view>

#include "platform/DialogProgram.h"
#include "platform/qt/QtMessageBox.h"

namespace {

const char* kUsage =
    "Usage: VelloranMessageBox [--ready-fd N] ICON BUTTONS TITLE TEXT\n"
    "\n"
    "Shows a modal message box and exits with the answer: 10 OK, 11 Cancel,\n"
    "12 Yes, 13 No; 2 for a bad command line, 3 when no display can show it.\n"
    "ICON is none, critical, question, exclamation or information;\n"
    "BUTTONS is ok, okcancel, yesno or yesnocancel. With\n"
    "--ready-fd, one byte is written to descriptor N once the box is on screen.\n"
    "VelloranEngine runs it to show its pop-ups; it is not meant to be run by hand\n"
    "except to try whether this session can show one.\n";

constexpr int kNoDisplay = 3;

int Usage(const char* problem) {
  std::cerr << "VelloranMessageBox: " << problem << "\n\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velloran;
  // A display that refuses us ends this process from inside the GUI library;
  // the engine expects that and falls back, so no core file is wanted.
  rlimit none{0, 0};
  ::setrlimit(RLIMIT_CORE, &none);

  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    std::cout << kUsage;
    return 0;
  }
  int first = 1, readyFd = -1;
  if (argc > 2 && std::string_view(argv[1]) == "--ready-fd") {
    std::string_view n = argv[2];
    auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), readyFd);
    if (ec != std::errc() || end != n.data() + n.size() || readyFd < 0)
      return Usage("--ready-fd needs a descriptor number");
    first = 3;
  }
  if (argc - first != 4) return Usage("ICON, BUTTONS, TITLE and TEXT are needed");
  auto icon = DialogIconFromWord(argv[first]);
  if (!icon) return Usage("unknown ICON");
  auto buttons = DialogButtonsFromWord(argv[first + 1]);
  if (!buttons) return Usage("unknown BUTTONS");

  EnsureQtApplication();
  // Platforms that draw nowhere would leave the logon waiting on a box that
  // nobody can see or answer.
  const QString platform = QGuiApplication::platformName();
  if (platform == "offscreen" || platform == "minimal") {
    std::cerr << "VelloranMessageBox: the platform \"" << platform.toStdString()
              << "\" shows nothing\n";
    return kNoDisplay;
  }
  auto box = MakeQtMessageBox([readyFd] {
    if (readyFd < 0) return;
    char byte = 'R';
    (void)!::write(readyFd, &byte, 1);
    ::close(readyFd);
  });
  return DialogExitCode(box->Show(argv[first + 3], argv[first + 2], *icon, *buttons));
}
