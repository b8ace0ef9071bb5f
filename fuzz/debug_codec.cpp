// The debug file's encoding: the fast encoder equals the three steps done
// one after the other, and decoding gives the text back. A file as the
// engine writes it reads as whole, and cut short at any length it does not.

#include <cstddef>
#include <cstdint>

#include "engine/modDebug.h"
#include "fuzz/FuzzSupport.h"

using namespace velloran;

namespace {
bool IsUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    auto c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    uint32_t u = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
      auto d = static_cast<unsigned char>(s[i + k]);
      if ((d >> 6) != 2) return false;
      u = (u << 6) | (d & 0x3F);
    }
    if ((n == 2 && u < 0x80) || (n == 3 && u < 0x800) ||
        (n == 4 && (u < 0x10000 || u > 0x10FFFF)) || (u >= 0xD800 && u <= 0xDFFF))
      return false;
    i += n;
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  Bytes fast = EncodeDebugText(text);
  Bytes steps = StringToBytes(text, true, false);
  InterleaveBytes(steps);
  AccumulateBytes(steps);
  fuzz::Require(fast == steps, "fast encoder equals the step-by-step one");
  Bytes reused(7, 0xAA);
  EncodeDebugText(text, reused);
  fuzz::Require(reused == fast, "a reused buffer gives the same bytes");

  auto decoded = DecodeDebugBytes(fast);
  if (IsUtf8(text)) {
    fuzz::Require(decoded.ok(), "the encoding of a text decodes");
    fuzz::Require(*decoded == text, "decoding gives the text back");
  }
  // Any bytes at all: decoding fails cleanly or gives a text that encodes
  // back to the same bytes.
  Bytes raw(data, data + size);
  auto any = DecodeDebugBytes(raw);
  if (any.ok()) fuzz::Require(EncodeDebugText(*any) == raw, "what decodes encodes back");

  // Every cut costs a decode of its own, and a decode of instrumented code
  // about 0.1 us a byte: the property takes the first 80 bytes of the input,
  // which keeps the smoke run's inputs within a minute and still lets the
  // end of a cut hold the length line whole or in part. Cuts of whole runs,
  // banners and all, at every length are the unit and e2e tests' part.
  const std::string_view head = text.substr(0, 80);
  const Bytes file = EncodeDebugText(WithLengthLine(head));
  auto whole = DecodeDebugBytes(file);
  if (!whole.ok()) return 0;  // a malformed surrogate the engine never writes
  fuzz::Require(DebugTextCutShort(*whole).empty(), "a file as written reads as whole");
  if (IsUtf8(head))
    fuzz::Require(WithoutLengthLine(*whole) == head,
                  "the readers get the run's text back without the length line");
  // Shrinking one copy spares an allocation per cut; an odd length is
  // refused for its length alone, so the cuts go two bytes at a time.
  Bytes cut = file;
  cut.pop_back();
  fuzz::Require(!DecodeDebugBytes(cut).ok(), "a file cut to an odd length is refused");
  cut.push_back(file.back());
  while (!cut.empty()) {
    cut.resize(cut.size() - 2);
    auto decoded = DecodeDebugBytes(cut);
    fuzz::Require(!decoded.ok() || !DebugTextCutShort(*decoded).empty(),
                  "a file cut short reads as cut short, wherever the cut falls");
  }
  return 0;
}
