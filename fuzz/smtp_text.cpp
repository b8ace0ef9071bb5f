// Server replies and mail bodies: the reply parser takes any bytes, and no
// outcome text can put a bare CR or LF or an unstuffed dot line on the wire.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "engine/frmWinsockContainer.h"
#include "engine/modSMTP.h"
#include "fuzz/FuzzSupport.h"

using namespace velloran;

namespace {
void RequireWireSafe(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') fuzz::Require(i + 1 < text.size() && text[i + 1] == '\n', "no bare CR");
    if (text[i] == '\n') fuzz::Require(i > 0 && text[i - 1] == '\r', "no bare LF");
  }
  // A line that is a single dot would end the DATA phase.
  fuzz::Require(text != "." && !text.starts_with(".\r\n") &&
                    text.find("\r\n.\r\n") == std::string_view::npos && !text.ends_with("\r\n."),
                "no line is a lone dot");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::string reply = in.ConsumeRandomLengthString(256);
  int code = ReplyCode(reply);
  fuzz::Require(code >= 0 && code <= 999999999, "a reply code is a small number");
  if (IsCompleteReply(reply))
    fuzz::Require(reply.ends_with("\r\n"), "a complete reply ends with CR LF");

  std::string outcome = in.ConsumeRandomLengthString(1024);
  std::string body = EncodeMessageBody(outcome);
  RequireWireSafe(body);
  // Every line that starts with a dot has had one put in front of it.
  for (size_t at = 0; at < body.size();) {
    size_t end = body.find("\r\n", at);
    std::string_view line =
        std::string_view(body).substr(at, end == std::string::npos ? end : end - at);
    if (!line.empty() && line[0] == '.')
      fuzz::Require(line.size() >= 2 && line[1] == '.', "dot lines are stuffed");
    if (end == std::string::npos) break;
    at = end + 2;
  }

  INISettings settings;
  settings.EmailFrom = in.ConsumeRandomLengthString(40);
  settings.EmailSubject = in.ConsumeRandomLengthString(60);
  settings.EmailTo = {in.ConsumeRandomLengthString(40), in.ConsumeRandomLengthString(40)};
  LocalTime date{2026, 12, 7, 14, 5, 9, 60};
  std::string message = BuildMessageText(settings, outcome, date, "<1@fuzz.test>");
  RequireWireSafe(message);
  return 0;
}
