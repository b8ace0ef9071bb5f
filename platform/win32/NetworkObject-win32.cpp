// The network object over COM, late bound through IDispatch as a script
// would use it.

#include <objbase.h>
#include <oleauto.h>

#include <vector>

#include "platform/CodePage.h"
#include "platform/ConnectionName.h"
#include "platform/win32/Backends-win32.h"
#include "platform/win32/ComApartment-win32.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

namespace {

constexpr int32_t kCannotCreate = 429;

// The class of the system's own network object. Anything else registered
// under its programmatic identifier (the test stand-in) keeps every call
// through its own members.
constexpr CLSID kSystemNetworkClass = {
    0x093ff999, 0x1ea0, 0x4079, {0x95, 0x25, 0x96, 0x14, 0xc3, 0x50, 0x4b, 0x74}};

// Program text is UTF-8; COM strings are UTF-16.
std::string Narrow(BSTR text) { return FromWide(text, text ? ::SysStringLen(text) : 0); }

PlatformError HresultError(HRESULT hr, std::string description = {}) {
  if (description.empty()) description = SystemMessageText(static_cast<DWORD>(hr));
  if (description.empty()) description = "Automation error";
  return PlatformError{static_cast<int32_t>(hr), description};
}

/// A VARIANT that clears itself.
struct Variant {
  VARIANT v;
  Variant() { ::VariantInit(&v); }
  ~Variant() { ::VariantClear(&v); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  static Variant Text(std::string_view text) {
    Variant out;
    std::wstring w = Wide(text);
    out.v.vt = VT_BSTR;
    out.v.bstrVal = ::SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    return out;
  }
  static Variant Boolean(bool value) {
    Variant out;
    out.v.vt = VT_BOOL;
    out.v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return out;
  }
  static Variant Long(LONG value) {
    Variant out;
    out.v.vt = VT_I4;
    out.v.lVal = value;
    return out;
  }
  Variant(Variant&& other) noexcept : v(other.v) { other.v.vt = VT_EMPTY; }
};

Result<std::string> AsText(Variant& value) {
  HRESULT hr = ::VariantChangeType(&value.v, &value.v, 0, VT_BSTR);
  if (FAILED(hr)) return HresultError(hr);
  return Narrow(value.v.bstrVal);
}

/// Calls `name` on `object` with `args` in their written order; the failure
/// of a call the object raised carries its own number and description.
Status Invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Variant>& args,
              Variant* result) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return HresultError(hr);

  // IDispatch takes the arguments last to first.
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->v);
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  EXCEPINFO exception{};
  UINT badArgument = 0;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                      result ? &result->v : nullptr, &exception, &badArgument);
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    HRESULT raised = exception.scode ? exception.scode : hr;
    std::string description = Narrow(exception.bstrDescription);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    return HresultError(raised, description);
  }
  if (FAILED(hr)) return HresultError(hr);
  return Status::Ok();
}

Status Invoke(IDispatch* object, const wchar_t* name, WORD flags, Variant* result) {
  std::vector<Variant> none;
  return Invoke(object, name, flags, none, result);
}

class ComNetworkObject : public NetworkObject {
 public:
  ComNetworkObject(std::unique_ptr<ComApartment> com, IDispatch* object, bool systems)
      : com_(std::move(com)), object_(object), systems_(systems) {
    if (systems_) drivers_ = MakeSpoolerDrivers(MakeWindowsSpooler());
  }
  ~ComNetworkObject() override {
    // Released while COM is still initialised for the thread.
    object_->Release();
  }
  ComNetworkObject(const ComNetworkObject&) = delete;
  ComNetworkObject& operator=(const ComNetworkObject&) = delete;

  Result<std::vector<Result<std::string>>> EnumPrinterConnectionItems() override {
    Variant collection;
    if (Status s = Invoke(object_, L"EnumPrinterConnections", DISPATCH_METHOD, &collection);
        !s.ok())
      return s.error();
    if (collection.v.vt != VT_DISPATCH || !collection.v.pdispVal)
      return HresultError(DISP_E_TYPEMISMATCH);
    IDispatch* items = collection.v.pdispVal;

    // Count is a method of the collection; a script host asks for it either
    // way, and so do we.
    Variant count;
    if (Status s = Invoke(items, L"Count", DISPATCH_PROPERTYGET | DISPATCH_METHOD, &count); !s.ok())
      return s.error();
    HRESULT hr = ::VariantChangeType(&count.v, &count.v, 0, VT_I4);
    if (FAILED(hr)) return HresultError(hr);

    std::vector<Result<std::string>> out;
    for (LONG i = 0; i < count.v.lVal; ++i) {
      std::vector<Variant> args;
      args.push_back(Variant::Long(i));
      Variant item;
      // One connection that cannot be read (a server gone away, a driver
      // that fails to load) must not hide the others: its failure stands in
      // its place and the list goes on.
      if (Status s = Invoke(items, L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, &item);
          !s.ok()) {
        out.emplace_back(s.error());
        continue;
      }
      out.push_back(AsText(item));
    }
    return out;
  }

  // For callers that cannot tell an unreadable item from an empty one, an
  // unreadable item fails the whole listing rather than pass for a blank.
  Result<std::vector<std::string>> EnumPrinterConnections() override {
    auto items = EnumPrinterConnectionItems();
    if (!items) return items.error();
    std::vector<std::string> out;
    out.reserve(items->size());
    for (Result<std::string>& item : *items) {
      if (!item) return item.error();
      out.push_back(std::move(*item));
    }
    return out;
  }

  Status RemovePrinterConnection(std::string_view path, bool force, bool updateProfile) override {
    if (Status s = CheckConnectionName(path); !s.ok()) return s;
    std::vector<Variant> args;
    args.push_back(Variant::Text(path));
    args.push_back(Variant::Boolean(force));
    args.push_back(Variant::Boolean(updateProfile));
    return Invoke(object_, L"RemovePrinterConnection", DISPATCH_METHOD, args, nullptr);
  }

  // The system's object adds with the spooler's plain call, which may wait
  // on a driver prompt that nobody at a logon answers; the spooler's
  // no-prompt add fails instead, with the same numbers the engine reads.
  Status AddWindowsPrinterConnection(std::string_view path) override {
    if (Status s = CheckConnectionName(path); !s.ok()) return s;
    if (systems_) return AddPrinterConnectionWithoutPrompt(path);
    std::vector<Variant> args;
    args.push_back(Variant::Text(path));
    return Invoke(object_, L"AddWindowsPrinterConnection", DISPATCH_METHOD, args, nullptr);
  }

  // The default is the user's, kept by the spooler; the network object of a
  // script host offers only the setter, so both go to the spooler.
  Result<std::string> GetDefaultPrinter() override {
    DWORD size = 0;
    if (::GetDefaultPrinterW(nullptr, &size)) return std::string();
    DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return std::string();  // none set
    if (code != ERROR_INSUFFICIENT_BUFFER) return Win32Error(code);
    std::wstring name(size, L'\0');
    if (!::GetDefaultPrinterW(name.data(), &size)) return LastWin32Error();
    // size counts the terminating zero.
    name.resize(size > 0 ? size - 1 : 0);
    return FromWide(name);
  }

  Status SetDefaultPrinter(std::string_view path) override {
    if (!::SetDefaultPrinterW(Wide(path).c_str())) return LastWin32Error();
    return Status::Ok();
  }

  Result<std::string> ComputerName() override {
    Variant name;
    if (Status s = Invoke(object_, L"ComputerName", DISPATCH_PROPERTYGET, &name); !s.ok())
      return s.error();
    return AsText(name);
  }

  PrinterDrivers* Drivers() override { return drivers_.get(); }

 private:
  std::unique_ptr<ComApartment> com_;
  IDispatch* object_;
  bool systems_;
  std::unique_ptr<PrinterDrivers> drivers_;
};

class ComNetworkFactory : public NetworkObjectFactory {
 public:
  Result<std::unique_ptr<NetworkObject>> Create(std::string_view progId) override {
    // COM stays initialised from the first object to the end of the run:
    // each object's own apartment is then a nested one, and releasing it
    // does not unload the object's server only for the next caller to load
    // it again (a run creates an object per step and per computer-name look-up).
    if (!run_) run_ = std::make_unique<ComApartment>();
    auto com = std::make_unique<ComApartment>();
    if (FAILED(com->Failure())) return HresultError(com->Failure());
    CLSID clsid{};
    std::wstring id = Wide(progId);
    HRESULT hr = ::CLSIDFromProgID(id.c_str(), &clsid);
    IDispatch* object = nullptr;
    if (SUCCEEDED(hr))
      hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IDispatch, reinterpret_cast<void**>(&object));
    // The number a script host reports for any object it cannot create; the
    // system's reason goes into the text.
    if (FAILED(hr) || !object)
      return PlatformError{kCannotCreate, "ActiveX component can't create object (" +
                                              HresultError(hr).Description + ")"};
    return std::unique_ptr<NetworkObject>(std::make_unique<ComNetworkObject>(
        std::move(com), object, ::IsEqualCLSID(clsid, kSystemNetworkClass) != FALSE));
  }

 private:
  std::unique_ptr<ComApartment> run_;
};

}  // namespace

std::unique_ptr<NetworkObjectFactory> MakeComNetworkFactory() {
  return std::make_unique<ComNetworkFactory>();
}

}  // namespace velloran
