#pragma once
// The domains offered in cboDomainName on the Active Directory page.

namespace velloran {

class frmWizard;

/// Adds one line per configured domain to the wizard's domain list, leaving
/// its text as it is.
void FillDomainList(frmWizard& wizard);

}  // namespace velloran
