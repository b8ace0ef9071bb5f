#pragma once
// The domains offered in cboDomainName on the Active Directory page.

#include <QString>
#include <QStringList>

namespace velloran {

class frmWizard;

/// Domains named by a Kerberos configuration (the default realm, then every
/// realm of [realms]) and an OpenLDAP client configuration (its BASE, when
/// made of dc= parts, as a dotted name), each once, in that order.
QStringList DomainNamesFromConfiguration(const QString& krb5Conf, const QString& ldapConf);

/// This machine's domains: on Windows the domains of the network, elsewhere
/// those of the system's Kerberos and LDAP configuration ($KRB5_CONFIG or
/// /etc/krb5.conf, $LDAPCONF or /etc/ldap/ldap.conf, $LDAPBASE). Nothing that
/// cannot be read is an error: the list is just shorter.
QStringList SystemDomainNames();

/// Adds one line per domain to the wizard's cboDomainName, leaving its text
/// as it is.
void FillDomainList(frmWizard& wizard);

}  // namespace velloran
