// The domains offered on the Active Directory page, from the system's
// Kerberos and LDAP client configuration.

#include <gtest/gtest.h>

#include "toolkit/core/DomainList.h"

namespace velloran {
namespace {

using Names = std::vector<std::string>;

TEST(DomainList, RealmsThenTheLdapBaseEachOnce) {
  const char* krb5 =
      "# Kerberos\n"
      "[libdefaults]\n"
      "  default_realm = CORP.EXAMPLE.COM ; the domain\n"
      "  dns_lookup_realm = false\n"
      "[realms]\n"
      "  LAB.EXAMPLE.COM = {\n"
      "    kdc = dc1.lab.example.com\n"
      "    default_domain = should.not.count\n"
      "  }\n"
      "  corp.example.com = {\n"
      "    kdc = dc1.corp.example.com\n"
      "  }\n"
      "[domain_realm]\n"
      "  .example.com = CORP.EXAMPLE.COM\n";
  const char* ldap =
      "# OpenLDAP\n"
      "URI ldap://dc1.corp.example.com\n"
      "base DC=Branch, dc=example,dc=com\n";
  EXPECT_EQ(DomainNamesFromConfiguration(krb5, ldap),
            (Names{"CORP.EXAMPLE.COM", "LAB.EXAMPLE.COM", "Branch.example.com"}));
  // A base that names no domain, and nothing configured at all.
  EXPECT_EQ(DomainNamesFromConfiguration({}, "BASE o=Example,c=US\n"), Names{});
  EXPECT_EQ(DomainNamesFromConfiguration({}, {}), Names{});
}

}  // namespace
}  // namespace velloran
