// Any bytes as an INI file: the reader gives a settings record whose lists
// hold only real entries, and gives the same record when read again.

#include <cstddef>
#include <cstdint>

#include "common/modINIDocument.h"
#include "fuzz/FuzzSupport.h"

using namespace velloran;

namespace {
// A list holds one entry per item of the key that sizes it, and a blank item
// is stored as its key's placeholder: no entry has its sizing text empty.
template <typename T, typename Sizing>
bool EveryEntrySized(const std::vector<T>& list, Sizing sizing) {
  for (const T& entry : list)
    if (sizing(entry).empty()) return false;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::ScratchFile file("reader.ini");
  file.Write(std::string_view(reinterpret_cast<const char*>(data), size));
  INIDocument document(SystemProfile(), file.path(), [](std::string_view) {});
  INISettings first, second;
  document.ReadINISettings(first);
  fuzz::Require(EveryEntrySized(first.ServerPairs, [](const NamePair& p) { return p.FromName; }),
                "every server pair has a From name");
  fuzz::Require(EveryEntrySized(first.PrinterPairs, [](const NamePair& p) { return p.FromName; }),
                "every printer pair has a From name");
  fuzz::Require(EveryEntrySized(first.MixedPairs, [](const MixedPair& p) { return p.FromServer; }),
                "every mixed pair has a From server");
  fuzz::Require(EveryEntrySized(first.EmailTo, [](const std::string& a) { return a; }),
                "every address is filled");
  document.ReadINISettings(second);
  fuzz::Require(first == second, "reading twice gives the same record");
  return 0;
}
