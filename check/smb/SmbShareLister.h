#pragma once
// Share lists of Windows and Samba print servers over SMB (libsmbclient).

#include <memory>
#include <string>
#include <vector>

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

/// The longest user name and the longest password handed to a helper.
constexpr size_t kMaxSmbSecretBytes = 1024;

/// The user's Kerberos ticket when there is one, else the name and the
/// password file the directory's simple bind uses (VELLORAN_LDAP_USER,
/// VELLORAN_LDAP_PASSWORD_FILE), else guest. Fails when the password file
/// is named but cannot be read, and when the name or the password is longer
/// than kMaxSmbSecretBytes.
Result<SmbCredentials> SmbCredentialsFromEnvironment();

/// The program each server's child runs: `Program` with `Arguments`, then
/// the server and the milliseconds left; it reads the credentials on its
/// standard input and writes its answer to descriptor 3 (RunSmbHelper).
struct SmbHelper {
  std::string Program;
  std::vector<std::string> Arguments;
};

/// Asks on port 445 only: a server that also has port 139 open but silent
/// would otherwise hold a call far beyond its time-out. Without a helper
/// program each child asks in its forked copy of this process: fine for a
/// program whose only threads are the check's, fragile in one whose other
/// threads may hold locks at the fork (a GUI's), which should name a helper.
std::shared_ptr<ShareLister> MakeSmbShareLister(SmbCredentials credentials, SmbHelper helper = {});

/// The helper's side, for a hidden mode of a program: credentials from
/// standard input, the answer about `server` to descriptor 3. Exit code 0
/// when the answer was written.
int RunSmbHelper(const std::string& server, const std::string& milliseconds);

/// This program's own file (/proc/self/exe); "" when it cannot be told.
std::string ThisProgram();

}  // namespace velloran::check
