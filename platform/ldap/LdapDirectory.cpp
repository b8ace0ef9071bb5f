#include "platform/ldap/LdapDirectory.h"

#include <fcntl.h>
#include <ldap.h>
#include <sasl/sasl.h>
#include <signal.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/CodePage.h"
#include "platform/ldap/KerberosTicket.h"

namespace velloran {

namespace {

constexpr int32_t kInvalidArgument = -2147024809;  // E_INVALIDARG

// A Windows client reports LDAP result codes as Win32 errors wrapped in an
// HRESULT; administrators look those numbers up, so we report the same.
int32_t Win32FromLdap(int rc) {
  switch (rc) {
    case LDAP_OPERATIONS_ERROR:
      return 8224;
    case LDAP_PROTOCOL_ERROR:
      return 8225;
    case LDAP_TIMELIMIT_EXCEEDED:
      return 8226;
    case LDAP_SIZELIMIT_EXCEEDED:
      return 8227;
    case LDAP_ADMINLIMIT_EXCEEDED:
      return 8228;
    case LDAP_AUTH_METHOD_NOT_SUPPORTED:
      return 8231;
    case LDAP_STRONG_AUTH_REQUIRED:
      return 8232;
    case LDAP_INAPPROPRIATE_AUTH:
      return 8233;
    case LDAP_AUTH_UNKNOWN:
      return 8234;
    case LDAP_REFERRAL:
      return 8235;
    case LDAP_UNAVAILABLE_CRITICAL_EXTENSION:
      return 8236;
    case LDAP_CONFIDENTIALITY_REQUIRED:
      return 8237;
    case LDAP_NO_SUCH_ATTRIBUTE:
      return 8202;
    case LDAP_NO_SUCH_OBJECT:
      return 8240;
    case LDAP_INVALID_DN_SYNTAX:
      return 8242;
    case LDAP_INVALID_CREDENTIALS:
      return 1326;  // ERROR_LOGON_FAILURE
    case LDAP_INSUFFICIENT_ACCESS:
      return 5;  // ERROR_ACCESS_DENIED
    case LDAP_BUSY:
      return 8206;
    case LDAP_UNAVAILABLE:
      return 8207;
    case LDAP_UNWILLING_TO_PERFORM:
      return 8245;
    case LDAP_SERVER_DOWN:
      return 8250;
    case LDAP_CONNECT_ERROR:
      return 8250;
    case LDAP_LOCAL_ERROR:
      return 8251;
    case LDAP_ENCODING_ERROR:
      return 8252;
    case LDAP_DECODING_ERROR:
      return 8253;
    case LDAP_TIMEOUT:
      return 1460;  // ERROR_TIMEOUT
    case LDAP_FILTER_ERROR:
      return 8254;
    case LDAP_PARAM_ERROR:
      return 8255;
    case LDAP_NO_MEMORY:
      return 8;
    case LDAP_NOT_SUPPORTED:
      return 8256;
    case LDAP_CONTROL_NOT_FOUND:
      return 8258;
    case LDAP_NO_RESULTS_RETURNED:
      return 8257;
    default:
      return 8341;  // ERROR_DS_GENERIC_ERROR
  }
}

PlatformError LdapFailure(int rc, std::string_view diagnostic = {}) {
  std::string text = ldap_err2string(rc);
  if (!diagnostic.empty()) text += ": " + std::string(diagnostic);
  return PlatformError{static_cast<int32_t>(0x80070000u | static_cast<uint32_t>(Win32FromLdap(rc))),
                       std::move(text)};
}

std::string Diagnostic(LDAP* ld) {
  char* msg = nullptr;
  ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &msg);
  std::string out = msg ? msg : "";
  if (msg) ldap_memfree(msg);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return SameText(a, b); }

/// Attribute descriptions are ASCII and compare without case, as the
/// library's own lookup by name does ("printShareName", "printsharename").
bool SameAttribute(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

int SaslDefaults(LDAP*, unsigned, void*, void* in) {
  // GSSAPI asks for nothing but, at most, an authorization name: none.
  for (auto* it = static_cast<sasl_interact_t*>(in); it->id != SASL_CB_LIST_END; ++it) {
    it->result = it->defresult ? it->defresult : "";
    it->len = static_cast<unsigned>(std::strlen(static_cast<const char*>(it->result)));
  }
  return LDAP_SUCCESS;
}

std::vector<std::string> SplitUris(std::string_view list) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : list) {
    if (std::isspace(static_cast<unsigned char>(c)) || c == ',') {
      if (!cur.empty()) out.push_back(std::move(cur));
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(std::move(cur));
  return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool Mentions(std::string_view text, std::string_view what) {
  return text.find(what) != std::string_view::npos;
}

// The global catalog's TLS port as well as the directory's.
bool IsTlsPort(int port) { return port == 636 || port == 3269; }

struct Handle {
  LDAP* ld = nullptr;
  /// Canonical "host[:port]" this handle talks to.
  std::string Server;
  /// The URI it was opened with, which an administrator can try by hand.
  std::string Uri;
  /// The connection is inside TLS (ldaps or StartTLS).
  bool Tls = false;
  /// Why a GSSAPI bind under "auto" failed before the anonymous one that
  /// replaced it; told with any later failure, which it likely explains.
  std::string FallbackCause;
  /// The socket of the connection, once the library has made it; -1 before.
  std::atomic<int> Socket{-1};
  ldap_conncb ConnectCallback{};
  ~Handle() {
    if (ld) ldap_unbind_ext_s(ld, nullptr, nullptr);
  }
};

// A server that takes the connection and then says nothing must not hold
// the logon. The library waits for answers no longer than the reply
// timeout, but its TLS handshake (ldaps://, StartTLS) retries a silent
// socket without end. While a deadline lives, a call that outlasts it has
// the handle's socket shut down under it, which fails the call.
class SocketDeadline {
 public:
  SocketDeadline(Handle& h, int seconds)
      : thread_([this, &h, seconds] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!ended_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) {
            expired_ = true;
            if (int fd = h.Socket; fd >= 0) ::shutdown(fd, SHUT_RDWR);
          }
        }) {}
  ~SocketDeadline() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    ended_.notify_all();
    thread_.join();
  }
  SocketDeadline(const SocketDeadline&) = delete;
  SocketDeadline& operator=(const SocketDeadline&) = delete;
  bool Expired() {
    std::lock_guard<std::mutex> lock(mutex_);
    return expired_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ended_;
  bool done_ = false;
  bool expired_ = false;
  std::thread thread_;  // last: it uses the members above
};

class LdapObject : public DirectoryObject {
 public:
  LdapObject(std::shared_ptr<Handle> handle, std::string path)
      : handle_(std::move(handle)), path_(std::move(path)) {}
  std::string AdsPath() const override { return path_; }

 private:
  // Keeps the bound connection open for queries on the same server.
  std::shared_ptr<Handle> handle_;
  std::string path_;
};

class LdapDirectory : public DirectoryService {
 public:
  explicit LdapDirectory(LdapDirectoryOptions options) : options_(std::move(options)) {
    ReadLdapClientConfiguration();
    // The library writes to sockets with plain write(): a server that drops
    // the connection would otherwise end the whole run by SIGPIPE, before
    // anything is reported. A handler someone else installed is left alone.
    struct sigaction current {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
      ::signal(SIGPIPE, SIG_IGN);
  }

  Result<std::unique_ptr<DirectoryObject>> GetObject(std::string_view path) override;
  Result<std::unique_ptr<DirectoryConnection>> OpenConnection(std::string_view provider) override;
  Result<RecordSet> Execute(std::string_view commandText, const std::vector<std::string>& alsoRead);

 private:
  Result<std::shared_ptr<Handle>> Connect(const AdsPathParts& parts);
  Result<std::shared_ptr<Handle>> Open(const std::string& uri, const std::string& server);
  Status StartTls(Handle& h);
  Status Bind(Handle& h);
  Status SimpleBind(LDAP* ld, const std::string& user, const std::string& password);
  Result<std::string> NamingContext(Handle& h);
  Status CheckExists(Handle& h, const std::string& dn);
  Result<RecordSet> Search(Handle& h, const std::string& base, const std::string& filter,
                           const std::vector<std::string>& fields);
  /// Where each attribute of an entry goes in its record: worked out once
  /// per search, not once per entry.
  struct FieldPlan {
    size_t Count = 0;
    std::vector<size_t> Paths;
    std::vector<std::pair<std::string_view, size_t>> Attributes;
  };
  DirectoryRecord ReadEntry(Handle& h, LDAPMessage* entry, const FieldPlan& plan);
  timeval ReplyTimeout() const { return timeval{options_.ReplyTimeoutSeconds, 0}; }

  LdapDirectoryOptions options_;
  /// Connections still held by a bound object, by canonical server.
  std::map<std::string, std::weak_ptr<Handle>> live_;
  /// The URI each server was reached by (its scheme is not in the path).
  std::map<std::string, std::string> uris_;
};

class LdapConnection : public DirectoryConnection {
 public:
  explicit LdapConnection(LdapDirectory& dir) : dir_(dir) {}
  Result<RecordSet> Execute(std::string_view commandText,
                            const std::vector<std::string>& alsoRead) override {
    return dir_.Execute(commandText, alsoRead);
  }

 private:
  LdapDirectory& dir_;
};

// The library's own text for a failed handshake names the symptom only
// ("(unknown error code)", "The certificate is NOT trusted"); the
// administrator needs to know where the trust comes from.
PlatformError TlsFailure(int rc, const std::string& server, std::string diagnostic) {
  PlatformError e = LdapFailure(rc);
  e.Description = "TLS with " + server + " failed";
  if (!diagnostic.empty()) e.Description += ": " + diagnostic;
  e.Description +=
      ". The server's certificate must name the host as the path does and be issued by a CA "
      "in the system's store or in TLS_CACERT (ldap.conf, LDAPTLS_CACERT)";
  return e;
}

std::string Seconds(int n) { return std::to_string(n) + (n == 1 ? " second" : " seconds"); }

PlatformError HandshakeTimeout(const std::string& server, int seconds) {
  return LdapFailure(LDAP_TIMEOUT,
                     "no TLS handshake with " + server + " within " + Seconds(seconds));
}

PlatformError GssapiFailure(int rc, const std::string& diagnostic, const std::string& server,
                            bool tls) {
  PlatformError e = LdapFailure(rc, diagnostic);
  e.Description = "GSSAPI bind: " + e.Description;
  if (Mentions(diagnostic, "No worthy mechs"))
    e.Description += " (the SASL GSSAPI module is missing: install libsasl2-modules-gssapi-mit)";
  else if (Mentions(diagnostic, "not found in Kerberos database"))
    e.Description += " (the directory has no Kerberos service name ldap/ for the host of " +
                     server + "; use the server's DNS name, or set SASL_NOCANON in ldap.conf)";
  else if (tls && Mentions(diagnostic, "Sign or Seal"))
    e.Description +=
        " (this server takes Kerberos only outside TLS: use a plain ldap:// path and "
        "VELLORAN_LDAP_TLS=auto; the Kerberos security layer protects the connection)";
  else if (Mentions(diagnostic, "expired") || Mentions(diagnostic, "No Kerberos credentials") ||
           Mentions(diagnostic, "No credentials cache") ||
           Mentions(diagnostic, "credentials cache file"))
    e.Description += " (get a Kerberos ticket with kinit)";
  return e;
}

PlatformError WithFallbackCause(const Handle& h, PlatformError e) {
  if (!h.FallbackCause.empty())
    e.Description += "; the GSSAPI bind tried before the anonymous one failed: " + h.FallbackCause;
  return e;
}

// The library's "Can't contact LDAP server" says neither which server nor
// how it was tried; with several configured, the administrator cannot tell
// which one is down.
PlatformError NamingUri(PlatformError e, const std::string& uri) {
  if (e.Number != kServerDown) return e;
  const std::string_view down = ldap_err2string(LDAP_SERVER_DOWN);
  size_t at = e.Description.find(down);
  at = at == std::string::npos ? e.Description.size() : at + down.size();
  e.Description.insert(at, " (" + uri + ")");
  return e;
}

PlatformError AfterBind(const Handle& h, PlatformError e) {
  return NamingUri(WithFallbackCause(h, std::move(e)), h.Uri);
}

Status LdapDirectory::SimpleBind(LDAP* ld, const std::string& user, const std::string& password) {
  berval cred{password.size(), const_cast<char*>(password.data())};
  int rc = ldap_sasl_bind_s(ld, user.empty() ? nullptr : user.c_str(), LDAP_SASL_SIMPLE, &cred,
                            nullptr, nullptr, nullptr);
  if (rc != LDAP_SUCCESS) return LdapFailure(rc, Diagnostic(ld));
  return Status::Ok();
}

Status LdapDirectory::StartTls(Handle& h) {
  // A password goes to the server only inside TLS: under "auto" a server
  // (or whoever sits between) that declines StartTLS must not get it in the
  // clear. Without a password there is nothing to give away.
  const bool password = options_.Bind == LdapBindMode::Simple;
  const bool required =
      options_.Tls == LdapTlsMode::StartTls || (options_.Tls == LdapTlsMode::Auto && password);
  if (h.Tls || !required) return Status::Ok();
  int rc = LDAP_SUCCESS;
  bool expired = false;
  {
    // One reply timeout for the answer to the request, one for the handshake.
    SocketDeadline deadline(h, 2 * options_.ReplyTimeoutSeconds);
    rc = ldap_start_tls_s(h.ld, nullptr, nullptr);
    expired = rc != LDAP_SUCCESS && deadline.Expired();
  }
  // The library gives up on an unanswered request after one reply timeout;
  // a handshake that never ends is cut at the deadline, after both.
  if (expired) return HandshakeTimeout(h.Server, 2 * options_.ReplyTimeoutSeconds);
  if (rc == LDAP_TIMEOUT)
    return LdapFailure(LDAP_TIMEOUT, "no answer to StartTLS from " + h.Server + " within " +
                                         Seconds(options_.ReplyTimeoutSeconds));
  if (rc == LDAP_SUCCESS) {
    h.Tls = true;
    return Status::Ok();
  }
  std::string diagnostic = Diagnostic(h.ld);
  // The server answered that it does no StartTLS: the connection is still
  // there, in the clear. A handshake that went wrong leaves nothing usable.
  if (rc > 0) {
    PlatformError e = LdapFailure(rc, diagnostic);
    e.Description = "StartTLS refused by " + h.Server + ": " + e.Description;
    if (options_.Tls == LdapTlsMode::Auto)
      e.Description +=
          ". A simple bind sends its password only inside TLS; to send it in the clear all the "
          "same, set VELLORAN_LDAP_TLS=none";
    return e;
  }
  if (rc == LDAP_SERVER_DOWN && diagnostic.empty()) return LdapFailure(rc);
  return TlsFailure(rc, h.Server, diagnostic);
}

Status LdapDirectory::Bind(Handle& h) {
  LDAP* ld = h.ld;
  if (options_.Invalid) return *options_.Invalid;
  switch (options_.Bind) {
    case LdapBindMode::Anonymous:
      return SimpleBind(ld, "", "");
    case LdapBindMode::Simple: {
      std::ifstream in(options_.PasswordFile, std::ios::binary);
      if (!in) {
        int err = errno;
        return PlatformError{err ? err : ENOENT, "VELLORAN_LDAP_PASSWORD_FILE " +
                                                     options_.PasswordFile + ": " +
                                                     std::strerror(err ? err : ENOENT)};
      }
      std::string password;
      std::getline(in, password);
      if (!password.empty() && password.back() == '\r') password.pop_back();
      // An empty password turns a simple bind into an unauthenticated one,
      // which servers accept and which would look like success.
      if (password.empty())
        return PlatformError{
            kInvalidArgument,
            "VELLORAN_LDAP_PASSWORD_FILE " + options_.PasswordFile + ": the password is empty"};
      return SimpleBind(ld, options_.User, password);
    }
    case LdapBindMode::Gssapi:
    case LdapBindMode::Auto: {
      if (options_.Bind == LdapBindMode::Auto && !HasKerberosTicket())
        return SimpleBind(ld, "", "");
      // Inside TLS, domain controllers refuse a second (SASL) security
      // layer; outside it they may insist on one, which the library
      // negotiates by default.
      if (h.Tls) ldap_set_option(ld, LDAP_OPT_X_SASL_SECPROPS, const_cast<char*>("maxssf=0"));
      int rc = ldap_sasl_interactive_bind_s(ld, nullptr, "GSSAPI", nullptr, nullptr,
                                            LDAP_SASL_QUIET, SaslDefaults, nullptr);
      if (rc == LDAP_SUCCESS) return Status::Ok();
      PlatformError gssapi = GssapiFailure(rc, Diagnostic(ld), h.Server, h.Tls);
      if (options_.Bind == LdapBindMode::Gssapi) return gssapi;
      // Directories that serve anonymous readers still work without a
      // ticket; where they do not, the user must learn why Kerberos failed,
      // not only that anonymous access is refused.
      h.FallbackCause = gssapi.Description;
      if (Status anonymous = SimpleBind(ld, "", ""); !anonymous.ok())
        return WithFallbackCause(h, anonymous.error());
      return Status::Ok();
    }
  }
  return Status::Ok();
}

Result<std::shared_ptr<Handle>> LdapDirectory::Open(const std::string& uri,
                                                    const std::string& server) {
  auto h = std::make_shared<Handle>();
  h->Server = server;
  h->Uri = uri;
  int rc = ldap_initialize(&h->ld, uri.c_str());
  if (rc != LDAP_SUCCESS || !h->ld) {
    h->ld = nullptr;
    return PlatformError{kBadPathname, "An invalid directory pathname was passed: " + uri};
  }
  // The socket is kept so that a TLS handshake that never ends can be cut
  // (SocketDeadline).
  h->ConnectCallback.lc_add = [](LDAP*, Sockbuf* sb, LDAPURLDesc*, sockaddr*,
                                 ldap_conncb* self) -> int {
    ber_socket_t fd = -1;
    if (ber_sockbuf_ctrl(sb, LBER_SB_OPT_GET_FD, &fd) == 1)
      static_cast<Handle*>(self->lc_arg)->Socket = fd;
    return 0;
  };
  h->ConnectCallback.lc_del = [](LDAP*, Sockbuf*, ldap_conncb* self) {
    static_cast<Handle*>(self->lc_arg)->Socket = -1;
  };
  h->ConnectCallback.lc_arg = h.get();
  ldap_set_option(h->ld, LDAP_OPT_CONNECT_CB, &h->ConnectCallback);
  int version = LDAP_VERSION3;
  ldap_set_option(h->ld, LDAP_OPT_PROTOCOL_VERSION, &version);
  // Continuation references (Active Directory hands out one for the
  // configuration partition) are skipped, never chased.
  ldap_set_option(h->ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  timeval* configured = nullptr;
  ldap_get_option(h->ld, LDAP_OPT_NETWORK_TIMEOUT, &configured);
  if (configured && configured->tv_sec > 0) {
    ldap_memfree(configured);
  } else {
    if (configured) ldap_memfree(configured);
    timeval tv{options_.NetworkTimeoutSeconds, 0};
    ldap_set_option(h->ld, LDAP_OPT_NETWORK_TIMEOUT, &tv);
  }
  timeval reply = ReplyTimeout();
  ldap_set_option(h->ld, LDAP_OPT_TIMEOUT, &reply);

  if (StartsWithNoCase(uri, "ldaps://")) {
    // Connecting now tells a failed handshake apart from a failed bind.
    const int limit = options_.NetworkTimeoutSeconds + options_.ReplyTimeoutSeconds;
    SocketDeadline deadline(*h, limit);
    int rc = ldap_connect(h->ld);
    if (rc != LDAP_SUCCESS && deadline.Expired()) return HandshakeTimeout(server, limit);
    if (rc != LDAP_SUCCESS) {
      std::string diagnostic = Diagnostic(h->ld);
      if (diagnostic.empty()) return NamingUri(LdapFailure(rc), uri);
      return TlsFailure(rc, server, diagnostic);
    }
    h->Tls = true;
  } else if (Status tls = StartTls(*h); !tls.ok()) {
    return NamingUri(tls.error(), uri);
  }
  if (Status bound = Bind(*h); !bound.ok()) return NamingUri(bound.error(), uri);
  live_[server] = h;
  return h;
}

Result<std::shared_ptr<Handle>> LdapDirectory::Connect(const AdsPathParts& parts) {
  if (!parts.Host.empty()) {
    std::string server = CanonicalServer(parts.Host, parts.Port);
    if (auto it = live_.find(server); it != live_.end())
      if (auto h = it->second.lock()) return h;
    auto known = uris_.find(server);
    std::string uri = known != uris_.end()
                          ? known->second
                          : (IsTlsPort(parts.Port) ? "ldaps://" : "ldap://") + server;
    return Open(uri, server);
  }

  // No server in the path: the configured ones, in order, as any client of
  // the LDAP library would use them.
  std::string list = options_.DefaultUris;
  if (list.empty()) {
    char* configured = nullptr;
    ldap_get_option(nullptr, LDAP_OPT_URI, &configured);
    list = configured ? configured : "ldap://localhost/";
    if (configured) ldap_memfree(configured);
  }
  // Each server's failure is told, in the order tried: the last one alone
  // would hide that the first, usually the preferred, is down.
  std::vector<PlatformError> failures;
  for (const auto& uri : SplitUris(list)) {
    LDAPURLDesc* lud = nullptr;
    if (ldap_url_parse(uri.c_str(), &lud) != LDAP_URL_SUCCESS) {
      failures.push_back({kBadPathname, "An invalid directory pathname was passed: " + uri});
      continue;
    }
    std::string scheme = lud->lud_scheme ? lud->lud_scheme : "ldap";
    std::string host = lud->lud_host && *lud->lud_host ? lud->lud_host : "localhost";
    int port = lud->lud_port;
    ldap_free_urldesc(lud);
    if (scheme == "ldapi") continue;  // a socket path has no place in "LDAP://host/DN"
    std::string server = CanonicalServer(host, port);
    if (auto it = live_.find(server); it != live_.end())
      if (auto h = it->second.lock()) return h;
    auto h = Open(uri, server);
    if (h) {
      uris_[server] = uri;
      return h;
    }
    failures.push_back(h.error());
  }
  if (failures.empty()) return PlatformError{kServerDown, "No LDAP server is configured"};
  PlatformError all = failures.back();
  for (size_t i = failures.size() - 1; i-- > 0;)
    all.Description = failures[i].Description + "; " + all.Description;
  return all;
}

Result<std::string> LdapDirectory::NamingContext(Handle& h) {
  const char* attrs[] = {"defaultNamingContext", "namingContexts", nullptr};
  LDAPMessage* res = nullptr;
  timeval tv = ReplyTimeout();
  int rc = ldap_search_ext_s(h.ld, "", LDAP_SCOPE_BASE, "(objectClass=*)",
                             const_cast<char**>(attrs), 0, nullptr, nullptr, &tv, 0, &res);
  if (rc != LDAP_SUCCESS) {
    std::string diag = Diagnostic(h.ld);
    if (res) ldap_msgfree(res);
    return LdapFailure(rc, diag);
  }
  std::string dn;
  if (LDAPMessage* e = ldap_first_entry(h.ld, res)) {
    for (const char* attr : {"defaultNamingContext", "namingContexts"}) {
      berval** vals = ldap_get_values_len(h.ld, e, attr);
      for (int i = 0; vals && vals[i] && dn.empty(); ++i)
        dn.assign(vals[i]->bv_val, vals[i]->bv_len);
      if (vals) ldap_value_free_len(vals);
      if (!dn.empty()) break;
    }
  }
  ldap_msgfree(res);
  if (dn.empty())
    return PlatformError{kNoSuchObject, "The server " + h.Server + " names no naming context"};
  return dn;
}

Status LdapDirectory::CheckExists(Handle& h, const std::string& dn) {
  const char* attrs[] = {"1.1", nullptr};
  LDAPMessage* res = nullptr;
  timeval tv = ReplyTimeout();
  int rc = ldap_search_ext_s(h.ld, dn.c_str(), LDAP_SCOPE_BASE, "(objectClass=*)",
                             const_cast<char**>(attrs), 0, nullptr, nullptr, &tv, 1, &res);
  std::string diag = rc != LDAP_SUCCESS ? Diagnostic(h.ld) : "";
  if (res) ldap_msgfree(res);
  if (rc != LDAP_SUCCESS) return LdapFailure(rc, diag);
  return Status::Ok();
}

Result<std::unique_ptr<DirectoryObject>> LdapDirectory::GetObject(std::string_view path) {
  auto parts = ParseAdsPath(path);
  if (!parts) return parts.error();
  auto h = Connect(*parts);
  if (!h) return h.error();
  std::string dn = parts->DN;
  if (dn.empty()) {
    auto nc = NamingContext(**h);
    if (!nc) return AfterBind(**h, nc.error());
    dn = *nc;
  } else if (Status exists = CheckExists(**h, dn); !exists.ok()) {
    return AfterBind(**h, exists.error());
  }
  return std::unique_ptr<DirectoryObject>(
      std::make_unique<LdapObject>(*h, "LDAP://" + (*h)->Server + "/" + dn));
}

Result<std::unique_ptr<DirectoryConnection>> LdapDirectory::OpenConnection(
    std::string_view provider) {
  if (!EqualsNoCase(provider, "ADsDSOObject"))
    return PlatformError{kProviderNotFound,
                         "Provider cannot be found. It may not be properly installed."};
  return std::unique_ptr<DirectoryConnection>(std::make_unique<LdapConnection>(*this));
}

Result<RecordSet> LdapDirectory::Execute(std::string_view commandText,
                                         const std::vector<std::string>& alsoRead) {
  auto cmd = ParseDirectoryCommand(commandText);
  if (!cmd) return cmd.error();
  auto parts = ParseAdsPath(cmd->Path);
  if (!parts) return parts.error();
  auto h = Connect(*parts);
  if (!h) return h.error();
  std::string base = parts->DN;
  if (base.empty()) {
    auto nc = NamingContext(**h);
    if (!nc) return AfterBind(**h, nc.error());
    base = *nc;
  }
  std::vector<std::string> fields = cmd->Attributes;
  fields.insert(fields.end(), alsoRead.begin(), alsoRead.end());
  auto found = Search(**h, base, cmd->Filter, fields);
  if (!found) return AfterBind(**h, found.error());
  return found;
}

// One pass over the entry, in place. Asking for each field by name instead
// decodes the entry from its start once per field and copies every
// attribute name it passes: with tens of thousands of queues that was most
// of the query's CPU.
DirectoryRecord LdapDirectory::ReadEntry(Handle& h, LDAPMessage* entry, const FieldPlan& plan) {
  DirectoryRecord rec;
  rec.Fields.resize(plan.Count);
  BerElement* ber = nullptr;
  berval dn{0, nullptr};
  if (ldap_get_dn_ber(h.ld, entry, &ber, &dn) != LDAP_SUCCESS) {
    if (ber) ber_free(ber, 0);
    return rec;
  }
  if (dn.bv_val)
    for (size_t i : plan.Paths)
      rec.Fields[i].push_back("LDAP://" + h.Server + "/" + std::string(dn.bv_val, dn.bv_len));
  berval name{0, nullptr};
  berval* values = nullptr;
  while (ldap_get_attribute_ber(h.ld, entry, ber, &name, &values) == LDAP_SUCCESS && name.bv_val) {
    const std::string_view attribute(name.bv_val, name.bv_len);
    for (const auto& [wanted, i] : plan.Attributes) {
      if (!values || !SameAttribute(wanted, attribute)) continue;
      size_t count = 0;
      while (values[count].bv_val) ++count;
      rec.Fields[i].reserve(rec.Fields[i].size() + count);
      for (berval* v = values; v->bv_val; ++v) rec.Fields[i].emplace_back(v->bv_val, v->bv_len);
    }
    if (values) ldap_memfree(values);
    values = nullptr;
  }
  ber_free(ber, 0);
  return rec;
}

Result<RecordSet> LdapDirectory::Search(Handle& h, const std::string& base,
                                        const std::string& filter,
                                        const std::vector<std::string>& fields) {
  RecordSet rs;
  rs.FieldNames = fields;
  std::vector<const char*> attrs;
  FieldPlan plan;
  plan.Count = fields.size();
  for (size_t i = 0; i < fields.size(); ++i) {
    if (EqualsNoCase(fields[i], "ADsPath")) {
      plan.Paths.push_back(i);
    } else {
      attrs.push_back(fields[i].c_str());
      plan.Attributes.emplace_back(fields[i], i);
    }
  }
  if (attrs.empty()) attrs.push_back("1.1");
  attrs.push_back(nullptr);

  // Active Directory answers at most 1000 records per search; without
  // paging the rest would be dropped with no more than a result code.
  berval cookie{0, nullptr};
  auto freeCookie = [&cookie] {
    if (cookie.bv_val) ber_memfree(cookie.bv_val);
    cookie = berval{0, nullptr};
  };
  do {
    LDAPControl* page = nullptr;
    int rc = ldap_create_page_control(h.ld, options_.PageSize, &cookie, 0, &page);
    if (rc != LDAP_SUCCESS) {
      freeCookie();
      return LdapFailure(rc);
    }
    LDAPControl* serverControls[] = {page, nullptr};
    int msgid = 0;
    timeval tv = ReplyTimeout();
    rc = ldap_search_ext(h.ld, base.c_str(), LDAP_SCOPE_SUBTREE, filter.c_str(),
                         const_cast<char**>(attrs.data()), 0, serverControls, nullptr, &tv,
                         LDAP_NO_LIMIT, &msgid);
    ldap_control_free(page);
    freeCookie();
    if (rc != LDAP_SUCCESS) return LdapFailure(rc, Diagnostic(h.ld));

    bool done = false;
    while (!done) {
      LDAPMessage* msg = nullptr;
      tv = ReplyTimeout();
      int type = ldap_result(h.ld, msgid, LDAP_MSG_ONE, &tv, &msg);
      if (type <= 0) {
        int err = LDAP_TIMEOUT;
        if (type < 0) ldap_get_option(h.ld, LDAP_OPT_RESULT_CODE, &err);
        if (msg) ldap_msgfree(msg);
        ldap_abandon_ext(h.ld, msgid, nullptr, nullptr);
        return LdapFailure(err, Diagnostic(h.ld));
      }
      if (type == LDAP_RES_SEARCH_ENTRY) {
        rs.Records.push_back(ReadEntry(h, msg, plan));
      } else if (type == LDAP_RES_SEARCH_RESULT) {
        int err = LDAP_SUCCESS;
        char* diag = nullptr;
        LDAPControl** controls = nullptr;
        rc = ldap_parse_result(h.ld, msg, &err, nullptr, &diag, nullptr, &controls, 0);
        std::string diagnostic = diag ? diag : "";
        if (diag) ldap_memfree(diag);
        if (rc == LDAP_SUCCESS && err == LDAP_SUCCESS && controls) {
          if (LDAPControl* resp = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, controls, nullptr)) {
            ber_int_t estimate = 0;
            rc = ldap_parse_pageresponse_control(h.ld, resp, &estimate, &cookie);
          }
        }
        if (controls) ldap_controls_free(controls);
        ldap_msgfree(msg);
        if (rc != LDAP_SUCCESS) {
          freeCookie();
          return LdapFailure(rc);
        }
        // A server that ignores paging and stops at its limit says so here;
        // a partial list is an error, never a result.
        if (err != LDAP_SUCCESS) {
          freeCookie();
          return LdapFailure(err, diagnostic);
        }
        done = true;
        continue;
      }
      // Continuation references and intermediate messages carry no record.
      ldap_msgfree(msg);
    }
  } while (cookie.bv_len > 0);
  freeCookie();
  return rs;
}

// The variable's value for the length of a scope, then its old value back.
class EnvironmentWithout {
 public:
  explicit EnvironmentWithout(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) old_ = v;
    ::unsetenv(name);
  }
  ~EnvironmentWithout() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
  }
  EnvironmentWithout(const EnvironmentWithout&) = delete;
  EnvironmentWithout& operator=(const EnvironmentWithout&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace

// The library reads its configuration at its first call and never again:
// the system file and the LDAP* variables, then ldaprc in the working folder,
// ldaprc and .ldaprc in HOME, and the file LDAPRC names in both places. A
// root process started in a user's folder (sudo keeps it), or with a HOME
// sudo kept, would take its URI, TLS_REQCERT or base from that user: the user
// would choose which directory root believes, and so which queues root
// deletes for everyone. Root has the library start from "/" without a home,
// where only root can write.
void ReadLdapClientConfiguration() {
  static std::once_flag once;
  std::call_once(once, [] {
    auto firstCall = [] {
      char* uri = nullptr;
      ldap_get_option(nullptr, LDAP_OPT_URI, &uri);
      if (uri) ldap_memfree(uri);
    };
    if (::geteuid() != 0) return firstCall();
    const int here = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (here < 0 || ::chdir("/") != 0) {
      // Nowhere safe to start from: no configuration at all rather than
      // the user's.
      if (here >= 0) ::close(here);
      ::setenv("LDAPNOINIT", "1", 1);
      firstCall();
      ::unsetenv("LDAPNOINIT");
      return;
    }
    {
      EnvironmentWithout home("HOME");
      EnvironmentWithout rc("LDAPRC");
      firstCall();
    }
    // The rest of the run works where it was started.
    if (::fchdir(here) != 0) (void)::chdir("/");
    ::close(here);
  });
}

std::unique_ptr<DirectoryService> MakeLdapDirectory(LdapDirectoryOptions options) {
  return std::make_unique<LdapDirectory>(std::move(options));
}

}  // namespace velloran
