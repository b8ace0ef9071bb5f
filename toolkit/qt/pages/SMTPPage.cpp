#include "toolkit/qt/pages/SMTPPage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/core/FieldRules.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/Pages.h"
#include "toolkit/qt/WidgetFactory.h"

namespace velloran {
namespace {

using namespace widgets;

// The line the user chose, not the one focus made current.
int SelectedRow(const QListWidget* list) {
  const QListWidgetItem* item = list->currentItem();
  return item && item->isSelected() ? list->currentRow() : -1;
}

}  // namespace

SMTPPage::SMTPPage(Prompter& prompter, std::function<void()> changed)
    : OptionPage(kPageSMTPMail, "Notification - SMTP Mail", std::move(changed)),
      prompter_(prompter) {
  QCheckBox* useSMTP = CheckBox("chkUseSMTP", "Notify v&ia email", this);
  Bind(useSMTP);
  Body()->addWidget(useSMTP);
  auto* form = Form();
  form->setContentsMargins(22, 0, 0, 0);
  auto field = [this, form](const char* name, int label) {
    QLineEdit* edit = LineEdit(name, this);
    Bind(edit);
    ShadeWhenDisabled(edit);
    form->addRow(Caption(DeclaredCaption(name), edit, Indexed("lblWizard", label)), edit);
    return edit;
  };
  field("txtSMTPServerName", 10);
  field("txtSMTPServerPort", 11)->setMaximumWidth(90);
  field("txtSMTPEmailAddress", 12);

  // Typing a recipient is no change yet: Add makes it one.
  txtSendEmailTo_ = LineEdit("txtSendEmailTo", this);
  Name(txtSendEmailTo_);
  ShadeWhenDisabled(txtSendEmailTo_);
  auto* add = Button("cmdAddSendEmail", "&Add", this);
  Name(add);
  auto* addRow = new QHBoxLayout;
  addRow->addWidget(txtSendEmailTo_, 1);
  addRow->addWidget(add);
  form->addRow(Caption("Send Email &To:", txtSendEmailTo_, Indexed("lblWizard", 13)), addRow);
  lstToEmailAddresses_ = List("lstToEmailAddresses", this);
  lstToEmailAddresses_->setMinimumHeight(80);
  lstToEmailAddresses_->setMaximumHeight(120);
  Bind(lstToEmailAddresses_);
  ShadeWhenDisabled(lstToEmailAddresses_);
  auto* remove = Button("cmdRemoveSendEmail", "&Remove", this);
  Name(remove);
  auto* listRow = new QHBoxLayout;
  listRow->addWidget(lstToEmailAddresses_, 1);
  auto* removeColumn = new QVBoxLayout;
  removeColumn->addWidget(remove);
  removeColumn->addStretch(1);
  listRow->addLayout(removeColumn);
  // The Add button is as wide as Remove, so the two line up.
  add->setMinimumWidth(remove->sizeHint().width());
  form->addRow(new QLabel(this), listRow);
  QLineEdit* subject = LineEdit("txtEmailSubject", this);
  Bind(subject);
  ShadeWhenDisabled(subject);
  form->addRow(Caption("&Email Subject:", subject, Indexed("lblWizard", 14)), subject);
  Body()->addLayout(form);

  connect(add, &QPushButton::clicked, this, &SMTPPage::cmdAddSendEmail_Click);
  connect(remove, &QPushButton::clicked, this, &SMTPPage::cmdRemoveSendEmail_Click);
}

void SMTPPage::cmdAddSendEmail_Click() {
  const QString address = txtSendEmailTo_->text();
  if (auto problem = CheckRecipient(address.toStdString())) {
    prompter_.Tell(problem->Message, problem->Title, problem->Icon);
    return;
  }
  lstToEmailAddresses_->addItem(address);
  Changed();
}

void SMTPPage::cmdRemoveSendEmail_Click() {
  std::vector<std::string> recipients;
  for (int row = 0; row < lstToEmailAddresses_->count(); ++row)
    recipients.push_back(lstToEmailAddresses_->item(row)->text().toStdString());
  const int row = SelectedRow(lstToEmailAddresses_);
  if (!RemoveRecipient(recipients, row, prompter_)) return;
  delete lstToEmailAddresses_->takeItem(row);
  lstToEmailAddresses_->setCurrentRow(-1);
  Changed();
}

}  // namespace velloran
