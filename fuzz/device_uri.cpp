// Device URIs of print queues and connection paths: a network device maps to
// a connection path and its URI reads back as the same target; a connection
// path that splits maps to a target whose path is the one given.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "platform/cups/DeviceUri.h"

using namespace velloran;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::string uri = in.ConsumeRandomLengthString(200);
  std::string path = in.ConsumeRemainingBytesAsString();

  if (auto target = ParseNetworkDevice(uri)) {
    const std::string connection = ConnectionPathOf(*target);
    fuzz::Require(connection.starts_with("\\\\"), "a network device has a connection path");
    auto again = ParseNetworkDevice(DeviceUriOf(*target));
    fuzz::Require(again.has_value(), "the URI of a target parses");
    fuzz::Require(*again == *target, "the URI of a target reads back as that target");
  }

  if (auto parts = SplitConnectionPath(path)) {
    fuzz::Require(!parts->first.empty() && !parts->second.empty(), "a split path has both parts");
    auto target = TargetForConnection(path, nullptr);
    fuzz::Require(target.has_value(), "a path that splits has a target");
    fuzz::Require(ConnectionPathOf(*target) == path, "the target's path is the path given");
    auto parsed = ParseNetworkDevice(DeviceUriOf(*target));
    fuzz::Require(parsed.has_value() && *parsed == *target, "the new queue's URI reads back");
  }
  return 0;
}
