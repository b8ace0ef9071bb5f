// The mail's text and the reply reading, without a socket.

#include <gtest/gtest.h>
#include <stdlib.h>

#include "engine/frmWinsockContainer.h"
#include "engine/modSMTP.h"

namespace velloran {
namespace {

TEST(MessageBody, DotsAreDoubledAndEveryLineBreakIsCRLF) {
  EXPECT_EQ(EncodeMessageBody(""), "");
  EXPECT_EQ(EncodeMessageBody("."), "..");
  EXPECT_EQ(EncodeMessageBody("a\r\n.\r\nb"), "a\r\n..\r\nb");
  EXPECT_EQ(EncodeMessageBody("x.y\n.z\r.w"), "x.y\r\n..z\r\n..w");
  // A bare CR then LF is one line break, LF then CR two.
  EXPECT_EQ(EncodeMessageBody("a\r\nb\n\rc"), "a\r\nb\r\n\r\nc");
  // What would have ended DATA and started a new command stays body text.
  EXPECT_EQ(EncodeMessageBody("end\n.\nQUIT"), "end\r\n..\r\nQUIT");
}

TEST(MessageBody, CharsetNamesWhatIsSent) {
  EXPECT_EQ(BodyCharset("plain text\r\n"), "us-ascii");
  EXPECT_EQ(BodyCharset("M\xC3\xBCller"), "utf-8");
  EXPECT_EQ(BodyCharset("M\xFCller"), "unknown-8bit");
  EXPECT_EQ(BodyCharset("\xED\xA0\x80"), "unknown-8bit");  // a surrogate
}

TEST(MessageText, HeadersThenEncodedBody) {
  INISettings s;
  s.EmailFrom = "velloran@example.com";
  s.EmailTo = {"a@example.com", "", "b@example.com"};
  s.EmailSubject = "Migration";
  LocalTime t{2004, 7, 9, 14, 5, 33, -300};
  EXPECT_EQ(BuildMessageText(s, "\r\nok\r\n.", t, "<id@host>"),
            "From: <velloran@example.com>\r\n"
            "To: a@example.com, b@example.com\r\n"
            "Subject: Migration\r\n"
            "Date: Fri, 09 Jul 2004 14:05:33 -0500\r\n"
            "Message-ID: <id@host>\r\n"
            "X-Mailer: Quellmark v1.0\r\n"
            "Mime-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=us-ascii\r\n"
            "\r\n"
            "\r\nok\r\n..");
  std::string eightBit = BuildMessageText(s,
                                          "Gr\xC3\xBC\xC3\x9F"
                                          "e",
                                          t, "<id@host>");
  EXPECT_NE(eightBit.find("Content-Type: text/plain; charset=utf-8\r\n"
                          "Content-Transfer-Encoding: 8bit\r\n\r\n"),
            std::string::npos);
}

TEST(MessageText, DatesAndIds) {
  EXPECT_EQ(MailDate({2026, 12, 7, 0, 0, 0, 330}), "Mon, 07 Dec 2026 00:00:00 +0530");
  EXPECT_EQ(MailDate({2000, 2, 29, 23, 59, 59, 0}), "Tue, 29 Feb 2000 23:59:59 +0000");
  EXPECT_EQ(BackupFileTimestamp({2004, 7, 9, 14, 5, 33, 0}), "07.09.2004_14.05.33");
  EXPECT_EQ(BackupFileTimestamp({2026, 12, 31, 0, 0, 0, 0}), "12.31.2026_00.00.00");
  LocalTime t{2026, 12, 7, 14, 5, 9, 60};
  std::string a = NewMessageId(t, "pc01"), b = NewMessageId(t, "pc01");
  EXPECT_NE(a, b);
  EXPECT_EQ(a.front(), '<');
  EXPECT_TRUE(a.ends_with("@pc01>")) << a;
}

TEST(Recipients, OnlyNonEmptyEntriesInOrder) {
  INISettings s;
  s.EmailTo = {"", "x@example.com", "", "y@example.com"};
  EXPECT_EQ(RecipientAddresses(s), (std::vector<std::string>{"x@example.com", "y@example.com"}));
  s.EmailTo = {""};
  EXPECT_TRUE(RecipientAddresses(s).empty());
  // "a@x, b@x" is stored with its blank; the wire gets the bare address.
  s.EmailTo = {"a@example.com", " b@example.com\t", "  "};
  EXPECT_EQ(RecipientAddresses(s), (std::vector<std::string>{"a@example.com", "b@example.com"}));
}

TEST(Replies, CodeIsTheLeadingNumberOfTheFirstWord) {
  EXPECT_EQ(ReplyCode("250 ok\r\n"), 250);
  EXPECT_EQ(ReplyCode("250-mail.example.com\r\n250 ok\r\n"), 250);
  EXPECT_EQ(ReplyCode("ok 250\r\n"), 0);
  EXPECT_EQ(ReplyCode(" 250 ok\r\n"), 0);
  EXPECT_EQ(ReplyCode(""), 0);
  EXPECT_EQ(ReplyCode("99999999999999 x"), 999999999);
}

TEST(Replies, CompleteOnlyAfterTheLastLine) {
  EXPECT_FALSE(IsCompleteReply(""));
  EXPECT_FALSE(IsCompleteReply("220 ready"));
  EXPECT_TRUE(IsCompleteReply("220 ready\r\n"));
  EXPECT_FALSE(IsCompleteReply("220-first\r\n"));
  EXPECT_FALSE(IsCompleteReply("220-first\r\n220-second\r\n"));
  EXPECT_TRUE(IsCompleteReply("220-first\r\n220 last\r\n"));
  EXPECT_TRUE(IsCompleteReply("250\r\n"));
}

TEST(Hello, HostNameOrAddressLiteral) {
  EXPECT_EQ(HelloArgument("pc01.example.com", "192.0.2.7"), "pc01.example.com");
  EXPECT_EQ(HelloArgument("", "192.0.2.7"), "[192.0.2.7]");
  EXPECT_EQ(HelloArgument("192.0.2.7", "192.0.2.7"), "[192.0.2.7]");
  EXPECT_EQ(HelloArgument("my pc", "2001:db8::7"), "[IPv6:2001:db8::7]");
}

}  // namespace
}  // namespace velloran
