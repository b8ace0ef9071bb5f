// The CUPS backend for the engine: libcups (and the TLS library under it)
// is loaded from the module beside the engine when a run first works on a
// queue. On a CUPS client every logon chooses this backend, and most of
// those runs find the marker set and only ask for the computer's name (the
// debug file is named after it), which needs no scheduler.

#include <dlfcn.h>

#include <optional>

#include "platform/Companion.h"
#include "platform/Paths.h"
#include "platform/cups/CupsModule.h"
#include "platform/cups/CupsNetwork.h"

namespace velloran {

namespace {

class ModuleFactory {
 public:
  ModuleFactory(bool rehearse, std::chrono::milliseconds descriptionWait)
      : rehearse_(rehearse), descriptionWait_(descriptionWait) {}

  Result<NetworkObjectFactory*> Loaded() {
    if (!real_ && !failure_) Load();
    if (failure_) return *failure_;
    return real_.get();
  }
  /// The module's factory when a call has loaded it; a run that never
  /// needed the scheduler has nothing to tell it.
  NetworkObjectFactory* IfLoaded() const { return real_.get(); }

 private:
  void Load() {
    auto module = LoadCompanionModule(VELLORAN_CUPS_MODULE, "VelloranCupsBuild", CupsModuleBuild());
    if (!module) return Fail(module.error().Description);
    auto open =
        reinterpret_cast<VelloranOpenCupsNetworkFn>(::dlsym(*module, "VelloranOpenCupsNetwork"));
    if (!open) return Fail(std::string(VELLORAN_CUPS_MODULE) + " has no VelloranOpenCupsNetwork");
    real_.reset(open(rehearse_, descriptionWait_.count()));
    if (!real_) Fail(std::string(VELLORAN_CUPS_MODULE) + " made no network object");
  }

  void Fail(const std::string& why) {
    failure_ = PlatformError{kCannotCreateObject, "The CUPS backend cannot be loaded: " + why};
  }

  bool rehearse_;
  std::chrono::milliseconds descriptionWait_;
  std::unique_ptr<NetworkObjectFactory> real_;
  std::optional<PlatformError> failure_;
};

// Stands for the module's object until a call needs the scheduler; a module
// that cannot be loaded fails that call with the reason.
class OnDemandCupsObject : public NetworkObject {
 public:
  OnDemandCupsObject(std::shared_ptr<ModuleFactory> module, std::string progId)
      : module_(std::move(module)), progId_(std::move(progId)) {}

  Result<std::vector<std::string>> EnumPrinterConnections() override {
    auto real = Real();
    if (!real) return real.error();
    return (*real)->EnumPrinterConnections();
  }
  Status RemovePrinterConnection(std::string_view path, bool force, bool updateProfile) override {
    auto real = Real();
    if (!real) return real.error();
    return (*real)->RemovePrinterConnection(path, force, updateProfile);
  }
  Status AddWindowsPrinterConnection(std::string_view path) override {
    auto real = Real();
    if (!real) return real.error();
    return (*real)->AddWindowsPrinterConnection(path);
  }
  Result<std::string> GetDefaultPrinter() override {
    auto real = Real();
    if (!real) return real.error();
    return (*real)->GetDefaultPrinter();
  }
  Status SetDefaultPrinter(std::string_view path) override {
    auto real = Real();
    if (!real) return real.error();
    return (*real)->SetDefaultPrinter(path);
  }
  PrinterDrivers* Drivers() override {
    auto real = Real();
    return real ? (*real)->Drivers() : nullptr;
  }
  // The backend's answer is the host name; no reason to load it for that.
  Result<std::string> ComputerName() override {
    std::string host = HostName();
    if (host.empty()) return PlatformError{1, "The computer name cannot be read."};
    return host;
  }

 private:
  Result<NetworkObject*> Real() {
    if (real_) return real_.get();
    auto factory = module_->Loaded();
    if (!factory) return factory.error();
    auto made = (*factory)->Create(progId_);
    if (!made) return made.error();
    real_ = std::move(*made);
    return real_.get();
  }

  std::shared_ptr<ModuleFactory> module_;
  std::string progId_;
  std::unique_ptr<NetworkObject> real_;
};

class OnDemandCupsFactory : public NetworkObjectFactory {
 public:
  OnDemandCupsFactory(bool rehearse, std::chrono::milliseconds descriptionWait)
      : module_(std::make_shared<ModuleFactory>(rehearse, descriptionWait)) {}

  Result<std::unique_ptr<NetworkObject>> Create(std::string_view progId) override {
    return std::unique_ptr<NetworkObject>(
        std::make_unique<OnDemandCupsObject>(module_, std::string(progId)));
  }
  void RunEnded(bool succeeded) override {
    if (NetworkObjectFactory* real = module_->IfLoaded()) real->RunEnded(succeeded);
  }

 private:
  std::shared_ptr<ModuleFactory> module_;
};

}  // namespace

Result<std::unique_ptr<NetworkObjectFactory>> MakeCupsNetworkOnDemand(
    bool rehearse, std::chrono::milliseconds descriptionWait) {
  return std::unique_ptr<NetworkObjectFactory>(
      std::make_unique<OnDemandCupsFactory>(rehearse, descriptionWait));
}

}  // namespace velloran
