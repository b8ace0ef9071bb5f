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

bool Mentions(const std::optional<Problem>& problem, std::string_view text) {
  return problem && problem->Message.find(text) != std::string::npos;
}

// An entry the comma-joined file cannot keep apart, or one that can never
// match a connection, is refused at save with its list and field named.
TEST(SaveRules, RefusesEntriesTheFileCannotKeepApart) {
  struct Case {
    const char* list;
    const char* line;
    int page;
    const char* field;  // the caption the message names
  };
  const Case cases[] = {
      {"lstServerPairs", "OLD,SRV5 -> NEWSRV5", kPageServers, "From Print Server"},
      {"lstServerPairs", "OLDSRV5 -> NEW,SRV5", kPageServers, "To Print Server"},
      {"lstServerPairs", "\\\\OLDSRV4 -> NEWSRV4", kPageServers, "From Print Server"},
      {"lstServerPairs", "OLDSRV4 -> \\\\NEWSRV4\\", kPageServers, "To Print Server"},
      {"lstPrinterPairs", "HR,2 -> HR-NEW", kPagePrinters, "From Printer"},
      {"lstMixedPrintersAndServers", "S1 >> P1 -> S\\2 >> P2", kPageMixed, "To Print Server"},
      {"lstMixedPrintersAndServers", "S1 >> P,1 -> S2 >> P2", kPageMixed, "From Printer"},
      {"lstToEmailAddresses", "a@x.org,b@x.org", kPageSMTPMail, "Send Email To"},
  };
  for (const Case& c : cases) {
    PageFields fields = ManualDocument();
    fields.Lists[c.list].push_back(c.line);
    const auto problem = CheckSave(fields, false, Windows1252());
    ASSERT_TRUE(problem) << c.line;
    EXPECT_EQ(problem->Page, c.page) << c.line;
    EXPECT_EQ(problem->Control, c.list) << c.line;
    EXPECT_TRUE(Mentions(problem, "\"" + std::string(c.field) + "\"")) << problem->Message;
    EXPECT_TRUE(Mentions(problem, c.line)) << problem->Message;
  }
  // A backslash is only wrong around a server: printer names are left alone
  // by this rule, and the same pair in both directions is fine.
  PageFields fields = ManualDocument();
  fields.Lists["lstPrinterPairs"] = {"HR -> HR-NEW"};
  fields.Lists["lstServerPairs"].push_back("NEW -> OLD");
  EXPECT_FALSE(CheckSave(fields, false, Windows1252()));
}

TEST(SaveRules, RecipientWithACommaIsRefusedAtAdd) {
  const auto problem = CheckRecipient("a@x.org,b@x.org");
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->Control, "txtSendEmailTo");
  EXPECT_TRUE(Mentions(problem, "comma")) << problem->Message;
}

TEST(SaveRules, AnOldNameMappedTwiceNamesBothLines) {
  struct Case {
    const char* list;
    std::vector<std::string> lines;
    bool refused;
  };
  const Case cases[] = {
      {"lstServerPairs", {"OLD -> NEW", "OTHER -> X", "old -> NEW2"}, true},
      {"lstPrinterPairs", {"HR -> HR1", "HR -> HR2"}, true},
      {"lstMixedPrintersAndServers", {"S >> P -> T >> Q", "S >> P -> U >> R"}, true},
      // the same server with another printer is another connection
      {"lstMixedPrintersAndServers", {"S >> P -> T >> Q", "S >> P2 -> T >> Q"}, false},
      {"lstServerPairs", {"OLD -> NEW", "NEW -> NEWER"}, false},
  };
  for (const Case& c : cases) {
    PageFields fields;
    fields.Lists[c.list] = c.lines;
    const auto problem = CheckSave(fields, false, Windows1252());
    ASSERT_EQ(bool(problem), c.refused) << c.lines.front() << (problem ? problem->Message : "");
    if (!problem) continue;
    EXPECT_EQ(problem->Control, c.list);
    EXPECT_TRUE(Mentions(problem, c.lines.front())) << problem->Message;
    EXPECT_TRUE(Mentions(problem, c.lines.back())) << problem->Message;
  }
}

// What the reader would cut is refused whole, so reopening gives what was
// saved: 99 characters of a value, 9,999 of a list key.
TEST(SaveRules, RefusesMoreThanTheReaderKeeps) {
  struct Case {
    const char* name;
    void (*change)(PageFields&);
    const char* control;  // "" when the save goes ahead
  };
  const Case cases[] = {
      {"99 of a value", [](PageFields& f) { f.Texts["txtEmailSubject"] = std::string(99, 'x'); },
       ""},
      {"100 of a value", [](PageFields& f) { f.Texts["txtSucessMessage"] = std::string(100, 'x'); },
       "txtSucessMessage"},
      {"a break is stored as five",
       [](PageFields& f) { f.Texts["txtFailureMessage"] = std::string(91, 'x') + "\nabcd"; },
       "txtFailureMessage"},
      {"a character of the code page is one",
       // 99 in the file, 100 bytes as typed
       [](PageFields& f) { f.Texts["txtFileOutputName"] = std::string(98, 'x') + "\xC3\xA9"; }, ""},
      {"a list key at the limit",
       [](PageFields& f) {
         // 1,000 entries of 9 characters and 999 commas: 9,999.
         f.Lists["lstServerPairs"].assign(1000, "");
         for (int i = 0; i < 1000; ++i)
           f.Lists["lstServerPairs"][size_t(i)] = "S" + std::to_string(10000000 + i) + " -> N";
       },
       ""},
      {"a list key past it",
       [](PageFields& f) {
         f.Lists["lstToEmailAddresses"].clear();
         for (int i = 0; i < 1000; ++i)
           f.Lists["lstToEmailAddresses"].push_back("a" + std::to_string(100000 + i) + "@x.o");
       },
       "lstToEmailAddresses"},
  };
  for (const Case& c : cases) {
    PageFields fields = ManualDocument();
    c.change(fields);
    const auto problem = CheckSave(fields, false, Windows1252());
    if (std::string_view(c.control).empty()) {
      EXPECT_FALSE(problem) << c.name << ": " << problem->Message;
      continue;
    }
    ASSERT_TRUE(problem) << c.name;
    EXPECT_EQ(problem->Control, c.control) << c.name;
  }
  PageFields fields = ManualDocument();
  fields.Texts["txtSucessMessage"] = std::string(133, 'x');
  const auto problem = CheckSave(fields, false, Windows1252());
  EXPECT_TRUE(Mentions(problem, "\"Notify user on success with message\"")) << problem->Message;
  EXPECT_TRUE(Mentions(problem, "133")) << problem->Message;
  EXPECT_TRUE(Mentions(problem, "99")) << problem->Message;
}

TEST(LeavingAPage, OnlyABrokenRuleOfThatPageKeepsTheUser) {
  PageFields fields = ManualDocument();
  fields.Texts["txtSMTPServerPort"] = "abc";
  fields.Texts["txtFileOutputPath"] = "/no/such/folder";
  const auto problem = CheckLeavingPage(kPageSMTPMail, fields);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->Control, "txtSMTPServerPort");
  EXPECT_FALSE(CheckLeavingPage(kPageFileOutput, fields)) << "a missing folder only warns";
  fields.Texts["txtSMTPServerPort"] = "25";
  fields.Texts["txtSMTPEmailAddress"] = "nobody";
  ASSERT_TRUE(CheckLeavingPage(kPageSMTPMail, fields));
  EXPECT_EQ(CheckLeavingPage(kPageSMTPMail, fields)->Control, "txtSMTPEmailAddress");
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
