// The declaration of the pages: what both front-ends draw must be
// consistent in itself before either can be.

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>

#include "toolkit/core/Form.h"
#include "toolkit/core/Pages.h"

namespace velloran {
namespace {

char Mnemonic(std::string_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i + 1])));
  }
  return 0;
}

TEST(Form, NamesAndMnemonicsHaveOneOwnerPerPage) {
  std::set<std::string_view> names;
  std::map<std::pair<int, char>, std::string_view> owners;
  for (const FormControl& c : FormControls()) {
    EXPECT_TRUE(names.insert(c.Name).second) << c.Name << " declared twice";
    EXPECT_TRUE(HasPage(c.Page)) << c.Name;
    if (const char key = Mnemonic(c.Caption)) {
      const auto [owner, isNew] = owners.emplace(std::pair{c.Page, key}, c.Name);
      EXPECT_TRUE(isNew) << c.Name << " and " << owner->second << " share Alt+" << key;
    }
  }
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
      EXPECT_TRUE(keys.insert(Mnemonic(entry.Caption)).second) << entry.Caption;
    }
  }
  for (int i = 0; i < kToolCount; ++i) {
    EXPECT_TRUE(commands.count(ToolId(static_cast<Tool>(i)))) << ToolId(static_cast<Tool>(i));
  }
}

}  // namespace
}  // namespace velloran
