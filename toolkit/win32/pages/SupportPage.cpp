#include "toolkit/win32/pages/SupportPage.h"

#include <string>

#include "toolkit/core/Branding.h"
#include "toolkit/core/Pages.h"
#include "toolkit/win32/ControlIds.h"
#include "toolkit/win32/Dialog.h"

namespace velloran::win32 {

SupportPage::SupportPage(PageHost& host) : Page(host, kPageSupport) {}

void SupportPage::BuildBody() {
  Text(std::string("To submit a support requests please visit ") + kMakerWebAddress +
           ". Please provide a description of the issue you are having and if you can provide "
           "us with the debug file we will be able to resolve the issue faster.",
       R(16, 60, 528, 64), lblWizard(5));
  Text(
      "In the event that your deployment of Velloran does not work, Velloran offers the option "
      "turn on debugging for the Velloran Engine. The debug log will be written to the "
      "deployment folder with a default extention of \".debug\".",
      R(16, 132, 528, 64), lblWizard(6));
  Declared("chkDebugOn", R(16, 204, 300, 20), kStretchWidth);
}

}  // namespace velloran::win32
