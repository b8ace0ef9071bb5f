#include "toolkit/qt/pages/FileOutputPage.h"

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

FileOutputPage::FileOutputPage(std::function<void()> changed)
    : OptionPage(kPageFileOutput, "Notification - File Output", std::move(changed)) {
  QCheckBox* use = CheckBox("chkUseFileOutput", "Notify v&ia file output", this);
  Bind(use);
  Body()->addWidget(use);
  auto* form = Form();
  form->setContentsMargins(22, 0, 0, 0);
  QLineEdit* path = LineEdit("txtFileOutputPath", this);
  Bind(path);
  ShadeWhenDisabled(path);
  browse_ = Button("cmdBrowseFileOutput", "...", this);
  browse_->setToolTip("Browse for the output folder");
  browse_->setMaximumWidth(36);
  Name(browse_);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(path, 1);
  pathRow->addWidget(browse_);
  form->addRow(Caption("File &Output Path:", path, Indexed("lblWizard", 15)), pathRow);
  QLineEdit* name = LineEdit("txtFileOutputName", this);
  Bind(name);
  form->addRow(Caption("File Output Na&me:", name, Indexed("lblWizard", 16)), name);
  Body()->addLayout(form);
  QVBoxLayout* options = Indented(Body());
  for (auto [box, caption] :
       {std::pair{"chkIncludeComputerName", "Include &client computer name in filename"},
        std::pair{"chkIncludeFinalStatus", "Include final &status in filename"}}) {
    QCheckBox* option = CheckBox(box, caption, this);
    Bind(option);
    options->addWidget(option);
  }
}

}  // namespace velloran
