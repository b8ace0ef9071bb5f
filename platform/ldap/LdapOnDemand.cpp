// The directory for the engine: the OpenLDAP client is loaded from the
// module beside the engine on the first request. Most runs never make one,
// and the client brings SASL, a TLS library and their own start-up work.

#include <dlfcn.h>

#include "platform/Companion.h"
#include "platform/ldap/LdapModule.h"

namespace velloran {

namespace {

class OnDemandDirectory : public DirectoryService {
 public:
  explicit OnDemandDirectory(LdapDirectoryOptions options) : options_(std::move(options)) {}

  Result<std::unique_ptr<DirectoryObject>> GetObject(std::string_view path) override {
    auto real = Loaded();
    if (!real) return real.error();
    return (*real)->GetObject(path);
  }

  Result<std::unique_ptr<DirectoryConnection>> OpenConnection(std::string_view provider) override {
    auto real = Loaded();
    if (!real) return real.error();
    return (*real)->OpenConnection(provider);
  }

 private:
  Result<DirectoryService*> Loaded() {
    if (!real_ && !failure_) Load();
    if (failure_) return *failure_;
    return real_.get();
  }

  void Load() {
    auto module = LoadCompanionModule(VELLORAN_DIRECTORY_MODULE, "VelloranDirectoryBuild",
                                      DirectoryModuleBuild());
    if (!module) return Fail(module.error().Description);
    auto open =
        reinterpret_cast<VelloranOpenDirectoryFn>(::dlsym(*module, "VelloranOpenDirectory"));
    if (!open)
      return Fail(std::string(VELLORAN_DIRECTORY_MODULE) + " has no VelloranOpenDirectory");
    real_.reset(open(&options_));
  }

  void Fail(const std::string& why) {
    failure_ = PlatformError{kCannotCreateObject, "The directory client cannot be loaded: " + why};
  }

  LdapDirectoryOptions options_;
  std::unique_ptr<DirectoryService> real_;
  std::optional<PlatformError> failure_;
};

}  // namespace

std::unique_ptr<DirectoryService> MakeLdapDirectory(LdapDirectoryOptions options) {
  return std::make_unique<OnDemandDirectory>(std::move(options));
}

}  // namespace velloran
