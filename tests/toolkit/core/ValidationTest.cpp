// The checks of what the administrator typed: the port and address rules,
// text the code page cannot hold, and what a save requires.

#include <gtest/gtest.h>

#include "common/PortNumber.h"
#include "platform/CodePage.h"
#include "toolkit/core/Pages.h"
#include "toolkit/core/Validation.h"

namespace velloran {
namespace {

const CodePage& Windows1252() {
  static auto page = OpenCodePage("windows-1252");
  return **page;
}

// One rule for the field check, the save check and the engine's connect.
TEST(PortRule, AcceptsWhatTheEngineConnectsTo) {
  for (const char* good : {"25", "1", "587", "65535", "00025"}) {
    EXPECT_TRUE(IsPortNumber(good)) << good;
    EXPECT_FALSE(CheckPort(good)) << good;
  }
  for (const char* bad :
       {"2.5", "70000", "65536", "-1", "1e3", "0", " 25", "25 ", "+25", "0x19", "123456"}) {
    EXPECT_FALSE(IsPortNumber(bad)) << bad;
    const auto problem = CheckPort(bad);
    ASSERT_TRUE(problem) << bad;
    EXPECT_EQ(problem->Page, kPageSMTPMail);
    EXPECT_EQ(problem->Control, "txtSMTPServerPort");
  }
  EXPECT_FALSE(CheckPort("")) << "an empty port is the engine's default";
}

TEST(EmailRule, NeedsLocalPartAtAndDomain) {
  for (const char* good : {"a@b", "printadmin@example.com", "first.last+tag@sub.example.org"})
    EXPECT_TRUE(IsEmailAddress(good)) << good;
  for (const char* bad : {"@", "a@", "@b", "ab", "a@@b", "a@b@c", "a b@c", "a@b c", ""})
    EXPECT_FALSE(IsEmailAddress(bad)) << bad;
  EXPECT_FALSE(CheckFromAddress("")) << "the From address may be left empty";
  ASSERT_TRUE(CheckFromAddress("@"));
  EXPECT_EQ(CheckFromAddress("@")->Control, "txtSMTPEmailAddress");
  ASSERT_TRUE(CheckRecipient(""));
  EXPECT_EQ(CheckRecipient("x@")->Control, "txtSendEmailTo");
}

TEST(CodePageRule, NamesEachCharacterTheCodePageLacksOnce) {
  EXPECT_EQ(CharactersOutside("Łódź Łask", Windows1252()), "Łź");
  EXPECT_EQ(CharactersOutside("Müller Straße café", Windows1252()), "");
  EXPECT_EQ(CharactersOutside("Drucker ?", Windows1252()), "") << "a typed ? is text";
  EXPECT_EQ(CharactersOutside("\xE2\x82\xAC 5", Windows1252()), "") << "the euro sign is in 1252";
}

PageFields ManualDocument() {
  PageFields f;
  f.Lists["lstServerPairs"] = {"OLD -> NEW"};
  f.Texts["txtSMTPServerPort"] = "25";
  return f;
}

TEST(SaveRules, EachRuleSendsTheUserToItsControl) {
  struct Case {
    const char* name;
    bool activeDirectory;
    void (*change)(PageFields&);
    int page;
    const char* control;
  };
  const Case cases[] = {
      {"no domain", true, [](PageFields&) {}, kPageActiveDirectory, "cboDomainName"},
      {"no pair", false, [](PageFields& f) { f.Lists.clear(); }, kPageServers, "txtFromServer"},
      {"bad port", false, [](PageFields& f) { f.Texts["txtSMTPServerPort"] = "2.5"; },
       kPageSMTPMail, "txtSMTPServerPort"},
      {"bad from", false, [](PageFields& f) { f.Texts["txtSMTPEmailAddress"] = "@"; },
       kPageSMTPMail, "txtSMTPEmailAddress"},
      {"printer outside code page", false,
       [](PageFields& f) { f.Lists["lstPrinterPairs"] = {"Łódź -> LODZ"}; }, kPagePrinters,
       "lstPrinterPairs"},
      {"message outside code page", false,
       [](PageFields& f) { f.Texts["txtSucessMessage"] = "Gotowe ✓"; }, kPageClientPopup,
       "txtSucessMessage"},
  };
  for (const Case& c : cases) {
    PageFields fields = ManualDocument();
    c.change(fields);
    const auto problem = CheckSave(fields, c.activeDirectory, Windows1252());
    ASSERT_TRUE(problem) << c.name;
    EXPECT_EQ(problem->Page, c.page) << c.name;
    EXPECT_EQ(problem->Control, c.control) << c.name;
  }
  EXPECT_FALSE(CheckSave(ManualDocument(), false, Windows1252()));
  PageFields mixedOnly;
  mixedOnly.Lists["lstMixedPrintersAndServers"] = {"A >> P -> B >> Q"};
  EXPECT_FALSE(CheckSave(mixedOnly, false, Windows1252()));
}

TEST(SaveRules, TheCodePageMessageNamesFieldAndCharacters) {
  PageFields fields = ManualDocument();
  fields.Texts["txtEmailSubject"] = "Drukarki w Łodzi i Łasku";
  const auto problem = CheckSave(fields, false, Windows1252());
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->Message.find("\"Email Subject\""), std::string::npos) << problem->Message;
  EXPECT_NE(problem->Message.find(": Ł."), std::string::npos) << problem->Message;
  EXPECT_NE(problem->Message.find("windows-1252"), std::string::npos) << problem->Message;
}

TEST(TypedPairs, CompleteIncompleteOrNone) {
  PageFields f;
  EXPECT_EQ(PendingPairOf(PairKind::Servers, f), PendingPair::None);
  f.Texts["txtFromServer"] = "OLD";
  EXPECT_EQ(PendingPairOf(PairKind::Servers, f), PendingPair::Incomplete);
  EXPECT_EQ(IncompletePairProblem(PairKind::Servers, f).Control, "txtToServer");
  f.Texts["txtToServer"] = "NEW";
  EXPECT_EQ(PendingPairOf(PairKind::Servers, f), PendingPair::Complete);
  f.Texts["txtMixedToPrinter"] = "Q";
  EXPECT_EQ(PendingPairOf(PairKind::Mixed, f), PendingPair::Incomplete);
  EXPECT_EQ(IncompletePairProblem(PairKind::Mixed, f).Control, "txtMixedFromServer");
  EXPECT_EQ(IncompletePairProblem(PairKind::Mixed, f).Page, kPageMixed);
}

}  // namespace
}  // namespace velloran
