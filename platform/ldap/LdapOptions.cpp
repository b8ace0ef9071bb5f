// How the directory binds, from the environment: the same variables on every
// system, whatever client library carries them out.

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "platform/ldap/LdapDirectory.h"

namespace velloran {

namespace {
constexpr int32_t kInvalidArgument = -2147024809;  // E_INVALIDARG
}  // namespace

LdapDirectoryOptions LdapOptionsFromEnvironment() {
  LdapDirectoryOptions o;
  auto env = [](const char* name) {
    const char* v = std::getenv(name);
    return std::string(v ? v : "");
  };
  std::string mode = env("VELLORAN_LDAP_BIND");
  for (char& c : mode) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (mode.empty() || mode == "auto") {
    o.Bind = LdapBindMode::Auto;
  } else if (mode == "anonymous") {
    o.Bind = LdapBindMode::Anonymous;
  } else if (mode == "gssapi") {
    o.Bind = LdapBindMode::Gssapi;
  } else if (mode == "simple") {
    o.Bind = LdapBindMode::Simple;
  } else {
    o.Invalid = PlatformError{kInvalidArgument, "VELLORAN_LDAP_BIND: unknown value \"" +
                                                    env("VELLORAN_LDAP_BIND") +
                                                    "\" (auto, anonymous, gssapi or simple)"};
  }
  std::string tls = env("VELLORAN_LDAP_TLS");
  for (char& c : tls) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (tls.empty() || tls == "auto") {
    o.Tls = LdapTlsMode::Auto;
  } else if (tls == "starttls") {
    o.Tls = LdapTlsMode::StartTls;
  } else if (tls == "none") {
    o.Tls = LdapTlsMode::None;
  } else if (!o.Invalid) {
    o.Invalid = PlatformError{kInvalidArgument, "VELLORAN_LDAP_TLS: unknown value \"" +
                                                    env("VELLORAN_LDAP_TLS") +
                                                    "\" (auto, starttls or none)"};
  }
  // A logon must not wait on a server that takes the connection and never
  // answers; a slow directory may need longer than the default.
  if (std::string timeout = env("VELLORAN_LDAP_TIMEOUT"); !timeout.empty()) {
    char* end = nullptr;
    errno = 0;
    long seconds = std::strtol(timeout.c_str(), &end, 10);
    if (*end == '\0' && errno == 0 && seconds >= 1 && seconds <= 3600 &&
        std::isdigit(static_cast<unsigned char>(timeout[0]))) {
      o.ReplyTimeoutSeconds = static_cast<int>(seconds);
    } else if (!o.Invalid) {
      o.Invalid =
          PlatformError{kInvalidArgument, "VELLORAN_LDAP_TIMEOUT: \"" + timeout +
                                              "\" is not a number of seconds from 1 to 3600"};
    }
  }
  o.User = env("VELLORAN_LDAP_USER");
  o.PasswordFile = env("VELLORAN_LDAP_PASSWORD_FILE");
  if (o.Bind == LdapBindMode::Simple && !o.Invalid) {
    if (o.User.empty())
      o.Invalid =
          PlatformError{kInvalidArgument, "VELLORAN_LDAP_BIND=simple needs VELLORAN_LDAP_USER"};
    else if (o.PasswordFile.empty())
      o.Invalid = PlatformError{kInvalidArgument,
                                "VELLORAN_LDAP_BIND=simple needs VELLORAN_LDAP_PASSWORD_FILE"};
  }
  return o;
}

}  // namespace velloran
