#pragma once
// How the system's directory client is asked to bind: the flags follow
// VELLORAN_LDAP_BIND and VELLORAN_LDAP_TLS as the OpenLDAP client does.

#include <string_view>

#include "platform/ldap/LdapDirectory.h"

namespace velloran {

/// The ADsOpenObject flags for binding `path` ("LDAP://...") under `options`.
unsigned long AdsBindFlags(const LdapDirectoryOptions& options, std::string_view path);

}  // namespace velloran
