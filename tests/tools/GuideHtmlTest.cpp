// The guide's pages as the Windows zip carries them, in HTML.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "tests/support/Fakes.h"
#include "tools/GuideHtml.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;

std::string Body(const std::string& html) {
  const size_t from = html.find("<body>\n") + 7, to = html.find("</body>");
  return html.substr(from, to - from);
}

std::string Convert(const std::string& markdown, std::set<std::string> shipped = {}) {
  return Body(GuidePageHtml(markdown, [&](const std::string& t) { return shipped.count(t) > 0; }));
}

TEST(GuideHtml, HeadingsGetTheAnchorsGitHubGivesThem) {
  const std::map<std::string, std::string> cases = {
      {"What you see, what is kept", "what-you-see-what-is-kept"},
      {"The engine's cost", "the-engines-cost"},
      {"Putting a CUPS queue back: restore-queue", "putting-a-cups-queue-back-restore-queue"},
      {"Two commands \xE2\x80\x94 and more", "two-commands--and-more"},
      {"`VelloranEngine` on Windows", "velloranengine-on-windows"},
      {"Büro", "b\xC3\xBCro"},
  };
  for (const auto& [heading, anchor] : cases) EXPECT_EQ(HeadingAnchor(heading), anchor) << heading;

  // A heading given twice gets a numbered anchor the second time.
  EXPECT_EQ(Convert("## Tests\n\n## Tests\n"),
            "<h2 id=\"tests\">Tests</h2>\n<h2 id=\"tests-1\">Tests</h2>\n");
}

TEST(GuideHtml, TextIsEscapedEverywhereAndCodeIsNeverMarkedUp) {
  EXPECT_EQ(Convert("a <b> & \"c\"\n"), "<p>a &lt;b&gt; &amp; &quot;c&quot;</p>\n");
  EXPECT_EQ(Convert("`**x** <y>` and **z**\n"),
            "<p><code>**x** &lt;y&gt;</code> and <strong>z</strong></p>\n");
  EXPECT_EQ(Convert("```sh runnable\necho '<a>' *.ini\n```\n"),
            "<pre><code>echo &#39;&lt;a&gt;&#39; *.ini\n</code></pre>\n");
  // An asterisk that opens no emphasis stays.
  EXPECT_EQ(Convert("*.ini files and a * b, the *printer* name\n"),
            "<p>*.ini files and a * b, the <em>printer</em> name</p>\n");
  // A backslash before punctuation is Markdown's escape; before a letter it is text.
  EXPECT_EQ(Convert("\\\\server\\share\n"), "<p>\\server\\share</p>\n");
}

TEST(GuideHtml, LinksToPagesBecomeHtmlAndLinksToWhatIsNotShippedKeepTheirText) {
  const std::set<std::string> shipped = {"planning.html", "../help/index.html"};
  const std::map<std::string, std::string> cases = {
      {"[plan](planning.md)", "<a href=\"planning.html\">plan</a>"},
      {"[drivers](planning.md#drivers)", "<a href=\"planning.html#drivers\">drivers</a>"},
      {"[here](#exit-codes)", "<a href=\"#exit-codes\">here</a>"},
      {"[help](../help/index.html)", "<a href=\"../help/index.html\">help</a>"},
      {"[man](../man/velloran.1)", "man"},
      {"[the `README`](../../README.md)", "the <code>README</code>"},
      {"[web](https://example.com/a?b=1&c=2)",
       "<a href=\"https://example.com/a?b=1&amp;c=2\">web</a>"},
      {"![shot](../screenshots/a.png)", "shot"},
      {"[not a link] (x)", "[not a link] (x)"},
  };
  for (const auto& [markdown, html] : cases)
    EXPECT_EQ(Convert(markdown + "\n", shipped), "<p>" + html + "</p>\n") << markdown;
  EXPECT_EQ(Convert("![A page](../screenshots/a.png)\n", {"../screenshots/a.png"}),
            "<p><img src=\"../screenshots/a.png\" alt=\"A page\"></p>\n");
}

TEST(GuideHtml, ListsTablesAndBlocksInsideListItems) {
  EXPECT_EQ(Convert("- one\n  more\n- two\n\n1. first\n2. second\n\nafter\n"),
            "<ul>\n<li>one more\n</li>\n<li>two\n</li>\n</ul>\n"
            "<ol>\n<li>first\n</li>\n<li>second\n</li>\n</ol>\n<p>after</p>\n");
  EXPECT_EQ(Convert("- conf:\n\n  ```\n  [libdefaults]\n      realm\n  ```\n- next\n"),
            "<ul>\n<li>conf:\n<pre><code>[libdefaults]\n    realm\n</code></pre>\n</li>\n"
            "<li>next\n</li>\n</ul>\n");
  // A bar inside a code span belongs to its cell.
  EXPECT_EQ(Convert("| A | B |\n|---|---|\n| `a|b` | **c** |\n"),
            "<table>\n<thead><tr><th>A</th><th>B</th></tr></thead>\n<tbody>\n"
            "<tr><td><code>a|b</code></td><td><strong>c</strong></td></tr>\n</tbody>\n</table>\n");
}

TEST(GuideHtml, ThePageIsTitledByItsFirstHeading) {
  const std::string html =
      GuidePageHtml("# The `engine` & *you*\n\ntext\n", [](auto&) { return false; });
  EXPECT_NE(html.find("<title>The engine &amp; you</title>"), std::string::npos) << html;
  EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
}

// The real guide, converted as the zip carries it beside help\ and
// screenshots\: every link of every page leads to a page, an anchor of it,
// or a shipped file.
TEST(GuideHtml, EveryLinkOfTheConvertedGuideResolvesInTheZip) {
  const fs::path source = VELLORAN_SOURCE_DIR;
  std::set<std::string> pages;
  for (const auto& e : fs::directory_iterator(source / "docs/guide"))
    if (e.path().extension() == ".md") pages.insert(e.path().stem().string() + ".html");
  auto shipped = [&](const std::string& target) {
    return pages.count(target) ||
           ((target.starts_with("../help/") || target.starts_with("../screenshots/")) &&
            fs::exists(source / "docs" / target.substr(3)));
  };
  std::map<std::string, std::string> html;
  for (const auto& page : pages) {
    const std::string md =
        test::ReadFile(source / "docs/guide" / (page.substr(0, page.size() - 5) + ".md"));
    html[page] = GuidePageHtml(md, shipped);
  }
  static const std::regex ref("(?:href|src)=\"([^\"]+)\"");
  int links = 0;
  for (const auto& [page, text] : html) {
    for (std::sregex_iterator it(text.begin(), text.end(), ref), end; it != end; ++it, ++links) {
      const std::string target = (*it)[1].str();
      if (target.starts_with("https://")) continue;
      const size_t hash = target.find('#');
      const std::string file = target.substr(0, hash);
      if (!file.empty() && !pages.count(file)) {
        EXPECT_TRUE(shipped(file)) << page << ": " << target;
        continue;
      }
      const std::string& into = file.empty() ? text : html.at(file);
      if (hash == std::string::npos) continue;
      EXPECT_NE(into.find("id=\"" + target.substr(hash + 1) + "\""), std::string::npos)
          << page << ": " << target;
    }
  }
  EXPECT_GT(links, 50);
}

}  // namespace
}  // namespace velloran
