// The fleet page: what a crafted share can and cannot put into it, and the
// chart drawn from the times of the files.

#include <gtest/gtest.h>

#include <string>

#include "tools/FleetReport.h"

namespace velloran::fleet {
namespace {

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

ComputerState Computer(const std::string& name, Outcome result, int64_t migratedAt = 0) {
  ComputerState c;
  c.Name = name;
  c.Result = result;
  c.LastRun = migratedAt ? migratedAt : 1'700'000'000;
  c.MigratedAt = migratedAt;
  return c;
}

// Noon UTC of a day, so that any time zone keeps it on one date.
int64_t Day(int n) { return 1'700'049'600 + int64_t{86400} * n; }

TEST(FleetPage, NoTextFromTheShareBecomesMarkup) {
  struct Case {
    std::string Text, Shown;
  } cases[] = {
      {"<script>document.title='owned'</script>",
       "&lt;script&gt;document.title=&#39;owned&#39;&lt;/script&gt;"},
      {"\"><img src=x onerror=alert(1)>", "&quot;&gt;&lt;img src=x onerror=alert(1)&gt;"},
      {"' onmouseover='alert(2)", "&#39; onmouseover=&#39;alert(2)"},
      {"&lt;already escaped&gt;", "&amp;lt;already escaped&amp;gt;"},
  };
  for (const auto& [h, shown] : cases) {
    SCOPED_TRACE(h);
    FleetSummary s;
    s.Share = h;
    ComputerState c = Computer(h, Outcome::Failed);
    c.Failures.push_back({h, h, 5, h});
    c.Held.push_back({h, h, h});
    c.OnOldServers.push_back({h, h});
    s.Computers.emplace("X", c);
    s.DriversToInstall[h].insert(h);
    s.Causes.push_back(Cause{h, 5, h, {{h, {h}}}, 0});
    s.Problems.push_back({h, h});
    s.NotSeen.push_back(h);
    s.HaveComputerList = true;
    const std::string page = RenderHtml(s);

    // The page's own two scripts and nothing else; no quote of the share
    // ends an attribute, no bracket opens a tag.
    EXPECT_EQ(Occurrences(page, "<script"), 2u);
    EXPECT_EQ(page.find(h), std::string::npos);
    // Title, share line, table, causes, drivers, old servers, skipped
    // files: every place shows it as text.
    EXPECT_GE(Occurrences(page, shown), 10u) << page;
  }
}

TEST(FleetPage, ControlCharactersAreShownAsReplacementsAndNothingLinksOut) {
  FleetSummary s;
  s.Share = "\\\\srv\\share";
  s.Computers.emplace("PC01", Computer(std::string("PC\x1B[2J\0"
                                                   "01",
                                                   9),
                                       Outcome::Succeeded, Day(0)));
  const std::string page = RenderHtml(s);
  EXPECT_EQ(page.find('\x1B'), std::string::npos);
  EXPECT_EQ(page.find('\0'), std::string::npos);
  EXPECT_NE(page.find("PC\xEF\xBF\xBD[2J\xEF\xBF\xBD"
                      "01"),
            std::string::npos);
  // Self-contained: nothing is fetched, whatever the browser.
  for (const char* outside : {"src=", "href=", "url(", "@import", "http:", "https:"})
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
}

TEST(FleetPage, CountsAndEveryComputerAreOnThePage) {
  FleetSummary s;
  s.Computers.emplace("A", Computer("A", Outcome::Succeeded, Day(0)));
  s.Computers.emplace("B", Computer("B", Outcome::AlreadyMigrated, Day(1)));
  s.Computers.emplace("C", Computer("C", Outcome::Failed));
  s.Computers.emplace("D", Computer("D", Outcome::HeldBack));
  s.Computers.emplace("E", Computer("E", Outcome::Incomplete));
  s.NotSeen = {"F", "G"};
  s.HaveComputerList = true;
  s.ListedComputers = 7;
  const std::string page = RenderHtml(s);
  for (const auto& [id, n] : {std::pair{"migrated", 2},
                              {"failed", 1},
                              {"held-back", 1},
                              {"incomplete", 1},
                              {"not-seen", 2},
                              {"seen", 5}})
    EXPECT_NE(page.find("id=\"count-" + std::string(id) + "\">" + std::to_string(n) + "<"),
              std::string::npos)
        << id;
  // Seven rows: five seen, two never seen.
  EXPECT_EQ(Occurrences(page, "<tr><td>"), 7u);

  s.HaveComputerList = false;
  s.NotSeen.clear();
  EXPECT_EQ(RenderHtml(s).find("count-not-seen"), std::string::npos)
      << "without a list nobody can say who was never seen";
}

TEST(FleetPage, TheChartHasABarForEachDayComputersWereMigrated) {
  struct Case {
    const char* Name;
    std::vector<int> Days;  ///< a computer migrated on each
    size_t Bars;
    bool EarlierNote;
  } cases[] = {
      {"nothing migrated", {}, 0, false},
      {"one day", {0, 0, 0}, 1, false},
      {"three weeks", {0, 1, 1, 8, 20, 20}, 4, false},
      // A client with a clock years off does not stretch the chart.
      {"a time far in the past", {0, 1, -3000}, 2, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    FleetSummary s;
    int i = 0;
    for (int d : c.Days) {
      const std::string name = "PC" + std::to_string(i++);
      s.Computers.emplace(name, Computer(name, Outcome::Succeeded, Day(d)));
    }
    const std::string page = RenderHtml(s);
    EXPECT_EQ(Occurrences(page, "<rect class=\"bar\""), c.Bars);
    EXPECT_EQ(page.find("migrated before") != std::string::npos, c.EarlierNote);
    EXPECT_EQ(page.find("<svg") != std::string::npos, c.Bars > 0);
    // Week ticks: at most a year's worth.
    EXPECT_LE(Occurrences(page, "<line class=\"axis\""), 55u);
  }
}

}  // namespace
}  // namespace velloran::fleet
