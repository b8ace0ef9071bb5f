// The one escaping every command's output goes through: whatever a client
// wrote or a server answered, no output form carries a control character or
// a byte that is no UTF-8 that its reader would act on or choke on.

#include <gtest/gtest.h>

#include "tests/support/Fakes.h"
#include "tools/OutputText.h"

namespace velloran::output {
namespace {

TEST(OutputText, NoFormLetsAControlThroughAndTextStaysReadable) {
  // Title, colour, the 8-bit CSI, NUL, DEL, stray and cut UTF-8, an overlong
  // NUL, a surrogate, a value past U+10FFFF, NEL, and the format controls.
  const std::string hostile = std::string("\x1B]0;owned\x07\x1B[31m\xC2\x9B", 17) +
                              std::string("a\0b\x7F\xFF\xE2\x82 \xC0\x80", 10) +
                              "\xED\xA0\x80\xF4\x90\x80\x80\xC2\x85\t\r\n";
  struct Form {
    std::string (*Escape)(std::string_view);
    const char* Allowed;  // what the form itself keeps
  };
  for (const Form& form : {Form{TerminalLine, ""}, Form{TerminalText, "\t\r\n"},
                           Form{CsvField, "\t\r\n"}, Form{JsonString, ""}})
    for (size_t from = 0; from < hostile.size(); ++from)
      EXPECT_EQ(test::RawControlIn(form.Escape(hostile.substr(from)), form.Allowed), "")
          << TerminalLine(form.Escape(hostile.substr(from)));

  EXPECT_EQ(TerminalLine("\x1B[31mQ\tR\xFF"), "\\x1B[31mQ\\x09R\\xFF");
  EXPECT_EQ(TerminalLine("\xC2\x9B"), "\\u009B");
  EXPECT_EQ(TerminalText("one\r\ntwo\x07\n"), "one\r\ntwo\\x07\n");
  EXPECT_EQ(JsonString("\x1B\"\\\xFF"), "\"\\u001b\\\"\\\\\\ufffd\"");
  for (const std::string plain : {"Łódź Drucker (2. Stock)", "東京 プリンタ", "Q-7 & [A4]"}) {
    EXPECT_EQ(TerminalLine(plain), plain);
    EXPECT_EQ(JsonString(plain), "\"" + plain + "\"");
  }
  // A spreadsheet sees text, not a formula, also after an escaped control.
  EXPECT_EQ(CsvField("=1+1"), "'=1+1");
  EXPECT_EQ(CsvField("\x1B=1"), "\\x1B=1");
  EXPECT_EQ(CsvField("a,\x1B"), "\"a,\\x1B\"");
}

}  // namespace
}  // namespace velloran::output
