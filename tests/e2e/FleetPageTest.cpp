// The fleet page of `velloran summary --html` in a real browser: headless
// Chromium loads it from disk, runs its script and prints the DOM.
//
// VELLORAN_FLEET_SCREENSHOT=PNG also draws the page of the share (without
// the crafted file) into PNG: scripts/fleet-page-screenshot.sh redraws the
// documentation's picture this way.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "tests/support/EngineProcess.h"
#include "tests/support/FleetShare.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;
using test::Contains;
using test::RunProcess;
using test::WriteFile;

std::string Chromium() {
  auto r = RunProcess("/bin/sh", {"-c", "command -v chromium || command -v chromium-browser"});
  return r.ExitCode == 0 ? r.Stdout.substr(0, r.Stdout.find('\n')) : "";
}

// A computer held back because its client may not install the driver.
std::string HeldBackReport() {
  return "\r\n* ----- My Networked Printers ----- *\r\nACCOUNTING (OLDSRV1)\r\n"
         "* ----- Migrating Networked Printers Between Servers ----- *\r\n"
         "Printer held back by its driver: \\\\NEWSRV1\\ACCOUNTING\r\n"
         "> Driver: Contoso Universal PCL6\r\n"
         "> Cause: this user may not install printer drivers\r\n";
}

// What any client could write to the share to reach the administrator's
// browser: markup in a printer name, a failure and a target.
const std::string kScript = "<script>document.title='owned';</script>";
const std::string kImage = "\"><img src=x onerror=\"document.title='owned'\">";
std::string CraftedReport() {
  return "\r\n* ----- My Networked Printers ----- *\r\n" + kScript +
         " (OLDSRV1)\r\n"
         "* ----- Migrating Networked Printers Between Servers ----- *\r\n"
         "Error in adding/migrating network printer: \\\\NEWSRV1\\" +
         kImage + "\r\n> Error Number: 5\r\n> Error Description: " + kScript + "\r\n";
}

struct FleetPageInBrowser : ::testing::Test {
  test::TempDir root;
  fs::path share = root / "share";
  std::string chromium = Chromium();
  test::FleetShareFacts facts;
  static constexpr int kClients = 400, kHeldBack = 3;

  void SetUp() override {
    if (chromium.empty())
      GTEST_SKIP() << "chromium is not installed (scripts/deps.sh installs it): the fleet page "
                      "is not tried in a browser";
    facts = test::WriteFleetShare(share, kClients);
    for (int i = 1; i <= kHeldBack; ++i)
      WriteFile(share / ("LAB0" + std::to_string(i) + "_FAILED_report.txt"), HeldBackReport());
    // The clients ran over five weeks: each file gets a day of its own.
    const auto start = std::chrono::system_clock::now() - std::chrono::hours(24 * 35);
    size_t n = 0;
    for (const auto& e : fs::directory_iterator(share)) {
      const auto when = start + std::chrono::hours(24 * (n++ * 7 % 35) + 9);
      fs::last_write_time(e.path(), std::chrono::file_clock::from_sys(when));
    }
    std::string list;
    for (const auto& name : facts.Listed) list += name + "\n";
    WriteFile(root / "computers.txt", list);
  }

  // The page of the share, written by velloran; its exit code checked.
  fs::path Page(const std::string& name) {
    const fs::path page = root / name;
    auto r = RunProcess(VELLORAN_TOOL_PATH,
                        {"summary", share.string(), "--computers",
                         (root / "computers.txt").string(), "--html", page.string()});
    EXPECT_EQ(r.ExitCode, 1) << r.Stderr;
    EXPECT_EQ(r.Stdout, "");
    return page;
  }

  // Headless Chromium on `page` (with `fragment`), after `extra` options.
  test::ProcessResult Browser(const fs::path& page, std::vector<std::string> extra,
                              const std::string& fragment = "") {
    std::vector<std::string> args = {"120",          chromium,        "--headless",
                                     "--no-sandbox", "--disable-gpu", "--no-first-run"};
    args.push_back("--user-data-dir=" + (root / "profile").string());
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("file://" + page.string() + fragment);
    auto r = RunProcess("/usr/bin/timeout", args);
    EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
    return r;
  }
  // The DOM after the page's scripts ran.
  std::string Dom(const fs::path& page, const std::string& fragment = "") {
    return Browser(page, {"--dump-dom"}, fragment).Stdout;
  }
};

std::string CountShown(const std::string& dom, const std::string& id) {
  std::smatch m;
  if (!std::regex_search(dom, m, std::regex("id=\"count-" + id + "\">([0-9]+)<"))) return "none";
  return m[1];
}

// The status of the first computer in the table as the DOM has it.
std::string FirstStatus(const std::string& dom) {
  std::smatch m;
  if (!std::regex_search(dom, m,
                         std::regex("<tbody><tr><td>[^<]*</td><td class=\"st [a-z-]+\">([^<]*)<")))
    return "none";
  return m[1];
}

TEST_F(FleetPageInBrowser, LoadsWithoutAScriptErrorAndShowsTheSharesCounts) {
  WriteFile(share / "EVIL_FAILED_report.txt", CraftedReport());
  const fs::path page = Page("fleet.html");
  const std::string dom = Dom(page);
  ASSERT_TRUE(Contains(dom, "data-sortable=\"ready\"")) << "the page's script did not run:\n"
                                                        << dom.substr(0, 2000);
  EXPECT_FALSE(Contains(dom, " data-script-error=\"")) << dom.substr(0, 2000);

  const int seen = kClients - facts.Unseen + kHeldBack + 1;
  EXPECT_EQ(CountShown(dom, "seen"), std::to_string(seen));
  EXPECT_EQ(CountShown(dom, "failed"), std::to_string(facts.Failed + 1));
  EXPECT_EQ(CountShown(dom, "held-back"), std::to_string(kHeldBack));
  EXPECT_EQ(CountShown(dom, "migrated"), std::to_string(kClients - facts.Unseen - facts.Failed));
  EXPECT_EQ(CountShown(dom, "not-seen"), std::to_string(facts.Unseen));
  EXPECT_EQ(CountShown(dom, "incomplete"), "0");
  EXPECT_TRUE(Contains(dom, "Drivers to install: Contoso Universal PCL6 \xE2\x80\x94 3 computers"))
      << dom.substr(0, 4000);
  // One bar per day a computer migrated: five, a week apart.
  static const std::regex bar("<rect class=\"bar\"");
  const auto bars = std::distance(std::sregex_iterator(dom.begin(), dom.end(), bar), {});
  EXPECT_EQ(bars, 5);

  // The crafted texts are text: no element came of them and nothing ran.
  EXPECT_TRUE(Contains(dom, "&lt;script&gt;document.title='owned';&lt;/script&gt;"));
  EXPECT_TRUE(Contains(dom, "\"&gt;&lt;img src=x onerror="));
  EXPECT_FALSE(Contains(dom, "<img"));
  EXPECT_FALSE(Contains(dom, "<title>owned</title>"));
}

TEST_F(FleetPageInBrowser, TheTableSortsByTheColumnTheAddressNames) {
  const fs::path page = Page("fleet.html");
  // Unsorted, the table is in name order: the LAB computers come first.
  EXPECT_EQ(FirstStatus(Dom(page, "#nosuchorder")), "held back by a driver");
  EXPECT_EQ(FirstStatus(Dom(page, "#sort=status-desc")), "not yet seen");
  EXPECT_EQ(FirstStatus(Dom(page, "#sort=status")), "failed");
  const std::string byComputer = Dom(page, "#sort=computer-desc");
  EXPECT_TRUE(Contains(byComputer, "<tbody><tr><td>PC00399</td>")) << byComputer.substr(0, 3000);

  if (const char* png = std::getenv("VELLORAN_FLEET_SCREENSHOT")) {
    Browser(page,
            {std::string("--screenshot=") + png, "--window-size=1200,1500", "--hide-scrollbars"});
    EXPECT_TRUE(fs::file_size(png) > 10000) << png;
  }
}

}  // namespace
}  // namespace velloran
