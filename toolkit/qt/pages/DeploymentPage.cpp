#include "toolkit/qt/pages/DeploymentPage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/core/Pages.h"
#include "toolkit/qt/WidgetFactory.h"

namespace velloran {

using namespace widgets;

QPushButton* AddDeployButton(OptionPage& page, QVBoxLayout* body, int index) {
  QPushButton* deploy = Button(Indexed("cmdDeployNow", index), "&Deploy Now", &page);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(deploy);
  body->addSpacing(10);
  body->addLayout(row);
  return deploy;
}

DeploymentPage::DeploymentPage(std::function<void()> changed)
    : OptionPage(kPageDeployment, "Deployment - General", std::move(changed)) {
  note_ = Text(
      "** NOTE ** This INI file deployment is currently using an Active Directory "
      "configuration. Please review the information on the Deployment - MDAC step before "
      "deploying your solution.",
      Indexed("lblWizard", 1));
  QFont noteFont = note_->font();
  noteFont.setBold(true);
  note_->setFont(noteFont);
  Body()->addWidget(note_);

  auto* form = Form();
  QLineEdit* path = LineEdit("txtNetworkSharePath", this);
  Bind(path);
  browse_ = Button("cmdBrowseDeployment", "...", this);
  browse_->setToolTip("Browse for a network computer or share");
  browse_->setMaximumWidth(36);
  Name(browse_);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(path, 1);
  pathRow->addWidget(browse_);
  form->addRow(Caption("Network &Share Path:", path, Indexed("lblWizard", 17)), pathRow);
  Body()->addLayout(form);
  QCheckBox* batch = CheckBox("chkBatchFile", "Create b&atch file", this);
  QCheckBox* html = CheckBox("chkCreateHTML", "&Create web launch page", this);
  for (QCheckBox* box : {batch, html}) {
    Bind(box);
    Body()->addWidget(box);
  }
  // The toolkit's own choice, not the document's: ticking it changes no file.
  Body()->addWidget(CheckBox("chkDriverScript", DeclaredCaption("chkDriverScript"), this));
  deploy_ = AddDeployButton(*this, Body(), 0);
}

void DeploymentPage::ShowMode(bool activeDirectory) {
  note_->setVisible(activeDirectory);
  Heading()->setText(QString::fromUtf8(PageHeading(kPageDeployment, activeDirectory)));
}

}  // namespace velloran
