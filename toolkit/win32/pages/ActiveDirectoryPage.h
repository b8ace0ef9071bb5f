#pragma once
// Active Directory: the domain, typed or picked from the domains offered.

#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

class ActiveDirectoryPage : public Page {
 public:
  explicit ActiveDirectoryPage(PageHost& host);
  /// Offers `domains` in the list; what is typed stays as typed.
  void OfferDomains(const std::vector<std::string>& domains);

 private:
  void BuildBody() override;
};

}  // namespace velloran::win32
