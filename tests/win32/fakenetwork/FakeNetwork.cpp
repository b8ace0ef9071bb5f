#include "FakeNetwork.h"

#include <oleauto.h>
#include <wchar.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Backends.h"
#include "platform/CodePage.h"
#include "platform/ConnectionName.h"
#include "platform/win32/Windows-win32.h"

namespace fakenetwork {

LONG g_liveObjects = 0;
LONG g_serverLocks = 0;

namespace {

using velloran::FromWide;
using velloran::PlatformError;
using velloran::SameText;
using velloran::Wide;

constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005);
constexpr HRESULT kRpcServerUnavailable = static_cast<HRESULT>(0x800706BA);

// Where the spooler lists the user's printers and keeps the default one.
constexpr wchar_t kDevicesKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices";
constexpr wchar_t kWindowsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr wchar_t kDeviceEntry[] = L"winspool,Ne00:";

/// One call's arguments, results and failure, as IDispatch hands them over.
struct Call {
  DISPPARAMS* Params;
  VARIANT* Result;
  EXCEPINFO* Exception;
  UINT* BadArgument;

  UINT Count() const { return Params ? Params->cArgs : 0; }

  /// Argument `i` in written order; null when left out.
  VARIANT* Arg(UINT i) const {
    if (i >= Count()) return nullptr;
    VARIANT* v = &Params->rgvarg[Count() - 1 - i];
    if (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND) return nullptr;
    return v;
  }

  HRESULT Arity(UINT required, UINT most) const {
    return Count() < required || Count() > most ? DISP_E_BADPARAMCOUNT : S_OK;
  }

  HRESULT Convert(UINT i, VARTYPE type, VARIANT& out) const {
    ::VariantInit(&out);
    if (FAILED(::VariantChangeType(&out, Arg(i), 0, type))) {
      if (BadArgument) *BadArgument = Count() - 1 - i;
      return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
  }

  HRESULT Text(UINT i, std::string& out) const {
    VARIANT v;
    if (HRESULT hr = Convert(i, VT_BSTR, v); FAILED(hr)) return hr;
    out = FromWide(V_BSTR(&v), ::SysStringLen(V_BSTR(&v)));
    ::VariantClear(&v);
    return S_OK;
  }

  HRESULT Flag(UINT i, bool fallback, bool& out) const {
    if (!Arg(i)) {
      out = fallback;
      return S_OK;
    }
    VARIANT v;
    if (HRESULT hr = Convert(i, VT_BOOL, v); FAILED(hr)) return hr;
    out = V_BOOL(&v) != VARIANT_FALSE;
    return S_OK;
  }

  HRESULT Index(UINT i, LONG& out) const {
    VARIANT v;
    if (HRESULT hr = Convert(i, VT_I4, v); FAILED(hr)) return hr;
    out = V_I4(&v);
    return S_OK;
  }

  /// The failure of a member, as an object raises it for a script host.
  HRESULT Raise(const wchar_t* source, const PlatformError& error) const {
    if (!Exception) return error.Number;
    *Exception = EXCEPINFO{};
    Exception->scode = error.Number;
    Exception->bstrSource = ::SysAllocString(source);
    Exception->bstrDescription = ::SysAllocString(Wide(error.Description).c_str());
    return DISP_E_EXCEPTION;
  }

  HRESULT ReturnText(std::string_view text) const {
    if (Result) {
      std::wstring w = Wide(text);
      V_VT(Result) = VT_BSTR;
      V_BSTR(Result) = ::SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    }
    return S_OK;
  }

  HRESULT ReturnLong(LONG value) const {
    if (Result) {
      V_VT(Result) = VT_I4;
      V_I4(Result) = value;
    }
    return S_OK;
  }
};

struct Member {
  const wchar_t* Name;
  DISPID Id;
  /// DISPATCH_METHOD for a method, DISPATCH_PROPERTYGET for a property: a
  /// call must ask for it that way, as a type library's dispatch demands.
  WORD Kind;
};

/// IUnknown and IDispatch over a table of members; names are looked up
/// without regard to case, as a type library does.
class DispatchObject : public IDispatch {
 public:
  DispatchObject() { ::InterlockedIncrement(&g_liveObjects); }
  virtual ~DispatchObject() { ::InterlockedDecrement(&g_liveObjects); }
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (const Member& m : Members())
      if (_wcsicmp(m.Name, names[0]) == 0) ids[0] = m.Id;
    // No member takes its arguments by name.
    if (ids[0] == DISPID_UNKNOWN || count > 1) hr = DISP_E_UNKNOWNNAME;
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* badArgument) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (params && params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
    if (result) ::VariantInit(result);
    for (const Member& m : Members())
      if (m.Id == id) {
        if (!(flags & m.Kind)) return DISP_E_MEMBERNOTFOUND;
        return Dispatch(id, Call{params, result, exception, badArgument});
      }
    return DISP_E_MEMBERNOTFOUND;
  }

 protected:
  virtual const std::vector<Member>& Members() const = 0;
  virtual HRESULT Dispatch(DISPID id, const Call& call) = 0;

 private:
  LONG refs_ = 1;
};

/// What EnumPrinterConnections returns: Count (a method), length (a
/// property) and Item (the default member), over items fixed when it was made.
class Collection : public DispatchObject {
 public:
  explicit Collection(std::vector<velloran::Result<std::string>> items)
      : items_(std::move(items)) {}

 protected:
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {{L"Item", DISPID_VALUE, DISPATCH_METHOD},
                                                {L"Count", 1, DISPATCH_METHOD},
                                                {L"length", 2, DISPATCH_PROPERTYGET}};
    return members;
  }

  HRESULT Dispatch(DISPID id, const Call& call) override {
    if (id != DISPID_VALUE) {
      if (HRESULT hr = call.Arity(0, 0); FAILED(hr)) return hr;
      return call.ReturnLong(static_cast<LONG>(items_.size()));
    }
    if (HRESULT hr = call.Arity(1, 1); FAILED(hr)) return hr;
    LONG index = 0;
    if (HRESULT hr = call.Index(0, index); FAILED(hr)) return hr;
    if (index < 0 || static_cast<size_t>(index) >= items_.size()) return DISP_E_BADINDEX;
    const auto& item = items_[static_cast<size_t>(index)];
    if (!item) return call.Raise(L"WshCollection", item.error());
    return call.ReturnText(*item);
  }

 private:
  std::vector<velloran::Result<std::string>> items_;
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

/// The values of the lines with `key` ("unreadable", "denied", "default").
std::vector<std::string> ValuesOf(const std::string& text, std::string_view key) {
  std::vector<std::string> out;
  std::string_view rest = text;
  while (!rest.empty()) {
    size_t nl = rest.find('\n');
    std::string_view line = Trim(rest.substr(0, nl));
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    size_t colon = line.find(':');
    if (line.empty() || line[0] == '#' || colon == std::string_view::npos) continue;
    if (SameText(Trim(line.substr(0, colon)), key)) out.emplace_back(Trim(line.substr(colon + 1)));
  }
  return out;
}

std::optional<std::wstring> ReadRegistryText(const wchar_t* key, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(buffer);
}

void WriteRegistryText(const wchar_t* key, const std::wstring& name, const std::wstring& value) {
  ::RegSetKeyValueW(HKEY_CURRENT_USER, key, name.c_str(), REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

/// The spooler's default printer (the name before the first comma of its
/// entry), "" when none is set.
std::string SpoolerDefault() {
  std::wstring entry = ReadRegistryText(kWindowsKey, L"Device").value_or(L"");
  return FromWide(entry.substr(0, entry.find(L',')));
}

/// The network object. Every member reads the state file afresh, so that
/// several objects alive at once (a run creates one per step) agree.
class Network : public DispatchObject {
 public:
  explicit Network(std::string state)
      : state_(state),
        profile_(velloran::MakeConnectionProfile(std::move(state), {"unreadable", "denied"})) {
    // The file's default printer becomes the spooler's, where the engine
    // looks for it; the spooler accepts only printers it lists.
    std::vector<std::string> defaults = ValuesOf(StateText(), "default");
    if (!defaults.empty() && !defaults.front().empty()) {
      std::wstring name = Wide(defaults.front());
      WriteRegistryText(kDevicesKey, name, kDeviceEntry);
      WriteRegistryText(kWindowsKey, L"Device", name + L"," + kDeviceEntry);
    }
  }

  ~Network() override {
    // And back: a default the spooler now holds for one of this file's
    // connections is written to the file.
    std::string chosen = SpoolerDefault();
    if (chosen.empty()) return;
    auto object = Object();
    if (!object) return;
    auto current = (*object)->GetDefaultPrinter();
    if (current && SameText(*current, chosen)) return;
    static_cast<void>((*object)->SetDefaultPrinter(chosen));
  }

 protected:
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {
        {L"ComputerName", 1, DISPATCH_PROPERTYGET},
        {L"EnumPrinterConnections", 2, DISPATCH_METHOD},
        {L"AddWindowsPrinterConnection", 3, DISPATCH_METHOD},
        {L"RemovePrinterConnection", 4, DISPATCH_METHOD}};
    return members;
  }

  HRESULT Dispatch(DISPID id, const Call& call) override {
    switch (id) {
      case 1:
        return ComputerName(call);
      case 2:
        return EnumPrinterConnections(call);
      case 3:
        return AddWindowsPrinterConnection(call);
      default:
        return RemovePrinterConnection(call);
    }
  }

 private:
  std::string StateText() const {
    auto text = velloran::ReadWholeFile(state_);
    return text ? *text : std::string();
  }

  velloran::Result<std::unique_ptr<velloran::NetworkObject>> Object() {
    return profile_->Create("WScript.Network");
  }

  /// Whether a `denied:` line names the path or its server. Only adds are
  /// refused: connecting takes the server's consent, disconnecting is the
  /// user's own business.
  bool Denied(std::string_view path) const {
    std::string_view server = velloran::ConnectionServer(path);
    for (const std::string& named : ValuesOf(StateText(), "denied")) {
      if (SameText(named, path)) return true;
      std::string_view s = named;
      while (s.starts_with('\\')) s.remove_prefix(1);
      if (!server.empty() && s.find('\\') == std::string_view::npos && SameText(s, server))
        return true;
    }
    return false;
  }

  HRESULT ComputerName(const Call& call) {
    if (HRESULT hr = call.Arity(0, 0); FAILED(hr)) return hr;
    auto object = Object();
    if (!object) return call.Raise(L"WshNetwork", object.error());
    auto name = (*object)->ComputerName();
    if (!name) return call.Raise(L"WshNetwork", name.error());
    return call.ReturnText(*name);
  }

  HRESULT EnumPrinterConnections(const Call& call) {
    if (HRESULT hr = call.Arity(0, 0); FAILED(hr)) return hr;
    auto object = Object();
    if (!object) return call.Raise(L"WshNetwork", object.error());
    auto listed = (*object)->EnumPrinterConnections();
    if (!listed) return call.Raise(L"WshNetwork", listed.error());
    std::vector<std::string> unreadable = ValuesOf(StateText(), "unreadable");
    std::vector<velloran::Result<std::string>> items;
    for (size_t i = 0; i < listed->size(); ++i) {
      const std::string& item = (*listed)[i];
      bool lost =
          i % 2 == 1 && std::any_of(unreadable.begin(), unreadable.end(),
                                    [&](const std::string& u) { return SameText(u, item); });
      if (lost)
        items.emplace_back(PlatformError{kRpcServerUnavailable, "The RPC server is unavailable."});
      else
        items.emplace_back(item);
    }
    if (call.Result) {
      V_VT(call.Result) = VT_DISPATCH;
      V_DISPATCH(call.Result) = new Collection(std::move(items));
    }
    return S_OK;
  }

  // (path[, driver[, port]]): the driver and the port are for systems that
  // install a driver per connection and are not used here.
  HRESULT AddWindowsPrinterConnection(const Call& call) {
    constexpr wchar_t kSource[] = L"WshNetwork.AddWindowsPrinterConnection";
    if (HRESULT hr = call.Arity(1, 3); FAILED(hr)) return hr;
    std::string path, ignored;
    if (HRESULT hr = call.Text(0, path); FAILED(hr)) return hr;
    for (UINT i = 1; i < 3; ++i)
      if (call.Arg(i))
        if (HRESULT hr = call.Text(i, ignored); FAILED(hr)) return hr;
    if (Denied(path)) return call.Raise(kSource, {kAccessDenied, "Access is denied."});
    auto object = Object();
    if (!object) return call.Raise(kSource, object.error());
    if (velloran::Status added = (*object)->AddWindowsPrinterConnection(path); !added.ok())
      return call.Raise(kSource, added.error());
    WriteRegistryText(kDevicesKey, Wide(path), kDeviceEntry);
    return S_OK;
  }

  // (name[, force[, updateProfile]]), both flags false when left out. A
  // removal that does not update the profile lasts until the user logs off:
  // the state file, which stands for the profile, keeps the connection.
  HRESULT RemovePrinterConnection(const Call& call) {
    constexpr wchar_t kSource[] = L"WshNetwork.RemovePrinterConnection";
    if (HRESULT hr = call.Arity(1, 3); FAILED(hr)) return hr;
    std::string name;
    bool force = false, updateProfile = false;
    if (HRESULT hr = call.Text(0, name); FAILED(hr)) return hr;
    if (HRESULT hr = call.Flag(1, false, force); FAILED(hr)) return hr;
    if (HRESULT hr = call.Flag(2, false, updateProfile); FAILED(hr)) return hr;
    auto object = Object();
    if (!object) return call.Raise(kSource, object.error());
    if (!updateProfile) {
      auto listed = (*object)->EnumPrinterConnections();
      if (!listed) return call.Raise(kSource, listed.error());
      for (size_t i = 1; i < listed->size(); i += 2)
        if (SameText((*listed)[i], name)) return S_OK;
      return call.Raise(kSource,
                        {velloran::kConnectionMissing, "This network connection does not exist."});
    }
    if (velloran::Status removed = (*object)->RemovePrinterConnection(name, force, true);
        !removed.ok())
      return call.Raise(kSource, removed.error());
    // The spooler forgets the printer, and its default status with it.
    std::wstring wide = Wide(name);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDevicesKey, wide.c_str());
    if (SameText(SpoolerDefault(), name))
      ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kWindowsKey, L"Device");
    return S_OK;
  }

  std::string state_;
  std::unique_ptr<velloran::NetworkObjectFactory> profile_;
};

}  // namespace

HRESULT CreateNetwork(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  wchar_t path[MAX_PATH * 4] = {};
  DWORD n = ::GetEnvironmentVariableW(kStateVariable, path, MAX_PATH * 4);
  // Without a state file there is nothing to stand for: creation fails, as
  // it does where the object is not installed.
  if (n == 0 || n >= MAX_PATH * 4) return REGDB_E_CLASSNOTREG;
  auto* network = new Network(FromWide(path, n));
  HRESULT hr = network->QueryInterface(iid, out);
  network->Release();
  return hr;
}

}  // namespace fakenetwork
