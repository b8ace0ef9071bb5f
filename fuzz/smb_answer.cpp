// The SMB helper's reply about one server: any share list goes through
// whole (names that start with blanks or digits included), and a reply is
// accepted only in its one spelling, so no byte of it is dropped or read
// twice.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "check/smb/SmbAnswer.h"
#include "fuzz/FuzzSupport.h"

using namespace velloran;
using namespace velloran::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    // Whatever a helper (or a server steering it) writes.
    const std::string text = in.ConsumeRemainingBytesAsString();
    const auto reply = ParseSmbReply(text);
    if (!reply) return 0;
    fuzz::Require(SmbReplyText(*reply) == text, "an accepted reply is written back byte for byte");
    fuzz::Require(reply->Error >= 0, "a failure carries a positive number");
    fuzz::Require(reply->Error == 0 || reply->Shares.empty(), "a failure lists no share");
    return 0;
  }
  SmbReply reply;
  if (in.ConsumeIntegralInRange(0, 7) == 0) {
    reply.Error = in.ConsumeIntegralInRange(1, 1 << 20);
  } else {
    while (in.remaining_bytes() > 0) {
      SmbEntry e;
      e.Type = in.ConsumeIntegral<unsigned>();
      e.Name = in.ConsumeRandomLengthString(64);
      reply.Shares.push_back(std::move(e));
    }
  }
  const auto back = ParseSmbReply(SmbReplyText(reply));
  fuzz::Require(back.has_value(), "a written reply is read");
  fuzz::Require(*back == reply, "every share comes back with its own name and type");
  // One byte more or less at the end is no reply of the same servers.
  const std::string text = SmbReplyText(reply);
  fuzz::Require(!ParseSmbReply(text.substr(0, text.size() - 1)), "a reply cut short is refused");
  fuzz::Require(!ParseSmbReply(text + "x"), "a stray byte after the last share is refused");
  return 0;
}
