// The record as the pages show it, and the pair pages' editor.

#include <gtest/gtest.h>

#include "FakeView.h"
#include "tests/unit/common/ExampleDocument.h"
#include "toolkit/core/Fields.h"
#include "toolkit/core/PairEditor.h"

namespace velloran {
namespace {

using test::EveryValueSet;

TEST(Fields, EveryValueOfTheRecordReachesAControlAndComesBack) {
  const INISettings record = EveryValueSet();
  INISettings back;
  ResetINISettings(back);
  back.UseManualDefinitions = true;
  RecordOfFields(FieldsOfRecord(record), back);
  EXPECT_EQ(back, record);

  // Each value changed alone comes back changed, so no control is a copy
  // of another.
  const PageFields fields = FieldsOfRecord(record);
  for (const auto& [name, on] : fields.Checks) {
    PageFields flipped = fields;
    flipped.Checks[name] = !on;
    INISettings changed = record;
    RecordOfFields(flipped, changed);
    if (name.starts_with("optMDACVersion")) continue;  // options are exclusive
    EXPECT_NE(changed, record) << name;
  }
  for (const auto& [name, text] : fields.Texts) {
    PageFields edited = fields;
    edited.Texts[name] = text + "x";
    INISettings changed = record;
    RecordOfFields(edited, changed);
    EXPECT_NE(changed, record) << name;
  }
}

TEST(Fields, TheShownFormsOfListsAndMessages) {
  const PageFields f = FieldsOfRecord(EveryValueSet());
  EXPECT_EQ(f.Lists.at("lstServerPairs"),
            (std::vector<std::string>{"OLDSRV1 -> NEWSRV1", "OLDSRV2 -> NEWSRV2"}));
  EXPECT_EQ(f.Lists.at("lstMixedPrintersAndServers"),
            (std::vector<std::string>{"OLDSRV >> HP4 -> NEWSRV >> HP4-NEW"}));
  EXPECT_EQ(f.Texts.at("txtFailureMessage"), "Call\nthe helpdesk.");
  EXPECT_TRUE(f.Checks.at("optMDACVersion(1)"));

  EXPECT_EQ(MessageToRecord("a\r\nb\nc\rd"), "a^CRLFb^CRLFc^CRLFd");
  EXPECT_EQ(MessageFromRecord("^CRLF^CRLFx^CRLF"), "\n\nx\n");
  EXPECT_EQ(SplitPairDisplay("A >> B", false), (std::vector<std::string>{"A >> B", ""}));
  EXPECT_EQ(SplitPairDisplay("A -> B", true), (std::vector<std::string>{"A", "", "B", ""}));

  // An MDAC number no option stands for selects none; it saves as 2.8.
  INISettings odd = EveryValueSet();
  odd.MDACOption = 7;
  PageFields none = FieldsOfRecord(odd);
  for (int i = 0; i < 3; ++i)
    EXPECT_FALSE(none.Checks.at("optMDACVersion(" + std::to_string(i) + ")"));
  RecordOfFields(none, odd);
  EXPECT_EQ(odd.MDACOption, 2);
}

TEST(PairEditor, SaveAddsReplacesAndRefusesDuplicatesAndGaps) {
  test::FakeView view;
  PairEditorState s = EmptyPairEditor(PairKind::Servers);
  s.Fields = {"OLD1", "NEW1"};
  EXPECT_TRUE(PairSave(PairKind::Servers, s, view));
  s.Fields = {"OLD2", "NEW2"};
  EXPECT_TRUE(PairSave(PairKind::Servers, s, view)) << "Save after Save replaces the chosen line";
  EXPECT_EQ(s.Lines, (std::vector<std::string>{"OLD2 -> NEW2"}));

  PairNew(s);
  EXPECT_EQ(s.Fields, (std::vector<std::string>{"", ""}));
  s.Fields = {"OLD2", "NEW2"};
  EXPECT_FALSE(PairSave(PairKind::Servers, s, view));
  EXPECT_EQ(s.Lines.size(), 1u);
  ASSERT_EQ(view.Messages().size(), 1u);
  EXPECT_EQ(view.Messages()[0], "Save Error|This Print Server pair is already in the list.");

  s.Fields = {"OLD3", ""};
  EXPECT_FALSE(PairSave(PairKind::Servers, s, view));
  EXPECT_EQ(s.Lines.size(), 1u);

  // A chosen line saved unchanged is no change and no duplicate.
  PairChoose(PairKind::Servers, s, 0);
  view.Log.clear();
  EXPECT_FALSE(PairSave(PairKind::Servers, s, view));
  EXPECT_TRUE(view.Log.empty());
}

// The page refuses what the save would refuse, before it reaches the list.
TEST(PairEditor, SaveRefusesNamesTheFileCannotKeep) {
  struct Case {
    PairKind kind;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {PairKind::Servers, {"OLD,SRV5", "NEWSRV5"}},
      {PairKind::Servers, {"\\\\OLDSRV4", "NEWSRV4"}},
      {PairKind::Printers, {"HR", "HR,NEW"}},
      {PairKind::Mixed, {"S1", "P1", "S2\\", "P2"}},
  };
  for (const Case& c : cases) {
    test::FakeView view;
    PairEditorState s = EmptyPairEditor(c.kind);
    s.Fields = c.fields;
    EXPECT_FALSE(PairSave(c.kind, s, view)) << c.fields[0];
    EXPECT_TRUE(s.Lines.empty()) << c.fields[0];
    ASSERT_EQ(view.Messages().size(), 1u) << c.fields[0];
    EXPECT_EQ(view.Messages()[0].rfind("Save Error|", 0), 0u) << view.Messages()[0];
  }
}

TEST(PairEditor, DeleteAsksAndOnlyThenRemoves) {
  test::FakeView view;
  PairEditorState s = EmptyPairEditor(PairKind::Mixed);
  s.Lines = {"A >> P -> B >> Q", "C >> R -> D >> S"};
  PairChoose(PairKind::Mixed, s, 1);
  EXPECT_EQ(s.Fields, (std::vector<std::string>{"C", "R", "D", "S"}));

  view.Answers = {MessageAnswer::No};
  EXPECT_FALSE(PairDelete(PairKind::Mixed, s, view));
  EXPECT_EQ(s.Lines.size(), 2u);
  view.Answers = {MessageAnswer::Yes};
  EXPECT_TRUE(PairDelete(PairKind::Mixed, s, view));
  EXPECT_EQ(s.Lines, (std::vector<std::string>{"A >> P -> B >> Q"}));
  EXPECT_EQ(s.Fields, (std::vector<std::string>{"", "", "", ""}));

  // The server page counts even a refused delete as a change.
  PairEditorState servers = EmptyPairEditor(PairKind::Servers);
  servers.Lines = {"A -> B"};
  PairChoose(PairKind::Servers, servers, 0);
  view.Answers = {MessageAnswer::No};
  EXPECT_TRUE(PairDelete(PairKind::Servers, servers, view));
}

}  // namespace
}  // namespace velloran
