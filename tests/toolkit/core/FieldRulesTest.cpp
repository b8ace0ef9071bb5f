// How the pages' fields act on each other and on the user: the controls a
// check box switches, the folder warnings and the question before a
// recipient goes.

#include <gtest/gtest.h>

#include <set>

#include "FakeView.h"
#include "toolkit/core/FieldRules.h"
#include "toolkit/core/Pages.h"

namespace velloran {
namespace {

PageFields WithChecks(std::initializer_list<std::pair<const char*, bool>> checks) {
  PageFields fields;
  for (auto [name, on] : checks) fields.Checks[name] = on;
  return fields;
}

TEST(DependentControls, EachBoxSwitchesItsOwnControlsOnly) {
  struct Case {
    const char* Box;
    std::vector<std::string> Follows;  // a sample, buttons included
  };
  const Case cases[] = {
      {"chkUseSMTP",
       {"txtSMTPServerPort", "cmdAddSendEmail", "cmdRemoveSendEmail", "lstToEmailAddresses",
        "txtSendEmailTo"}},
      {"chkUseFileOutput", {"txtFileOutputPath", "cmdBrowseFileOutput", "chkIncludeFinalStatus"}},
      {"chkUseNotifyUser", {"txtSucessMessage"}},
      {"chkNotifyMessageOnFailure", {"txtFailureMessage"}},
      {"chkIncludeMDAC", {"optMDACVersion(0)", "optMDACVersion(2)"}},
  };
  for (const Case& c : cases) {
    const auto on = EnabledControls(WithChecks({{c.Box, true}}));
    const auto off = EnabledControls(WithChecks({{c.Box, false}}));
    for (const std::string& control : c.Follows) {
      ASSERT_TRUE(on.count(control)) << c.Box << " " << control;
      EXPECT_TRUE(on.at(control)) << c.Box << " " << control;
      EXPECT_FALSE(off.at(control)) << c.Box << " " << control;
    }
    // Only this box is on: what another box switches stays off.
    const char* other =
        c.Box == std::string("chkUseSMTP") ? "txtSucessMessage" : "txtSMTPServerName";
    EXPECT_FALSE(on.at(other)) << c.Box;
  }
  // Fields no box switches are never touched.
  const auto all = EnabledControls(WithChecks({}));
  for (const char* free : {"txtNetworkSharePath", "chkAlwaysRun", "cboDomainName", "chkUseSMTP"})
    EXPECT_FALSE(all.count(free)) << free;
}

// A misspelt name would leave a control switched on for good: every name is
// a field the pages bind, or one of the buttons and the recipient box.
TEST(DependentControls, EveryNameIsAControlOfThePages) {
  const PageFields fields = FieldsOfRecord(INISettings{});
  const std::set<std::string> unbound = {"cmdAddSendEmail", "cmdRemoveSendEmail",
                                         "cmdBrowseFileOutput", "txtSendEmailTo"};
  for (const DependentControls& d : DependentControlTable()) {
    EXPECT_TRUE(fields.Checks.count(d.Box)) << d.Box;
    for (std::string_view control : d.Controls) {
      const std::string name(control);
      EXPECT_TRUE(fields.Texts.count(name) || fields.Checks.count(name) ||
                  fields.Lists.count(name) || unbound.count(name))
          << name;
    }
  }
}

TEST(FolderFields, TheCheckIsDueOnlyWhereTheFolderMatters) {
  struct Case {
    const char* Control;
    const char* Text;
    bool FileOutputOn;
    int Page;
    bool Due;
  };
  const Case cases[] = {
      {"txtNetworkSharePath", "\\\\fs1\\deploy", false, kPageDeployment, true},
      {"txtNetworkSharePath", "\\\\fs1\\deploy", false, kPageMDAC, false},
      {"txtNetworkSharePath", "", false, kPageDeployment, false},
      {"txtFileOutputPath", "/srv/out", true, kPageFileOutput, true},
      {"txtFileOutputPath", "/srv/out", true, kPageGeneral, true},
      {"txtFileOutputPath", "/srv/out", false, kPageFileOutput, false},
      {"txtFileOutputPath", "", true, kPageFileOutput, false},
      {"txtSMTPServerName", "mail", true, kPageSMTPMail, false},
  };
  for (const Case& c : cases) {
    PageFields fields = WithChecks({{"chkUseFileOutput", c.FileOutputOn}});
    fields.Texts[c.Control] = c.Text;
    EXPECT_EQ(FolderCheckDue(c.Control, fields, c.Page), c.Due)
        << c.Control << " '" << c.Text << "' page " << c.Page;
  }
}

TEST(FolderFields, TheWarningNamesTheFieldsPurpose) {
  const Problem share = FolderNotFound("txtNetworkSharePath");
  const Problem output = FolderNotFound("txtFileOutputPath");
  for (const Problem& p : {share, output}) {
    EXPECT_EQ(p.Title, "Folder not found.");
    EXPECT_EQ(p.Icon, MessageIcon::Exclamation);
  }
  EXPECT_NE(share.Message.find("deploy"), std::string::npos) << share.Message;
  EXPECT_NE(output.Message.find("output"), std::string::npos) << output.Message;
  EXPECT_EQ(share.Page, kPageDeployment);
  EXPECT_EQ(output.Page, kPageFileOutput);
  EXPECT_EQ(output.Control, "txtFileOutputPath");
}

TEST(FolderFields, ATrailingSeparatorIsDropped) {
  const std::pair<const char*, const char*> cases[] = {
      {"\\\\fs1\\deploy\\", "\\\\fs1\\deploy"},
      {"/srv/out/", "/srv/out"},
      {"/srv/out", "/srv/out"},
      {"/", "/"},
      {"", ""},
      {"C:\\", "C:"},
  };
  for (auto [typed, kept] : cases) EXPECT_EQ(WithoutTrailingSeparator(typed), kept) << typed;
}

TEST(Recipients, RemoveAsksAndKeepsTheListWhenTheAnswerIsNo) {
  struct Case {
    int Row;
    std::optional<MessageAnswer> Answer;  // none: no question expected
    std::vector<std::string> Left;
  };
  const std::vector<std::string> list = {"a@x.org", "b@x.org", "c@x.org"};
  const Case cases[] = {
      {1, MessageAnswer::Yes, {"a@x.org", "c@x.org"}},
      {2, MessageAnswer::Yes, {"a@x.org", "b@x.org"}},
      {1, MessageAnswer::No, list},
      {-1, std::nullopt, list},
      {3, std::nullopt, list},
  };
  for (const Case& c : cases) {
    test::FakeView view;
    if (c.Answer) view.Answers.push_back(*c.Answer);
    std::vector<std::string> lines = list;
    EXPECT_EQ(RemoveRecipient(lines, c.Row, view), c.Left != list) << c.Row;
    EXPECT_EQ(lines, c.Left) << c.Row;
    ASSERT_EQ(view.Log.size(), c.Answer ? 1u : 0u) << c.Row;
    if (c.Answer) {
      EXPECT_EQ(view.Log[0].rfind("Delete?|", 0), 0u) << view.Log[0];
    }
  }
}

}  // namespace
}  // namespace velloran
