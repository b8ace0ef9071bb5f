// The dialog box shown by a program of its own, driven with small shell
// scripts standing in for that program.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>

#include "platform/DialogProgram.h"
#include "tests/support/Fakes.h"

namespace velloran {
namespace {

using namespace std::string_literals;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Hands the shown boxes to a recorder the test keeps.
class Forwarding : public MessageBox {
 public:
  explicit Forwarding(test::RecordingMessageBox& to) : to_(to) {}
  MessageAnswer Show(std::string_view text, std::string_view title, MessageIcon icon,
                     MessageButtons buttons) override {
    return to_.Show(text, title, icon, buttons);
  }

 private:
  test::RecordingMessageBox& to_;
};

struct DialogProgram : ::testing::Test {
  TempDir dir;
  test::RecordingMessageBox console;

  std::string Script(const std::string& body) {
    const auto path = dir / "VelloranMessageBox";
    WriteFile(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path.string();
  }
  std::unique_ptr<MessageBox> Box(const std::string& program, int deadlineMs = 5000) {
    return MakeDialogProgramMessageBox(program, std::make_unique<Forwarding>(console), deadlineMs);
  }
};

TEST_F(DialogProgram, TheProgramGetsTheBoxAndItsExitCodeIsTheAnswer) {
  const auto args = dir / "args";
  auto box = Box(Script("printf '%s\\0' \"$@\" > '" + args.string() + "'\nprintf R >&3\nexit 13"));
  EXPECT_EQ(box->Show("Line one\r\nLine \"two\"  end", "My title", MessageIcon::Question,
                      MessageButtons::YesNoCancel),
            MessageAnswer::No);
  EXPECT_EQ(ReadFile(args),
            "--ready-fd\0003\0question\0yesnocancel\0My title\0Line one\r\nLine \"two\"  end\0"s);
  EXPECT_TRUE(console.Shown.empty());
}

TEST_F(DialogProgram, OnceTheBoxIsUpTheUserMayTakeLongerThanTheDeadline) {
  auto box = Box(Script("printf R >&3\nsleep 1\nexit 12"), 200);
  EXPECT_EQ(box->Show("Move?", "Velloran", MessageIcon::None, MessageButtons::YesNo),
            MessageAnswer::Yes);
  EXPECT_TRUE(console.Shown.empty());
}

TEST_F(DialogProgram, EveryWayOfNotShowingTheBoxFallsBackToTheConsole) {
  const std::pair<const char*, std::string> cases[] = {
      {"ends without an answer", "exit 3"},
      {"aborts, as the GUI library does on a refused display", "kill -ABRT $$"},
      {"crashes after showing", "printf R >&3\nkill -SEGV $$"},
      {"shows nothing before the deadline", "exec sleep 30"},
  };
  for (const auto& [what, body] : cases) {
    SCOPED_TRACE(what);
    console.Shown.clear();
    auto start = std::chrono::steady_clock::now();
    auto box = Box(Script(body), 300);
    EXPECT_EQ(box->Show("Done", "Velloran", MessageIcon::None, MessageButtons::OK),
              MessageAnswer::OK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ASSERT_EQ(console.Shown.size(), 1u);
    EXPECT_EQ(console.Shown[0].Text, "Done");
    EXPECT_EQ(console.Shown[0].Title, "Velloran");
  }
  SCOPED_TRACE("a program that is not there");
  console.Shown.clear();
  auto box = Box((dir / "missing").string());
  box->Show("Unable", "Error", MessageIcon::Critical, MessageButtons::OK);
  ASSERT_EQ(console.Shown.size(), 1u);
  EXPECT_EQ(console.Shown[0].Icon, MessageIcon::Critical);
}

TEST(DialogProgramWords, EveryIconButtonsAndAnswerSurvivesTheCommandLine) {
  for (auto icon : {MessageIcon::None, MessageIcon::Critical, MessageIcon::Question,
                    MessageIcon::Exclamation, MessageIcon::Information})
    EXPECT_EQ(DialogIconFromWord(DialogIconWord(icon)), icon);
  for (auto b : {MessageButtons::OK, MessageButtons::OKCancel, MessageButtons::YesNo,
                 MessageButtons::YesNoCancel})
    EXPECT_EQ(DialogButtonsFromWord(DialogButtonsWord(b)), b);
  for (auto a : {MessageAnswer::OK, MessageAnswer::Cancel, MessageAnswer::Yes, MessageAnswer::No})
    EXPECT_EQ(DialogAnswerFromExitCode(DialogExitCode(a)), a);
  // The codes a failed start or a shell leaves are no answer.
  for (int code : {0, 1, 2, 3, 126, 127}) EXPECT_FALSE(DialogAnswerFromExitCode(code));
  EXPECT_FALSE(DialogIconFromWord("Critical"));
}

}  // namespace
}  // namespace velloran
