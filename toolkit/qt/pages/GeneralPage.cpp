#include "toolkit/qt/pages/GeneralPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "toolkit/core/Pages.h"
#include "toolkit/qt/WidgetFactory.h"

namespace velloran {

using namespace widgets;

GeneralPage::GeneralPage(std::function<void()> changed)
    : OptionPage(kPageGeneral, "General", std::move(changed)) {
  type_ = new QComboBox(this);
  type_->setObjectName("cboConfigurationFileType");
  type_->addItems({"Active Directory", "Manual Configuration"});
  // The type is chosen when the document is made; here it is only shown.
  type_->setEnabled(false);
  type_->setMinimumWidth(220);
  Name(type_);
  auto* typeLabel = new QLabel("Configuration File Type: (Read Only)", this);
  typeLabel->setObjectName(Indexed("lblGeneral", kPageCount));
  auto* form = Form();
  form->addRow(typeLabel, type_);
  Body()->addLayout(form);
  Body()->addSpacing(8);

  QCheckBox* alwaysRun = CheckBox("chkAlwaysRun", "Always &Run", this);
  Bind(alwaysRun);
  Body()->addWidget(alwaysRun);
  QLabel* alwaysRunText = Text(
      "Once Velloran has executed sucessfully for a specific INI file on a client machine it "
      "will not run again. By setting this option Velloran will always run even if a success "
      "on a previous execution was acheived.",
      Indexed("lblGeneral", kPageCount + 1));
  alwaysRunText->setContentsMargins(22, 0, 0, 0);
  Body()->addWidget(alwaysRunText);
}

void GeneralPage::ShowMode(bool activeDirectory) {
  type_->setCurrentIndex(activeDirectory ? 0 : 1);
}

}  // namespace velloran
