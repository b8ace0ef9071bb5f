#include <gtest/gtest.h>

#include "platform/CodePage.h"

namespace velloran {
namespace {

std::unique_ptr<CodePage> Open(std::string_view name) {
  auto cp = OpenCodePage(name);
  EXPECT_TRUE(cp.ok()) << name;
  return cp.ok() ? std::move(*cp) : nullptr;
}

TEST(CodePageTest, Windows1252ReadsEveryByteAsWindowsDoes) {
  auto cp = Open("windows-1252");
  ASSERT_TRUE(cp);
  EXPECT_EQ(cp->Name(), "windows-1252");
  EXPECT_TRUE(cp->SingleByte());
  EXPECT_EQ(cp->ToUtf8("Gr\xFC\xDF"
                       "e \x80"),
            "Grüße €");
  EXPECT_EQ(cp->FromUtf8("Grüße €"),
            "Gr\xFC\xDF"
            "e \x80");
  // The bytes the standard leaves open read as C1 controls and go back.
  EXPECT_EQ(cp->ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
  EXPECT_EQ(cp->FromUtf8(cp->ToUtf8("\x81\x9D")), "\x81\x9D");
  // What the code page lacks becomes "?", one per character.
  EXPECT_EQ(cp->FromUtf8("Ωx日"), "?x?");
  // Malformed UTF-8 is one "?" per bad byte, never dropped.
  EXPECT_EQ(cp->FromUtf8("a\xFF"
                         "b"),
            "a?b");
}

TEST(CodePageTest, NamesInTheirUsualForms) {
  for (auto name : {"1252", "CP1252", "Windows-1252"}) {
    auto cp = Open(name);
    ASSERT_TRUE(cp);
    EXPECT_EQ(cp->Name(), "windows-1252");
  }
  auto cyrillic = Open("cp1251");
  ASSERT_TRUE(cyrillic);
  EXPECT_EQ(cyrillic->Name(), "windows-1251");
  EXPECT_TRUE(cyrillic->SingleByte());
  EXPECT_EQ(cyrillic->ToUtf8("\xC1\xF3\xF5"), "Бух");
  EXPECT_EQ(cyrillic->FromUtf8("Бух"), "\xC1\xF3\xF5");

  auto central = Open("windows-1250");
  ASSERT_TRUE(central);
  EXPECT_EQ(central->ToUtf8("\x8A\xE8"), "Šč");

  EXPECT_FALSE(OpenCodePage("no-such-charset").ok());
  EXPECT_FALSE(OpenCodePage("").ok());
}

TEST(CodePageTest, MultiByteCodePagesKeepCharactersWhole) {
  auto utf8 = Open("UTF-8");
  ASSERT_TRUE(utf8);
  EXPECT_FALSE(utf8->SingleByte());
  EXPECT_EQ(utf8->ToUtf8("Grüße"), "Grüße");
  // A sequence cut at the end reads as one replacement character.
  EXPECT_EQ(utf8->ToUtf8("a\xC3"), "a\uFFFD");

  auto sjis = Open("932");
  ASSERT_TRUE(sjis);
  EXPECT_FALSE(sjis->SingleByte());
  EXPECT_EQ(sjis->ToUtf8("\x93\xFA\x96\x7B"), "日本");
  EXPECT_EQ(sjis->FromUtf8("日本Ω€"), "\x93\xFA\x96\x7B\x83\xB6?");
}

TEST(CodePageTest, Utf16RoundTripsAndRepairsSurrogates) {
  EXPECT_EQ(Utf8ToUtf16("aé€😀"), u"aé€😀");
  EXPECT_EQ(Utf16ToUtf8(u"aé€😀"), "aé€😀");
  const char16_t lone[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(Utf16ToUtf8(lone), "a\uFFFDb");
  EXPECT_TRUE(IsValidUtf8("aé\uFFFD"));
  EXPECT_FALSE(IsValidUtf8("a\xE9"));
}

TEST(CodePageTest, BestFitTakesTheNearestCharacterTheCodePageHas) {
  auto western = Open("windows-1252");
  auto central = Open("windows-1250");
  auto cyrillic = Open("windows-1251");
  ASSERT_TRUE(western && central && cyrillic);
  EXPECT_EQ(BestFitFromUtf8(*western, "Łódź Đurđevac ŦĦ"),
            "L\xF3"
            "dz \xD0urdevac TH");
  EXPECT_EQ(BestFitFromUtf8(*central, "Łódź"),
            "\xA3\xF3"
            "d\x9F");
  EXPECT_EQ(BestFitFromUtf8(*cyrillic, "Łódź Ａ１ Đ"), "Lodz A1 D");
  // Windows has no near character for the Latin Extended Additional block.
  EXPECT_EQ(BestFitFromUtf8(*western, "\u1E02"), "?");
  // No near character: "?" as before; a "?" of the text stays one.
  EXPECT_EQ(BestFitFromUtf8(*western, "a?\u2603ß"), "a??\xDF");
}

TEST(CodePageTest, CaseFoldingCoversTheLettersOfTheCodePages) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"BÜRO", "Büro", true},
      {"ŠKODA-ŽELEZNÁ", "škoda-železná", true},
      {"ΑΘΗΝΑ", "αθηνα", true},
      {"БУХГАЛТЕРИЯ", "бухгалтерия", true},
      {"ŸŒ", "ÿœ", true},
      // Both ends of the Latin-1 capitals, and the sign that sits between them.
      {"ÀÞ", "àþ", true},
      {"Büro", "Buro", false},
      {"ß", "ss", false},
      {"×", "÷", false},  // not letters, no pair
      {"abc", "ab", false},
      // ASCII folds letters only: these pairs differ in the same bit as a
      // letter's two cases.
      {"OldSrv-7_A", "oLDsRV-7_a", true},
      {"@[\\]^", "`{|}~", false},
      {"1", "\x11", false},
      {"OLDSRV12", "oldsrv13", false},
      {"OLDSRV12", "OLDSRV1", false},
      // Case partners of different lengths in UTF-8, and raw bytes, at the end.
      {"KASSE-\u0130", "kasse-i", true},
      {"kasse-i", "KASSE-\u0130", true},
      {"A\xC3", "a\xC3", true},
      {"A\xC3", "a\xC4", false},
      // Bytes that are not UTF-8 only match themselves.
      {"\xFC", "\xFC", true},
      {"\xDC", "\xFC", false},
  };
  for (const Case& c : cases) EXPECT_EQ(SameText(c.a, c.b), c.same) << c.a << " ~ " << c.b;
  EXPECT_EQ(FoldCase("ÀÖØÞ"), "àöøþ");
  EXPECT_EQ(FoldCase("BÜRO-\xFF"), "büro-\xFF");

  auto cp = Open("windows-1252");
  ASSERT_TRUE(cp);
  EXPECT_TRUE(SameAnsiText(*cp, "B\xDCRO", "b\xFCro"));
  EXPECT_FALSE(SameAnsiText(*cp, "B\xDCRO", "BURO"));
}

}  // namespace
}  // namespace velloran
