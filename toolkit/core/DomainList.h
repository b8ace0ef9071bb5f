#pragma once
// The domains offered in the Active Directory page's list.

#include <string>
#include <string_view>
#include <vector>

namespace velloran {

/// Domains named by a Kerberos configuration (the default realm, then every
/// realm of [realms]) and an OpenLDAP client configuration (its BASE, when
/// made of dc= parts, as a dotted name), each once regardless of letter
/// case, in that order.
std::vector<std::string> DomainNamesFromConfiguration(std::string_view krb5Conf,
                                                      std::string_view ldapConf);

/// This machine's domains from the system's Kerberos and LDAP configuration
/// ($KRB5_CONFIG or /etc/krb5.conf, $LDAPCONF or /etc/ldap/ldap.conf,
/// $LDAPBASE). Nothing that cannot be read is an error: the list is just
/// shorter.
std::vector<std::string> ConfiguredDomainNames();

}  // namespace velloran
