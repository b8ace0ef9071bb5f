// Any profile file and any names: a successful add of a new connection adds
// exactly one, a successful remove takes exactly one, a failed call changes
// nothing, and no call makes lines of its own.

#include <fuzzer/FuzzedDataProvider.h>
#include <strings.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "platform/AtomicFile.h"
#include "platform/Backends.h"

using namespace velloran;

namespace {
size_t Count(NetworkObject& net) {
  auto items = net.EnumPrinterConnections();
  fuzz::Require(items.ok(), "a readable profile enumerates");
  return items->size() / 2;
}
size_t Lines(const std::string& path) {
  auto text = ReadWholeFile(path);
  return text ? static_cast<size_t>(std::count(text->begin(), text->end(), '\n')) : 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::ScratchFile file("connections.txt");
  FuzzedDataProvider in(data, size);
  std::string profile = in.ConsumeRandomLengthString(512);
  file.Write(profile);
  auto factory = MakeConnectionProfile(file.path());
  auto created = factory->Create("WScript.Network");
  fuzz::Require(created.ok(), "the object is created");
  NetworkObject& net = **created;
  // A file with lines that are no profile lines is refused as a whole, and
  // left as it was.
  if (!CheckConnectionProfile(file.path()).ok()) {
    fuzz::Require(!net.EnumPrinterConnections().ok(), "a refused profile does not enumerate");
    fuzz::Require(*ReadWholeFile(file.path()) == profile, "a refused profile is not changed");
    return 0;
  }

  for (int step = 0; step < 4 && in.remaining_bytes() > 0; ++step) {
    const bool add = in.ConsumeBool();
    std::string name = in.ConsumeRandomLengthString(40);
    const size_t before = Count(net);
    const size_t linesBefore = Lines(file.path());
    const std::string textBefore = *ReadWholeFile(file.path());
    auto names = net.EnumPrinterConnections();
    const bool had = std::any_of(names->begin(), names->end(), [&](const std::string& n) {
      return n.size() == name.size() && strncasecmp(n.c_str(), name.c_str(), n.size()) == 0;
    });
    Status s =
        add ? net.AddWindowsPrinterConnection(name) : net.RemovePrinterConnection(name, true, true);
    const size_t after = Count(net);
    if (!s.ok()) {
      fuzz::Require(after == before && *ReadWholeFile(file.path()) == textBefore,
                    "a failed call changes nothing");
      continue;
    }
    fuzz::Require(name.find_first_of("\r\n") == std::string::npos,
                  "no accepted name holds a line break");
    if (add) {
      fuzz::Require(after == before + (had ? 0 : 1), "an add adds one connection");
    } else {
      fuzz::Require(after + 1 == before, "a remove takes one connection");
    }
    // A remove may add the share it freed, and take its server offline when
    // the file says it goes down then; an add adds its one line.
    const size_t linesAfter = Lines(file.path());
    const std::string_view marker = "offline-after-remove";
    const size_t offline =
        std::search(profile.begin(), profile.end(), marker.begin(), marker.end(),
                    [](char a, char b) { return (a | 0x20) == b; }) != profile.end()
            ? 1
            : 0;
    fuzz::Require(linesAfter <= linesBefore + 1 + offline +
                                    (profile.empty() || profile.back() == '\n' ? 0 : 1),
                  "a call adds at most one line");
  }
  return 0;
}
