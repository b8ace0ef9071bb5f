// Any bytes as an INI file: the reader gives a settings record of the list
// shape both programs rely on, and gives the same record when read again.

#include <cstddef>
#include <cstdint>

#include "common/modINIDocument.h"
#include "fuzz/FuzzSupport.h"

using namespace velloran;

namespace {
template <typename T>
bool WellShaped(const std::vector<T>& list) {
  // Never empty: index 0 always exists, and a one-entry list has a blank slot.
  return !list.empty();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::ScratchFile file("reader.ini");
  file.Write(std::string_view(reinterpret_cast<const char*>(data), size));
  INIDocument document(SystemProfile(), file.path(), [](std::string_view) {});
  INISettings first, second;
  document.ReadINISettings(first);
  fuzz::Require(WellShaped(first.ServerPairs) && WellShaped(first.PrinterPairs) &&
                    WellShaped(first.MixedPairs) && WellShaped(first.EmailTo),
                "every list has entry 0");
  // The From key sizes a list: one slot means no From entry (a To entry
  // may still sit in it).
  fuzz::Require(first.ServerPairs.size() != 1 || first.ServerPairs[0].FromName.empty(),
                "a one-slot server list has no From entry");
  fuzz::Require(first.MixedPairs.size() != 1 || first.MixedPairs[0].FromServer.empty(),
                "a one-slot mixed list has no From server");
  document.ReadINISettings(second);
  fuzz::Require(first == second, "reading twice gives the same record");
  return 0;
}
