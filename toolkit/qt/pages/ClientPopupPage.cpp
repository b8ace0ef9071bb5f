#include "toolkit/qt/pages/ClientPopupPage.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "toolkit/core/Pages.h"
#include "toolkit/qt/WidgetFactory.h"

namespace velloran {

ClientPopupPage::ClientPopupPage(std::function<void()> changed)
    : OptionPage(kPageClientPopup, "Notification - Client Pop-Up", std::move(changed)) {
  auto message = [this](const char* box, const char* caption, const char* name) {
    QCheckBox* check = widgets::CheckBox(box, caption, this);
    auto* edit = new QPlainTextEdit(this);
    edit->setObjectName(name);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setTabChangesFocus(true);
    edit->setMinimumHeight(90);
    edit->setMaximumHeight(140);
    Bind(check);
    Bind(edit);
    ShadeWhenDisabled(edit);
    Body()->addWidget(check);
    Indented(Body())->addWidget(edit);
  };
  message("chkUseNotifyUser", "Notify user on &success with message:", "txtSucessMessage");
  Body()->addSpacing(6);
  message("chkNotifyMessageOnFailure",
          "Notify user on f&ailure with message:", "txtFailureMessage");
}

}  // namespace velloran
