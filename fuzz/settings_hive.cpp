// Any hive file and any key path, name and value: what was written reads
// back, and the other values of the hive stay as they were.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "platform/Backends.h"

using namespace velloran;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::ScratchFile user("user.hive");
  static fuzz::ScratchFile machine("machine.hive");
  FuzzedDataProvider in(data, size);
  std::string key = in.ConsumeRandomLengthString(40);
  std::string name = in.ConsumeRandomLengthString(20);
  std::string value = in.ConsumeRandomLengthString(40);
  std::string otherKey = in.ConsumeRandomLengthString(20);
  std::string otherName = in.ConsumeRandomLengthString(20);
  user.Write(in.ConsumeRemainingBytesAsString());
  auto store = MakeFileSettingsStore(user.path(), machine.path());

  auto otherBefore = store->ReadValue(Hive::CurrentUser, otherKey, otherName);
  Status written = store->WriteValue(Hive::CurrentUser, key, name, value);
  fuzz::Require(written.ok(), "a writable hive takes any value");
  auto back = store->ReadValue(Hive::CurrentUser, key, name);
  fuzz::Require(back.ok() && back->has_value(), "a written value is found");
  fuzz::Require(**back == value, "a written value reads back unchanged");

  auto fold = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
  };
  if (otherBefore.ok() && (fold(otherKey) != fold(key) || fold(otherName) != fold(name))) {
    auto otherAfter = store->ReadValue(Hive::CurrentUser, otherKey, otherName);
    fuzz::Require(otherAfter.ok() && *otherAfter == *otherBefore, "a write changes no other value");
  }
  return 0;
}
