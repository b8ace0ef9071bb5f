#include "platform/qt/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <string>
#include <utility>

namespace velloran {

namespace {

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
  explicit QtMessageBox(std::function<void()> onShown) : onShown_(std::move(onShown)) {}

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
    // A zero timer fires from inside exec(), once the box is on screen.
    if (onShown_) QTimer::singleShot(0, &box, onShown_);
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

 private:
  std::function<void()> onShown_;
};

}  // namespace

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

std::unique_ptr<MessageBox> MakeQtMessageBox(std::function<void()> onShown) {
  return std::make_unique<QtMessageBox>(std::move(onShown));
}

}  // namespace velloran
