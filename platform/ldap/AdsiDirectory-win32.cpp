// The directory through the system's own directory client (ADSI): objects
// bound with ADsOpenObject, queries run with IDirectorySearch, page by page.

// clang-format off: the order of these headers matters.
#include <objbase.h>
#include <oleauto.h>
// After objbase.h: the ADSI headers use its interface macros.
#include <activeds.h>
// Before our own headers: it takes back the A/W macros (GetObject) that
// would rename their members.
#include "platform/win32/ComApartment-win32.h"
#include "platform/win32/Windows-win32.h"
// clang-format on

#include <fstream>
#include <string>
#include <vector>

#include "platform/ldap/AdsiFlags-win32.h"
#include "platform/ldap/LdapDirectory.h"

namespace velloran {

unsigned long AdsBindFlags(const LdapDirectoryOptions& options, std::string_view path) {
  DWORD flags = 0;
  switch (options.Bind) {
    // The logged-on user's own Kerberos or NTLM logon, as every domain
    // member binds.
    case LdapBindMode::Auto:
    case LdapBindMode::Gssapi:
      flags = ADS_SECURE_AUTHENTICATION;
      break;
    case LdapBindMode::Anonymous:
      break;
    case LdapBindMode::Simple:
      // A password goes out inside TLS only, unless the administrator says
      // "none". The client has no StartTLS: it speaks TLS from the start,
      // on the TLS port when the path names none.
      if (options.Tls == LdapTlsMode::None) return 0;
      {
        auto parts = ParseAdsPath(path);
        const bool tlsPort = parts && (parts->Port == 636 || parts->Port == 3269);
        return tlsPort ? ADS_USE_SSL : ADS_USE_ENCRYPTION;
      }
  }
  if (options.Tls == LdapTlsMode::StartTls) flags |= ADS_USE_ENCRYPTION;
  return flags;
}

namespace {

std::string Narrow(const wchar_t* text) {
  return text ? FromWide(text, wcslen(text)) : std::string();
}

// Windows' words for the failures an administrator meets most, for systems
// whose message tables lack them (Wine has none for the directory codes).
std::string KnownText(HRESULT hr) {
  switch (static_cast<int32_t>(hr)) {
    case kServerDown:
      return "The server is not operational.";
    case kNoSuchObject:
      return "There is no such object on the server.";
    case kBadPathname:
      return "An invalid directory pathname was passed";
    case static_cast<int32_t>(0x8007052E):
      return "The user name or password is incorrect.";
    case static_cast<int32_t>(0x8007203B):
      return "A local error has occurred.";
    default:
      return "Automation error";
  }
}

// The directory client keeps the server's own words for the last failure;
// they say more than the generic text of the HRESULT.
PlatformError AdsError(HRESULT hr) {
  std::string text = SystemMessageText(static_cast<DWORD>(hr));
  // A Win32 code wrapped in an HRESULT: the code's own text.
  if (text.empty() && HRESULT_FACILITY(hr) == FACILITY_WIN32)
    text = SystemMessageText(static_cast<DWORD>(HRESULT_CODE(hr)));
  if (text.empty()) {
    DWORD code = 0;
    wchar_t message[512] = {};
    wchar_t provider[64] = {};
    if (SUCCEEDED(::ADsGetLastError(&code, message, 512, provider, 64))) text = Narrow(message);
  }
  if (text.empty()) text = KnownText(hr);
  return PlatformError{static_cast<int32_t>(hr), text};
}

/// Releases a COM interface when it goes out of scope.
template <typename T>
struct ComRef {
  T* p = nullptr;
  ComRef() = default;
  ~ComRef() {
    if (p) p->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  void** out() { return reinterpret_cast<void**>(&p); }
};

/// Who the binds run as, from VELLORAN_LDAP_BIND and its companions.
struct Credentials {
  LdapDirectoryOptions Options;
  std::wstring User, Password;
  bool HasUser = false;
};

Result<Credentials> CredentialsFor(const LdapDirectoryOptions& o) {
  if (o.Invalid) return *o.Invalid;
  Credentials c;
  c.Options = o;
  if (o.Bind == LdapBindMode::Simple) {
    std::ifstream in(o.PasswordFile, std::ios::binary);
    std::string password;
    if (!in || !std::getline(in, password))
      return PlatformError{kInvalidSetting,
                           "VELLORAN_LDAP_PASSWORD_FILE: cannot read \"" + o.PasswordFile + "\""};
    if (!password.empty() && password.back() == '\r') password.pop_back();
    // An empty password turns a simple bind into an unauthenticated one,
    // which servers accept and which would look like success.
    if (password.empty())
      return PlatformError{kInvalidSetting, "VELLORAN_LDAP_PASSWORD_FILE " + o.PasswordFile +
                                                ": the password is empty"};
    c.User = Wide(o.User);
    c.Password = Wide(password);
    c.HasUser = true;
  }
  return c;
}

HRESULT Open(const Credentials& c, std::string_view path, REFIID iid, void** out) {
  return ::ADsOpenObject(Wide(path).c_str(), c.HasUser ? c.User.c_str() : nullptr,
                         c.HasUser ? c.Password.c_str() : nullptr, AdsBindFlags(c.Options, path),
                         iid, out);
}

class AdsiObject : public DirectoryObject {
 public:
  explicit AdsiObject(std::string adsPath) : adsPath_(std::move(adsPath)) {}
  std::string AdsPath() const override { return adsPath_; }

 private:
  std::string adsPath_;
};

// Every value of a column as text; values of types without a text form
// (octet strings, security descriptors) are left out.
std::vector<std::string> ColumnValues(const ADS_SEARCH_COLUMN& column) {
  std::vector<std::string> values;
  for (DWORD i = 0; i < column.dwNumValues; ++i) {
    const ADSVALUE& v = column.pADsValues[i];
    switch (v.dwType) {
      case ADSTYPE_DN_STRING:
      case ADSTYPE_CASE_EXACT_STRING:
      case ADSTYPE_CASE_IGNORE_STRING:
      case ADSTYPE_PRINTABLE_STRING:
      case ADSTYPE_NUMERIC_STRING:
        values.push_back(Narrow(v.CaseIgnoreString));
        break;
      case ADSTYPE_INTEGER:
        values.push_back(std::to_string(v.Integer));
        break;
      case ADSTYPE_BOOLEAN:
        values.push_back(v.Boolean ? "TRUE" : "FALSE");
        break;
      default:
        break;
    }
  }
  return values;
}

class AdsiConnection : public DirectoryConnection {
 public:
  AdsiConnection(Credentials credentials, int replyTimeoutSeconds)
      : credentials_(std::move(credentials)), replyTimeoutSeconds_(replyTimeoutSeconds) {}

  /// The select list plus `alsoRead`, all asked for in one search.
  Result<RecordSet> Execute(std::string_view commandText,
                            const std::vector<std::string>& alsoRead) override {
    auto command = ParseDirectoryCommand(commandText);
    if (!command) return command.error();
    ComApartment com;
    if (FAILED(com.Failure())) return AdsError(com.Failure());

    ComRef<IDirectorySearch> search;
    HRESULT hr = Open(credentials_, command->Path, IID_IDirectorySearch, search.out());
    if (FAILED(hr)) return AdsError(hr);

    // A page size makes the server hand out every record, 1000 at a time,
    // where an unpaged search stops silently at its limit. Referrals (the
    // configuration partition below a domain root) are not followed. A
    // server that stops answering fails the search after the reply timeout.
    ADS_SEARCHPREF_INFO prefs[4] = {};
    prefs[0].dwSearchPref = ADS_SEARCHPREF_SEARCH_SCOPE;
    prefs[0].vValue.dwType = ADSTYPE_INTEGER;
    prefs[0].vValue.Integer = ADS_SCOPE_SUBTREE;
    prefs[1].dwSearchPref = ADS_SEARCHPREF_PAGESIZE;
    prefs[1].vValue.dwType = ADSTYPE_INTEGER;
    prefs[1].vValue.Integer = 1000;
    prefs[2].dwSearchPref = ADS_SEARCHPREF_CHASE_REFERRALS;
    prefs[2].vValue.dwType = ADSTYPE_INTEGER;
    prefs[2].vValue.Integer = ADS_CHASE_REFERRALS_NEVER;
    prefs[3].dwSearchPref = ADS_SEARCHPREF_TIMEOUT;
    prefs[3].vValue.dwType = ADSTYPE_INTEGER;
    prefs[3].vValue.Integer = static_cast<DWORD>(replyTimeoutSeconds_);
    hr = search.p->SetSearchPreference(prefs, 4);
    // Preferences a client does not support come back marked one by one;
    // the search runs without them, which is what the client can do.
    if (FAILED(hr)) return AdsError(hr);
    if (prefs[0].dwStatus != ADS_STATUS_S_OK || prefs[1].dwStatus != ADS_STATUS_S_OK)
      return PlatformError{static_cast<int32_t>(E_ADS_BAD_PARAMETER),
                           "The directory client refused the subtree scope or the page size."};

    RecordSet rs;
    rs.FieldNames = command->Attributes;
    rs.FieldNames.insert(rs.FieldNames.end(), alsoRead.begin(), alsoRead.end());
    std::vector<std::wstring> names;
    for (const auto& n : rs.FieldNames) names.push_back(Wide(n));
    std::vector<LPWSTR> namePointers;
    for (auto& n : names) namePointers.push_back(n.data());

    std::wstring filter = Wide(command->Filter);
    ADS_SEARCH_HANDLE handle = nullptr;
    hr = search.p->ExecuteSearch(filter.data(), namePointers.data(),
                                 static_cast<DWORD>(namePointers.size()), &handle);
    if (FAILED(hr)) return AdsError(hr);

    for (;;) {
      hr = search.p->GetNextRow(handle);
      if (hr == S_ADS_NOMORE_ROWS) break;
      if (FAILED(hr)) {
        search.p->CloseSearchHandle(handle);
        return AdsError(hr);
      }
      DirectoryRecord record;
      for (auto& name : names) {
        ADS_SEARCH_COLUMN column{};
        HRESULT got = search.p->GetColumn(handle, name.data(), &column);
        if (SUCCEEDED(got)) {
          record.Fields.push_back(ColumnValues(column));
          search.p->FreeColumn(&column);
        } else {
          // E_ADS_COLUMN_NOT_SET: the record lacks the attribute.
          record.Fields.emplace_back();
        }
      }
      rs.Records.push_back(std::move(record));
    }
    search.p->CloseSearchHandle(handle);
    return rs;
  }

 private:
  Credentials credentials_;
  int replyTimeoutSeconds_;
};

class AdsiDirectory : public DirectoryService {
 public:
  explicit AdsiDirectory(LdapDirectoryOptions options) : options_(std::move(options)) {}

  Result<std::unique_ptr<DirectoryObject>> GetObject(std::string_view path) override {
    auto credentials = CredentialsFor(options_);
    if (!credentials) return credentials.error();
    ComApartment com;
    if (FAILED(com.Failure())) return AdsError(com.Failure());
    ComRef<IADs> object;
    HRESULT hr = Open(*credentials, path, IID_IADs, object.out());
    if (FAILED(hr)) return AdsError(hr);
    BSTR adsPath = nullptr;
    hr = object.p->get_ADsPath(&adsPath);
    std::string text;
    if (SUCCEEDED(hr)) {
      text = Narrow(adsPath);
      ::SysFreeString(adsPath);
    } else if (hr == E_NOTIMPL) {
      // Clients that bind but cannot name the object (Wine's) still have
      // the path they bound: its canonical form is what the search needs.
      auto parts = ParseAdsPath(path);
      if (!parts || parts->DN.empty()) return AdsError(hr);
      text = "LDAP://" +
             (parts->Host.empty() ? "" : CanonicalServer(parts->Host, parts->Port) + "/") +
             parts->DN;
    } else {
      return AdsError(hr);
    }
    return std::unique_ptr<DirectoryObject>(std::make_unique<AdsiObject>(std::move(text)));
  }

  // The client itself is the provider: opening it only checks the name and
  // the settings the binds will use.
  Result<std::unique_ptr<DirectoryConnection>> OpenConnection(std::string_view provider) override {
    if (provider != "ADsDSOObject")
      return PlatformError{kProviderNotFound,
                           "Provider cannot be found. It may not be properly installed."};
    auto credentials = CredentialsFor(options_);
    if (!credentials) return credentials.error();
    return std::unique_ptr<DirectoryConnection>(
        std::make_unique<AdsiConnection>(std::move(*credentials), options_.ReplyTimeoutSeconds));
  }

 private:
  LdapDirectoryOptions options_;
};

}  // namespace

std::unique_ptr<DirectoryService> MakeLdapDirectory(LdapDirectoryOptions options) {
  return std::make_unique<AdsiDirectory>(std::move(options));
}

}  // namespace velloran
