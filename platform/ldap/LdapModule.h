#pragma once
// The entry of the directory client built as a loadable module. The engine
// loads it on the first directory request, so that a run without one maps
// none of the LDAP, SASL and TLS libraries.

#include <string>

#include "platform/ldap/LdapDirectory.h"

/// The module's file name beside the engine.
#define VELLORAN_DIRECTORY_MODULE "velloran-directory.so"

extern "C" {
/// "VelloranDirectoryBuild": what the module was built as. C++ objects cross
/// this boundary, so only a module of the same build may be used.
using VelloranDirectoryBuildFn = const char* (*)();
/// "VelloranOpenDirectory": a new directory over OpenLDAP; the caller owns it.
using VelloranOpenDirectoryFn =
    velloran::DirectoryService* (*)(const velloran::LdapDirectoryOptions*);
}

namespace velloran {
/// The build text the module and its loader must agree on.
inline std::string DirectoryModuleBuild() {
  return VELLORAN_VERSION "/" + std::to_string(sizeof(LdapDirectoryOptions)) + "/" +
         std::to_string(sizeof(std::string));
}
}  // namespace velloran
