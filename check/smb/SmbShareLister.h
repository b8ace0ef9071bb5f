#pragma once
// Share lists of Windows and Samba print servers over SMB (libsmbclient).

#include <memory>
#include <string>

#include "check/ShareLister.h"
#include "platform/Error.h"

namespace velloran::check {

struct SmbCredentials {
  /// Use the user's Kerberos ticket (the lister falls back to the name and
  /// password below, then to a guest login, when it is refused).
  bool Kerberos = false;
  /// "user", "DOMAIN\user" or "user@REALM"; empty: log on as guest.
  std::string User;
  std::string Password;
};

/// The user's Kerberos ticket when there is one, else the name and the
/// password file the directory's simple bind uses (VELLORAN_LDAP_USER,
/// VELLORAN_LDAP_PASSWORD_FILE), else guest. Fails when the password file
/// is named but cannot be read.
Result<SmbCredentials> SmbCredentialsFromEnvironment();

/// Asks on port 445 only: a server that also has port 139 open but silent
/// would otherwise hold a call far beyond its time-out.
std::shared_ptr<ShareLister> MakeSmbShareLister(SmbCredentials credentials);

}  // namespace velloran::check
