// The DLL's COM entry points: the class factory, and the registration that
// the Windows test stage runs in its own Wine prefix (regsvr32).

#include <objbase.h>

#include <string>

#include "FakeNetwork.h"

namespace fakenetwork {
namespace {

HINSTANCE g_module = nullptr;

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // One static factory for the life of the DLL.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out) *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateNetwork(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      ::InterlockedIncrement(&g_serverLocks);
    else
      ::InterlockedDecrement(&g_serverLocks);
    return S_OK;
  }
};

Factory g_factory;

std::wstring ClassIdText() {
  wchar_t text[64] = {};
  ::StringFromGUID2(kClassId, text, 64);
  return text;
}

LSTATUS SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace
}  // namespace fakenetwork

using namespace fakenetwork;

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = module;
    ::DisableThreadLibraryCalls(module);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != kClassId) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() { return g_liveObjects == 0 && g_serverLocks == 0 ? S_OK : S_FALSE; }

// Under the machine's classes: Wine looks no further than its own class for
// this ProgID when the keys are the user's alone.
STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH * 4] = {};
  DWORD n = ::GetModuleFileNameW(g_module, path, MAX_PATH * 4);
  if (n == 0 || n >= MAX_PATH * 4) return HRESULT_FROM_WIN32(::GetLastError());
  const std::wstring id = ClassIdText();
  const std::wstring classKey = L"Software\\Classes\\CLSID\\" + id;
  // The engine's thread is a single-threaded apartment, as a script
  // host's is, and so is the class: an object of it stays on that thread.
  for (LSTATUS s : {SetText(L"Software\\Classes\\WScript.Network", nullptr, L"Test network object"),
                    SetText(L"Software\\Classes\\WScript.Network\\CLSID", nullptr, id),
                    SetText(classKey, nullptr, L"Test network object"),
                    SetText(classKey + L"\\ProgID", nullptr, L"WScript.Network"),
                    SetText(classKey + L"\\InprocServer32", nullptr, path),
                    SetText(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment")})
    if (s != ERROR_SUCCESS) return HRESULT_FROM_WIN32(s);
  return S_OK;
}
