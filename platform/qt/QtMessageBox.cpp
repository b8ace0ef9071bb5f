#include "platform/qt/QtMessageBox.h"

#include <sys/stat.h>

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <cstdlib>
#include <string>

namespace velloran {

namespace {

bool SocketExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// ":0" and "unix:0.0" are sockets below /tmp/.X11-unix; "host:0" is a TCP
// display that only connecting could prove, so it is taken on trust.
bool X11DisplayReachable(const std::string& display) {
  if (display.empty()) return false;
  size_t colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  std::string host = display.substr(0, colon);
  if (!host.empty() && host != "unix") return true;
  std::string number = display.substr(colon + 1);
  number = number.substr(0, number.find('.'));
  if (number.empty()) return false;
  return SocketExists("/tmp/.X11-unix/X" + number);
}

bool WaylandDisplayReachable(const std::string& display) {
  if (display.empty()) return false;
  if (display.front() == '/') return SocketExists(display);
  std::string runtime = Env("XDG_RUNTIME_DIR");
  return !runtime.empty() && SocketExists(runtime + "/" + display);
}

// Qt wants CR-free text; the engine's messages carry Windows line breaks.
QString FromEngineText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

class QtMessageBox : public MessageBox {
 public:
  MessageAnswer Show(std::string_view text, std::string_view title, MessageIcon icon,
                     MessageButtons buttons) override {
    EnsureQtApplication();
    QMessageBox box;
    box.setObjectName("VelloranMessageBox");
    box.setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    box.setTextFormat(Qt::PlainText);
    box.setText(FromEngineText(text));
    switch (icon) {
      case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
      case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
      case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
      case MessageIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
      case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    QMessageBox::StandardButton first = QMessageBox::Ok;
    switch (buttons) {
      case MessageButtons::OK:
        box.setStandardButtons(QMessageBox::Ok);
        break;
      case MessageButtons::OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
      case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        first = QMessageBox::Yes;
        break;
      case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        first = QMessageBox::Yes;
        break;
    }
    box.setDefaultButton(first);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    switch (clicked ? box.standardButton(clicked) : QMessageBox::NoButton) {
      case QMessageBox::Ok:
        return MessageAnswer::OK;
      case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
      case QMessageBox::Yes:
        return MessageAnswer::Yes;
      case QMessageBox::No:
        return MessageAnswer::No;
      default:
        // Closed by Escape or the window's close button: what Escape means
        // for these buttons.
        switch (buttons) {
          case MessageButtons::OK:
            return MessageAnswer::OK;
          case MessageButtons::YesNo:
            return MessageAnswer::No;
          default:
            return MessageAnswer::Cancel;
        }
    }
  }
};

}  // namespace

bool DisplayPresent() {
  std::string platform = Env("QT_QPA_PLATFORM");
  if (platform.rfind("offscreen", 0) == 0 || platform.rfind("minimal", 0) == 0) return false;
  return X11DisplayReachable(Env("DISPLAY")) || WaylandDisplayReachable(Env("WAYLAND_DISPLAY"));
}

void EnsureQtApplication() {
  if (QCoreApplication::instance()) return;
  // Qt keeps references to argc and argv for the application's lifetime,
  // which here is the process's.
  static int argc = 1;
  static char name[] = "VelloranEngine";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}

std::unique_ptr<MessageBox> MakeQtMessageBox() { return std::make_unique<QtMessageBox>(); }

}  // namespace velloran
