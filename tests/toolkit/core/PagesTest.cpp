// The pages as data: every way to a page leads to one that exists, in both
// modes, and every page has its help.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "tests/support/Fakes.h"
#include "toolkit/core/HelpContexts.h"
#include "toolkit/core/Pages.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;

TEST(Pages, TheTreeAndBackAndNextReachTheSamePagesInEachMode) {
  for (bool ad : {true, false}) {
    std::set<int> inTree;
    std::set<std::string_view> keys;
    for (const TreeNode& node : OptionTree(ad)) {
      EXPECT_TRUE(HasPage(node.Page)) << node.Key;
      EXPECT_TRUE(keys.insert(node.Key).second) << "duplicate key " << node.Key;
      EXPECT_TRUE(node.ParentKey.empty() || keys.count(node.ParentKey)) << node.Key;
      inTree.insert(node.Page);
      EXPECT_EQ(NodeOfPage(node.Page, ad)->Key, node.Key);
    }
    // Next from the first page walks every page of the tree once; Back
    // walks the same way home.
    std::set<int> walked = {kPageGeneral};
    int page = kPageGeneral;
    while (auto next = NextPage(page, ad)) {
      EXPECT_EQ(PreviousPage(*next, ad), page);
      EXPECT_TRUE(walked.insert(*next).second) << *next;
      page = *next;
    }
    EXPECT_EQ(page, kPageSupport);
    EXPECT_TRUE(NextDisabled(page));
    EXPECT_TRUE(BackDisabled(kPageGeneral));
    EXPECT_EQ(walked, inTree) << (ad ? "Active Directory" : "manual");

    for (int t = 0; t < kToolCount; ++t) {
      const Tool tool = static_cast<Tool>(t);
      const auto target = PageOfTool(tool, ad);
      if (target && ToolOffered(tool, ad)) {
        EXPECT_TRUE(inTree.count(*target)) << ToolId(tool);
      }
    }
  }
  EXPECT_EQ(PageOfTool(Tool::Deployment, true), kPageDeploymentOverview);
  EXPECT_EQ(PageOfTool(Tool::Deployment, false), kPageDeployment);
  EXPECT_FALSE(ToolOffered(Tool::MDAC, false));
  EXPECT_FALSE(ToolOffered(Tool::Servers, true));
}

// Next from General, as "page node-path" steps.
TEST(Pages, NextWalksThePagesInTheOrderOfTheTree) {
  const std::pair<bool, std::string_view> cases[] = {
      {true,
       "0 General, 1 Active Directory, 3 Notification, 4 Notification/SMTP Mail, "
       "5 Notification/File Output, 6 Notification/Client User Pop-Up, "
       "8 Notification/Application Event Log, 17 Deployment, 15 Deployment/General, "
       "16 Deployment/MDAC, 14 Support"},
      {false,
       "0 General, 10 Manual Configuration, 2 Manual Configuration/Servers, "
       "11 Manual Configuration/Printers, 12 Manual Configuration/Mixed, 3 Notification, "
       "4 Notification/SMTP Mail, 5 Notification/File Output, "
       "6 Notification/Client User Pop-Up, 8 Notification/Application Event Log, "
       "15 Deployment, 14 Support"},
  };
  for (const auto& [ad, expected] : cases) {
    std::string walked;
    for (std::optional<int> page = kPageGeneral; page; page = NextPage(*page, ad)) {
      const TreeNode node = *NodeOfPage(*page, ad);
      if (!walked.empty()) walked += ", ";
      walked += std::to_string(*page) + " ";
      for (const TreeNode& parent : OptionTree(ad)) {
        if (!node.ParentKey.empty() && parent.Key == node.ParentKey) {
          walked += parent.Text;
          walked += "/";
        }
      }
      walked += node.Text;
    }
    EXPECT_EQ(walked, expected) << (ad ? "Active Directory" : "manual");
  }
}

TEST(Pages, EveryPageAndDialogHasAHelpPageWithoutInternalNumbers) {
  const fs::path help = fs::path(VELLORAN_SOURCE_DIR) / "docs/help";
  std::set<int> contexts(help::AllContexts().begin(), help::AllContexts().end());
  for (bool ad : {true, false}) {
    for (const TreeNode& node : OptionTree(ad)) {
      EXPECT_TRUE(contexts.count(HelpContextOfPage(node.Page, ad))) << node.Key;
      EXPECT_FALSE(PageHeading(node.Page, ad).empty()) << node.Key;
    }
  }
  EXPECT_NE(HelpContextOfPage(kPageDeployment, true), HelpContextOfPage(kPageDeployment, false));
  for (int context : help::AllContexts()) {
    const fs::path page = help / std::string(help::PageForContext(context));
    ASSERT_TRUE(fs::exists(page)) << page;
    EXPECT_FALSE(test::Contains(test::ReadFile(page), "Help topic")) << page;
  }
  EXPECT_TRUE(fs::exists(help / std::string(help::kContentsPage)));
}

// The help pages are plain files opened one by one: a link or stylesheet
// that names a page or anchor that is not there shows the user nothing.
TEST(Pages, EveryLinkOfTheHelpPagesLeadsToAPageAndAnchorThatExist) {
  const fs::path help = fs::path(VELLORAN_SOURCE_DIR) / "docs/help";
  const std::regex link(R"re((?:href|src)="([^"#:]*)(?:#([^"]*))?")re");
  size_t links = 0;
  for (const auto& entry : fs::directory_iterator(help)) {
    if (entry.path().extension() != ".html") continue;
    const std::string text = test::ReadFile(entry.path());
    for (std::sregex_iterator at(text.begin(), text.end(), link), end; at != end; ++at, ++links) {
      const fs::path target = (*at)[1].length() ? help / (*at)[1].str() : entry.path();
      ASSERT_TRUE(fs::is_regular_file(target)) << entry.path().filename() << " -> " << (*at)[0];
      if ((*at)[2].matched) {
        EXPECT_TRUE(test::Contains(test::ReadFile(target), "id=\"" + (*at)[2].str() + "\""))
            << entry.path().filename() << " -> " << (*at)[0];
      }
    }
  }
  EXPECT_GT(links, 20u);
}

}  // namespace
}  // namespace velloran
