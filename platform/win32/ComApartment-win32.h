#pragma once
// COM for the calling thread while an object lives: the network object and
// the directory client each hold one for as long as their COM objects live.

#include <objbase.h>

namespace velloran {

/// A thread already initialised in the other apartment model is used as it
/// is; any other failure is kept for the caller to report.
class ComApartment {
 public:
  ComApartment() {
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    owned_ = SUCCEEDED(hr);
    failure_ = FAILED(hr) && hr != RPC_E_CHANGED_MODE ? hr : S_OK;
  }
  ~ComApartment() {
    if (owned_) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  HRESULT Failure() const { return failure_; }

 private:
  bool owned_ = false;
  HRESULT failure_ = S_OK;
};

}  // namespace velloran
