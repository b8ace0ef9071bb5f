// The directory client as a module: everything else in it is hidden, so its
// copies of the platform helpers never meet the engine's.

#include "platform/ldap/LdapModule.h"

#define VELLORAN_EXPORT __attribute__((visibility("default")))

extern "C" VELLORAN_EXPORT const char* VelloranDirectoryBuild() {
  static const std::string build = velloran::DirectoryModuleBuild();
  return build.c_str();
}

extern "C" VELLORAN_EXPORT velloran::DirectoryService* VelloranOpenDirectory(
    const velloran::LdapDirectoryOptions* options) {
  return velloran::MakeLdapDirectory(*options).release();
}
