#include <dlfcn.h>
#include <unistd.h>

#include "platform/Companion.h"
#include "platform/Paths.h"

namespace velloran {

std::string CompanionFile(std::string_view name) {
  const std::string folder = ExecutableFolder();
  std::string beside = JoinPath(folder, name);
  if (::access(beside.c_str(), F_OK) == 0) return beside;
  std::string installed = JoinPath(JoinPath(JoinPath(folder, ".."), "lib/velloran"), name);
  if (::access(installed.c_str(), F_OK) == 0) return installed;
  return beside;
}

Result<void*> LoadCompanionModule(std::string_view name, const char* buildSymbol,
                                  const std::string& build) {
  const std::string path = CompanionFile(name);
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return PlatformError{kCannotCreateObject, ::dlerror()};
  using BuildFn = const char* (*)();
  auto theirs = reinterpret_cast<BuildFn>(::dlsym(module, buildSymbol));
  if (!theirs)
    return PlatformError{kCannotCreateObject,
                         path + " has no " + buildSymbol + ": not one of our modules"};
  if (theirs() != build)
    return PlatformError{kCannotCreateObject, path + " belongs to another build (" + theirs() +
                                                  ", this program is " + build + ")"};
  return module;
}

}  // namespace velloran
