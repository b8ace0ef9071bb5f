#pragma once
// A profile backend that notes every call, for the order and buffer sizes
// of the reader and the order of the writer's keys.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile/Profile.h"

namespace velloran::test {

class RecordingProfile : public ProfileFunctions {
 public:
  std::string GetString(std::string_view section, std::string_view key, std::size_t bufferSize,
                        const std::string& /*path*/) const override {
    Reads.push_back(std::string(section) + "|" + std::string(key) + "|" +
                    std::to_string(bufferSize));
    auto it = Values.find(std::string(section) + "|" + std::string(key));
    if (it == Values.end()) return {};
    return it->second.substr(0, bufferSize == 0 ? 0 : bufferSize - 1);
  }

  Status WriteString(std::string_view section, std::string_view key, std::string_view value,
                     const std::string& /*path*/) override {
    Writes.push_back(std::string(section) + "|" + std::string(key) + "=" + std::string(value));
    if (FailFirstWrites > 0) {
      --FailFirstWrites;
      return PlatformError{static_cast<int32_t>(100 + Writes.size()), "refused"};
    }
    return Status::Ok();
  }

  /// "SECTION|Key" -> value as the profile call would return it.
  std::map<std::string, std::string> Values;
  mutable std::vector<std::string> Reads;
  std::vector<std::string> Writes;
  int FailFirstWrites = 0;
};

}  // namespace velloran::test
