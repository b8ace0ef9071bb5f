// The declaration of the pages: what both front-ends draw must be
// consistent in itself before either can be.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "toolkit/core/Form.h"
#include "toolkit/core/Pages.h"

namespace velloran {
namespace {

TEST(Form, NamesAndMnemonicsHaveOneOwnerPerPage) {
  std::set<std::string_view> names;
  // A letter two fields of a page share takes the focus to each in turn; a
  // check box or an option acts on its letter, so it shares it with nothing.
  std::map<std::pair<int, char>, const FormControl*> owners;
  auto acts = [](const FormControl& c) {
    return c.Kind == ControlKind::Check || c.Kind == ControlKind::Option;
  };
  for (const FormControl& c : FormControls()) {
    EXPECT_TRUE(names.insert(c.Name).second) << c.Name << " declared twice";
    EXPECT_TRUE(HasPage(c.Page)) << c.Name;
    if (const char key = MnemonicOf(c.Caption)) {
      const auto [owner, isNew] = owners.emplace(std::pair{c.Page, key}, &c);
      EXPECT_TRUE(isNew || (!acts(c) && !acts(*owner->second)))
          << c.Name << " and " << owner->second->Name << " share Alt+" << key;
    }
  }
}

TEST(Form, AltAndALetterTwoFieldsShareTakesTheFocusToEachInTurn) {
  auto all = [](std::string_view) { return true; };
  auto notFromServer = [](std::string_view name) { return name != "txtMixedFromServer"; };
  struct Case {
    char Letter;
    std::string_view Focused;
    bool (*Available)(std::string_view);
    std::string_view Expected;
  };
  const Case cases[] = {
      {'F', "", all, "txtMixedFromServer"},
      {'f', "txtMixedFromServer", all, "txtMixedFromPrinter"},
      {'F', "txtMixedFromPrinter", all, "txtMixedFromServer"},
      {'F', "txtMixedToPrinter", all, "txtMixedFromServer"},
      {'F', "txtMixedFromPrinter", notFromServer, "txtMixedFromPrinter"},
      {'P', "txtMixedFromServer", all, "txtMixedToServer"},
      {'z', "", all, ""},
      {0, "", all, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MnemonicTarget(kPageMixed, c.Letter, c.Focused, c.Available), c.Expected)
        << "Alt+" << c.Letter << " from " << c.Focused;
  }
  // "&&" is an ampersand, not a mark.
  EXPECT_EQ(MnemonicOf("Save && &Close"), 'c');
  EXPECT_EQ(MnemonicOf("A&&B"), 0);
  // Another page's controls are never the target.
  EXPECT_EQ(MnemonicTarget(kPageServers, 'f', "", all), "");
}

TEST(Form, SwitchedControlsFollowABoxOfTheirPage) {
  for (const FormControl& c : FormControls()) {
    if (c.SwitchedBy.empty()) continue;
    const FormControl* box = FormControlNamed(c.SwitchedBy);
    ASSERT_TRUE(box) << c.Name;
    EXPECT_EQ(box->Kind, ControlKind::Check) << c.Name;
    EXPECT_EQ(box->Page, c.Page) << c.Name;
  }
}

TEST(Form, EverySavedControlIsNamedByMessagesWithoutItsMarkers) {
  for (const FormControl& c : FormControls()) {
    if (c.Limit == 0) continue;
    const std::string called = c.Called();
    EXPECT_FALSE(called.empty()) << c.Name;
    EXPECT_EQ(called.find('&'), std::string::npos) << c.Name;
    EXPECT_NE(called.back(), ':') << c.Name;
  }
  FormControl amp;
  amp.Caption = "Save &&Quit &Now:";
  EXPECT_EQ(amp.PlainCaption(), "Save &Quit Now");
}

TEST(Form, EveryMenuCommandIsAToolOrTheCheck) {
  std::set<std::string_view> commands;
  for (const FormMenu& menu : FormMenus()) {
    std::set<char> keys;
    for (const MenuEntry& entry : menu.Entries) {
      EXPECT_TRUE(commands.insert(entry.Command).second) << entry.Command;
      EXPECT_TRUE(ToolOfId(entry.Command) || entry.Command == "actCheckTargets") << entry.Command;
      EXPECT_TRUE(keys.insert(MnemonicOf(entry.Caption)).second) << entry.Caption;
    }
  }
  for (int i = 0; i < kToolCount; ++i) {
    EXPECT_TRUE(commands.count(ToolId(static_cast<Tool>(i)))) << ToolId(static_cast<Tool>(i));
  }
}

}  // namespace
}  // namespace velloran
