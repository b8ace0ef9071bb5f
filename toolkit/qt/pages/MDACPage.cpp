#include "toolkit/qt/pages/MDACPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "toolkit/core/Branding.h"
#include "toolkit/core/Pages.h"
#include "toolkit/qt/WidgetFactory.h"
#include "toolkit/qt/pages/DeploymentPage.h"

namespace velloran {

using namespace widgets;

MDACPage::MDACPage(std::function<void()> changed, std::function<void()> openLink)
    : OptionPage(kPageMDAC, "Deployment - MDAC", std::move(changed)) {
  Body()->addWidget(
      Text("Microsoft Data Access Components (MDAC) is used by Velloran when migrating using the "
           "Active Directory method.  The client computer requires MDAC version 2.5 or newer to "
           "query Active Directory.  Please select the version you would like Velloran to "
           "distribute prior to Migrating printers on the client computer.",
           Indexed("lblWizard", 2)));
  QCheckBox* include =
      CheckBox("chkIncludeMDAC", "Include &MDAC in batch file and/or web page", this);
  Bind(include);
  Body()->addWidget(include);
  QVBoxLayout* options = Indented(Body());
  const char* captions[] = {
      "MDAC vr 2.&5 SP3 - default version when using Windows 2000",
      "MDAC vr 2.&7 SP1- default version when using Windows XP",
      "MDAC vr 2.&8 - default version when using Windows 2003/Windows XP SP2"};
  versions_ = new QButtonGroup(this);
  for (int i = 0; i < 3; ++i) {
    auto* option = new QRadioButton(captions[i], this);
    option->setObjectName(Indexed("optMDACVersion", i));
    versions_->addButton(option, i);
    Bind(option);
    options->addWidget(option);
  }
  Body()->addWidget(Text(
      "You do not need this option if all of the client computers are running Windows 2000 or "
      "later. If in doubt, do not deploy MDAC; if errors are returned, try the latest version of "
      "MDAC (2.8).",
      Indexed("lblWizard", 4)));
  QLabel* link = Text(QStringLiteral("For further information, go to ") + kMDACInformationAddress,
                      Indexed("lblWizard", 3));
  MakeLink(link, kMDACInformationAddress, std::move(openLink));
  Body()->addWidget(link);
  deploy_ = AddDeployButton(*this, Body(), 1);
}

void MDACPage::ShowFields(const PageFields& fields) {
  // A number no option stands for selects none.
  versions_->setExclusive(false);
  OptionPage::ShowFields(fields);
  versions_->setExclusive(true);
}

}  // namespace velloran
