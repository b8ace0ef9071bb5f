// Directory paths and query texts from the INI file: the parsers take any
// text, and a parsed path's server part reads back through CanonicalServer.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "platform/Directory.h"

using namespace velloran;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto parts = ParseAdsPath(text);
  if (parts.ok()) {
    fuzz::Require(parts->Port >= 0 && parts->Port <= 65535, "a port is a port number");
    if (!parts->Host.empty()) {
      std::string server = CanonicalServer(parts->Host, parts->Port);
      std::string dn;  // "/" escaped as the path form wants it
      for (char c : parts->DN) dn += c == '/' ? std::string("\\/") : std::string(1, c);
      auto again = ParseAdsPath("LDAP://" + server + (dn.empty() ? "" : "/" + dn));
      fuzz::Require(again.ok(), "a canonical path parses");
      fuzz::Require(again->Host == parts->Host && again->DN == parts->DN,
                    "a canonical path keeps host and DN");
      fuzz::Require(again->Port == parts->Port || (again->Port == 0 && parts->Port == 389) ||
                        (again->Port == 389 && parts->Port == 0),
                    "a canonical path keeps the port");
    }
  } else {
    fuzz::Require(parts.error().Number == kBadPathname, "a bad path fails as a bad path name");
  }
  auto command = ParseDirectoryCommand(text);
  if (!command.ok())
    fuzz::Require(command.error().Number == kErrorsInCommand, "a bad command fails as such");
  return 0;
}
