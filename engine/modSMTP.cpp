#include "engine/modSMTP.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "engine/frmWinsockContainer.h"
#include "engine/modDebug.h"
#include "platform/CodePage.h"

namespace velloran {

std::vector<std::string> RecipientAddresses(const INISettings& settings) {
  // The stored list keeps what the administrator typed ("a@x, b@x"); the
  // wire gets each address without the blanks around it, which no mailbox
  // holds and servers refuse inside "<>".
  std::vector<std::string> out;
  for (const auto& entry : settings.EmailTo) {
    const size_t first = entry.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    const size_t last = entry.find_last_not_of(" \t");
    out.push_back(entry.substr(first, last - first + 1));
  }
  return out;
}

std::string EncodeMessageBody(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  bool lineStart = true;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lineStart = true;
      continue;
    }
    if (lineStart && c == '.') out += '.';
    out += c;
    lineStart = false;
  }
  return out;
}

namespace {

std::string TwoDigits(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v % 100);
  return buf;
}

}  // namespace

std::string_view BodyCharset(std::string_view text) {
  bool ascii = true;
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
  if (ascii) return "us-ascii";
  return IsValidUtf8(text) ? "utf-8" : "unknown-8bit";
}

std::string MailDate(const LocalTime& t) {
  using namespace std::chrono;
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  year_month_day ymd{year{t.Year}, month{static_cast<unsigned>(t.Month)},
                     day{static_cast<unsigned>(t.Day)}};
  unsigned wd = ymd.ok() ? weekday{sys_days{ymd}}.c_encoding() : 0;
  int month = (t.Month >= 1 && t.Month <= 12) ? t.Month - 1 : 0;
  int offset = t.UtcOffsetMinutes;
  char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d", kDays[wd], t.Day,
                kMonths[month], t.Year, t.Hour, t.Minute, t.Second, sign, offset / 60, offset % 60);
  return buf;
}

std::string BackupFileTimestamp(const LocalTime& t) {
  char year[16];
  std::snprintf(year, sizeof year, "%04d", t.Year);
  return TwoDigits(t.Month) + "." + TwoDigits(t.Day) + "." + year + "_" + TwoDigits(t.Hour) + "." +
         TwoDigits(t.Minute) + "." + TwoDigits(t.Second);
}

std::string NewMessageId(const LocalTime& t, std::string_view domain) {
  std::random_device rd;
  std::uniform_int_distribution<uint32_t> dist;
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d.%ld.%08x%08x", t.Year, t.Month, t.Day,
                t.Hour, t.Minute, t.Second, static_cast<long>(::getpid()), dist(rd), dist(rd));
  return "<" + std::string(buf) + "@" + std::string(domain.empty() ? "velloran.invalid" : domain) +
         ">";
}

std::string BuildMessageText(const INISettings& settings, std::string_view outcomeText,
                             const LocalTime& date, std::string_view messageId) {
  std::string to;
  for (const auto& address : RecipientAddresses(settings)) {
    if (!to.empty()) to += ", ";
    to += address;
  }
  std::string_view charset = BodyCharset(outcomeText);
  // Date and Message-ID are required of every message, and the content type
  // names the charset actually sent: mail without them is often filed as spam
  // or shown garbled, and the report must reach the help desk intact.
  std::string text;
  text += "From: <" + settings.EmailFrom + ">\r\n";
  text += "To: " + to + "\r\n";
  text += "Subject: " + settings.EmailSubject + "\r\n";
  text += "Date: " + MailDate(date) + "\r\n";
  text += "Message-ID: " + std::string(messageId) + "\r\n";
  text += "X-Mailer: Quellmark v1.0\r\n";
  text += "Mime-Version: 1.0\r\n";
  text += "Content-Type: text/plain; charset=" + std::string(charset) + "\r\n";
  if (charset != "us-ascii") text += "Content-Transfer-Encoding: 8bit\r\n";
  text += "\r\n";
  text += EncodeMessageBody(outcomeText);
  return text;
}

void SendSMTPNotification(Run& run) {
  const INISettings& s = run.Settings;
  WriteToDebugLog(run, ">> Sending nofication via STMP, server (port): " + s.SMTPServerNameOrIP +
                           "(" + s.ServerPort + ")");
  frmWinsockContainer form(run, run.SmtpTick);
  // A host that cannot be resolved or a port that is no number fails before
  // any event; the outcome still goes to the back-up file.
  if (Status connected = form.wnsMain.Connect(s.SMTPServerNameOrIP, s.ServerPort); !connected.ok())
    form.ConnectFailed(connected.error());
  while (form.Loaded()) {
    // Without a pending operation or a running timer no event can come.
    if (!form.WaitForEvents()) form.Unload();
  }
}

}  // namespace velloran
