// A write into any file: either it is refused, or the value reads back as
// the profile rules say (blanks and one pair of quotes dropped) and every
// other key of the file reads as before.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"
#include "platform/profile/Profile.h"

using namespace velloran;

namespace {

// What the reader drops around names and values.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1A';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// The file holds text in the code page: what cannot be said there (bytes
// that are no UTF-8, characters the code page lacks) comes back as "?".
std::string Stored(std::string_view text) { return AnsiToUtf8(Utf8ToAnsi(text)); }

std::string AsRead(std::string_view value) {
  const std::string ansi = Utf8ToAnsi(value);
  std::string_view v = Trim(ansi);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return AnsiToUtf8(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::ScratchFile file("writer.ini");
  FuzzedDataProvider in(data, size);
  std::string section = in.ConsumeRandomLengthString(24);
  std::string key = in.ConsumeRandomLengthString(24);
  std::string value = in.ConsumeRandomLengthString(64);
  std::string otherSection = in.ConsumeRandomLengthString(16);
  std::string otherKey = in.ConsumeRandomLengthString(16);
  std::string content = in.ConsumeRemainingBytesAsString();
  file.Write(content);

  ProfileFunctions& profile = SystemProfile();
  const std::string otherBefore = profile.GetString(otherSection, otherKey, 4096, file.path());
  Status written = profile.WriteString(section, key, value, file.path());
  if (!IsSafeProfileWrite(section, key, value)) {
    fuzz::Require(!written.ok(), "an unsafe write is refused");
    return 0;
  }
  if (!written.ok()) return 0;
  const std::string back = profile.GetString(section, key, 65536, file.path());
  if (back != AsRead(value))
    std::fprintf(stderr, "section [%s] key [%s] value [%s] read [%s]\n", section.c_str(),
                 key.c_str(), value.c_str(), back.c_str());
  fuzz::Require(back == AsRead(value), "a written value reads back");
  if (!(otherKey.empty() || otherSection.empty())) {
    auto sameName = [](std::string_view a, std::string_view b) {
      const std::string sa = Stored(a), sb = Stored(b);
      return SameText(Trim(sa), Trim(sb));
    };
    const std::string otherAfter = profile.GetString(otherSection, otherKey, 4096, file.path());
    if (!(sameName(otherSection, section) && sameName(otherKey, key)) && otherAfter != otherBefore)
      std::fprintf(stderr, "wrote [%s] [%s] = [%s]; [%s] [%s] was [%s] is [%s]\n", section.c_str(),
                   key.c_str(), value.c_str(), otherSection.c_str(), otherKey.c_str(),
                   otherBefore.c_str(), otherAfter.c_str());
    fuzz::Require(
        (sameName(otherSection, section) && sameName(otherKey, key)) || otherAfter == otherBefore,
        "a write changes no other key");
  }
  return 0;
}
