// The pop-up as a real Qt dialog on the offscreen platform.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "platform/Display.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/support/Fakes.h"

namespace velloran {
namespace {

// Answers the next modal box once it is up, after handing it to `inspect`.
void AnswerNextBox(std::function<void(QMessageBox&)> inspect) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, inspect] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    inspect(*box);
  });
  poll->start(10);
}

struct QtDialog : ::testing::Test {
  void SetUp() override {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    EnsureQtApplication();
  }
};

TEST_F(QtDialog, ThePopupIsModalWithTitleTextAndOnlyOK) {
  ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
  QString title, text;
  QList<QAbstractButton*> buttons;
  QMessageBox::Icon icon = QMessageBox::Critical;
  bool modal = false;
  AnswerNextBox([&](QMessageBox& box) {
    title = box.windowTitle();
    text = box.text();
    buttons = box.buttons();
    icon = box.icon();
    modal = box.isModal();
    box.button(QMessageBox::Ok)->click();
  });
  auto answer = MakeQtMessageBox()->Show("Printers moved.\r\nHave a nice day.", "Velloran",
                                         MessageIcon::None, MessageButtons::OK);
  EXPECT_EQ(answer, MessageAnswer::OK);
  EXPECT_EQ(title, "Velloran");
  EXPECT_EQ(text, "Printers moved.\nHave a nice day.");
  EXPECT_EQ(buttons.size(), 1);
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_TRUE(modal);
}

TEST_F(QtDialog, AnswersMapToTheButtonsPressed) {
  AnswerNextBox([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
  EXPECT_EQ(MakeQtMessageBox()->Show("Save?", "Velloran", MessageIcon::Question,
                                     MessageButtons::YesNoCancel),
            MessageAnswer::No);
  AnswerNextBox([](QMessageBox& box) { box.reject(); });
  EXPECT_EQ(MakeQtMessageBox()->Show("Stop?", "Velloran", MessageIcon::Exclamation,
                                     MessageButtons::OKCancel),
            MessageAnswer::Cancel);
}

TEST(DisplayPresent, NeedsAReachableDisplayAndAVisiblePlatform) {
  test::TempDir dir;
  const std::string socketPath = (dir / "wayland-test").string();
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

  ::unsetenv("QT_QPA_PLATFORM");
  ::setenv("DISPLAY", ":9876", 1);  // no such X server socket
  ::unsetenv("WAYLAND_DISPLAY");
  EXPECT_FALSE(DisplayPresent());
  ::setenv("XDG_RUNTIME_DIR", dir.str().c_str(), 1);
  ::setenv("WAYLAND_DISPLAY", "wayland-test", 1);
  EXPECT_TRUE(DisplayPresent());
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  EXPECT_FALSE(DisplayPresent());
  ::unsetenv("WAYLAND_DISPLAY");
  ::unsetenv("DISPLAY");
  ::unsetenv("XDG_RUNTIME_DIR");
  ::close(fd);
}

}  // namespace
}  // namespace velloran
