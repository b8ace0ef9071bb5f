// The directory in a build without OpenLDAP.

#include "platform/ldap/LdapDirectory.h"

namespace velloran {

namespace {

PlatformError NotAvailable() {
  return PlatformError{kCannotCreateObject, "The directory is not available in this build."};
}

class UnavailableDirectory : public DirectoryService {
 public:
  Result<std::unique_ptr<DirectoryObject>> GetObject(std::string_view) override {
    return NotAvailable();
  }
  Result<std::unique_ptr<DirectoryConnection>> OpenConnection(std::string_view) override {
    return NotAvailable();
  }
};

}  // namespace

// The VELLORAN_LDAP_* settings mean nothing without a client to apply them to.
LdapDirectoryOptions LdapOptionsFromEnvironment() { return {}; }

std::unique_ptr<DirectoryService> MakeLdapDirectory(LdapDirectoryOptions) {
  return std::make_unique<UnavailableDirectory>();
}

}  // namespace velloran
