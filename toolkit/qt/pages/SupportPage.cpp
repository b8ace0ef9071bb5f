#include "toolkit/qt/pages/SupportPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

#include "toolkit/core/Branding.h"
#include "toolkit/core/Pages.h"
#include "toolkit/qt/WidgetFactory.h"

namespace velloran {

SupportPage::SupportPage(std::function<void()> changed, std::function<void()> openLink)
    : OptionPage(kPageSupport, "Support", std::move(changed)) {
  QLabel* support =
      Text(QStringLiteral("To submit a support requests please visit ") + kMakerWebAddress +
               ". Please provide a description of the issue you are having and if you can "
               "provide us with the debug file we will be able to resolve the issue faster.",
           widgets::Indexed("lblWizard", 5));
  MakeLink(support, kMakerWebAddress, std::move(openLink));
  Body()->addWidget(support);
  Body()->addSpacing(6);
  Body()->addWidget(
      Text("In the event that your deployment of Velloran does not work, Velloran offers the "
           "option turn on debugging for the Velloran Engine. The debug log will be written to "
           "the deployment folder with a default extention of \".debug\".",
           widgets::Indexed("lblWizard", 6)));
  QCheckBox* debug = widgets::CheckBox("chkDebugOn", "&Turn on debugging", this);
  Bind(debug);
  Body()->addWidget(debug);
}

}  // namespace velloran
