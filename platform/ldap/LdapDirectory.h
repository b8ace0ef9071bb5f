#pragma once
// The directory over OpenLDAP's client library.

#include <memory>
#include <optional>
#include <string>

#include "platform/Directory.h"

namespace velloran {

enum class LdapBindMode {
  /// SASL GSSAPI when the user holds a Kerberos ticket, else anonymous.
  Auto,
  Anonymous,
  Gssapi,
  /// User and password from the options.
  Simple,
};

enum class LdapTlsMode {
  /// StartTLS before a simple bind, and a server that declines it gets no
  /// password: the bind fails. Binds that send no password (Kerberos,
  /// anonymous) use plain LDAP.
  Auto,
  /// StartTLS on every connection; a server without it is an error.
  StartTls,
  /// Plain LDAP unless the path asks for ldaps.
  None,
};

struct LdapDirectoryOptions {
  LdapBindMode Bind = LdapBindMode::Auto;
  /// Bind name of a simple bind ("user@REALM", "DOMAIN\user" or a DN).
  std::string User;
  /// File whose first line is the password of a simple bind.
  std::string PasswordFile;
  /// Paths to port 636 or 3269 and "ldaps://" servers speak TLS from the
  /// start whatever this says.
  LdapTlsMode Tls = LdapTlsMode::Auto;
  /// Servers tried, in order, for a path without one (blank-separated LDAP
  /// URIs); empty: the LDAP client configuration (ldap.conf, LDAPURI).
  std::string DefaultUris;
  /// Records asked for per answer. Active Directory hands out 1000 at most.
  int PageSize = 1000;
  /// Connect timeout, unless the client configuration sets one.
  int NetworkTimeoutSeconds = 10;
  /// Longest wait for one answer of the server (the bind, each page of a
  /// search): a server that takes the connection and then says nothing
  /// fails the run after this long instead of holding the logon.
  int ReplyTimeoutSeconds = 120;
  /// A setting that could not be understood; every bind then fails with it.
  std::optional<PlatformError> Invalid;
};

/// VELLORAN_LDAP_BIND (auto, anonymous, gssapi, simple), VELLORAN_LDAP_USER,
/// VELLORAN_LDAP_PASSWORD_FILE, VELLORAN_LDAP_TLS (auto, starttls, none),
/// VELLORAN_LDAP_TIMEOUT (seconds to wait for one answer, 1 to 3600).
LdapDirectoryOptions LdapOptionsFromEnvironment();

/// Has the LDAP library read its client configuration now, once per process.
/// As root, only the system's (ldap.conf or LDAPCONF, and the LDAP*
/// variables): no ldaprc or .ldaprc from the working folder or from HOME,
/// and no file LDAPRC names. The directory calls it before its first use of
/// the library.
void ReadLdapClientConfiguration();

std::unique_ptr<DirectoryService> MakeLdapDirectory(LdapDirectoryOptions options);

}  // namespace velloran
