// "Check targets" and the check before Deploy Now against in-memory servers
// and a scripted window: what is asked, what the list shows, and when the
// administrator is asked whether to deploy anyway.

#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "FakeShareLister.h"
#include "toolkit/core/TargetCheck.h"

namespace velloran {
namespace {

using test::FakeShareLister;

// The window: progress as "done/total", boxes as "Title|Text", the list as
// it was shown. Its Cancel button is pressed when the progress first
// reaches `CancelAt` answers.
class CheckWindow : public TargetCheckView {
 public:
  std::vector<std::string> Progress, Boxes;
  std::deque<MessageAnswer> Answers;
  std::optional<TargetCheckReport> Shown;
  std::optional<size_t> CancelAt;
  size_t Runs = 0;

  MessageAnswer Ask(std::string_view text, std::string_view title, MessageIcon,
                    MessageButtons) override {
    Boxes.push_back(std::string(title) + "|" + std::string(text));
    if (Answers.empty()) return MessageAnswer::OK;
    const MessageAnswer answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  check::CheckResult RunTargetCheck(const TargetCheckJob& job) override {
    ++Runs;
    std::atomic<bool> cancel{false};
    return job.Run(
        [&](size_t done, size_t total) {
          Progress.push_back(std::to_string(done) + "/" + std::to_string(total));
          EXPECT_EQ(total, job.Servers());
          if (CancelAt && done >= *CancelAt) cancel = true;
        },
        cancel);
  }
  void ShowTargetCheck(const TargetCheckReport& report) override { Shown = report; }
};

struct Row {
  std::string Pair, Target, Status;
  bool operator==(const Row&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << r.Pair << " | " << r.Target << " | " << r.Status;
}
std::vector<Row> Rows(const TargetCheckReport& report) {
  std::vector<Row> rows;
  for (const TargetCheckRow& r : report.Rows) rows.push_back({r.Pair, r.Target, r.Status});
  return rows;
}

class CheckTargetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_.UseManualDefinitions = true;
    lister_->Serve("OLD", FakeShareLister::Offers({FakeShareLister::Printer("Laser1"),
                                                   FakeShareLister::Printer("Laser2"),
                                                   FakeShareLister::Disk("Data")}));
    lister_->Serve("NEW", FakeShareLister::Offers({FakeShareLister::Printer("Laser1"),
                                                   FakeShareLister::Disk("Scans")}));
    setup_.Lister = lister_;
  }
  // The shape the toolkit's controls give: a blank entry 0, then the lines.
  void ServersPair(std::string from, std::string to) {
    if (settings_.ServerPairs.empty()) settings_.ServerPairs.emplace_back();
    settings_.ServerPairs.push_back({std::move(from), std::move(to)});
  }
  void PrintersPair(std::string from, std::string to) {
    if (settings_.PrinterPairs.empty()) settings_.PrinterPairs.emplace_back();
    settings_.PrinterPairs.push_back({std::move(from), std::move(to)});
  }
  void MixedPair(std::string toServer, std::string toPrinter) {
    if (settings_.MixedPairs.empty()) settings_.MixedPairs.emplace_back();
    settings_.MixedPairs.push_back({"OLD", "Laser1", std::move(toPrinter), std::move(toServer)});
  }
  bool Deploy() { return ConfirmTargetsBeforeDeploy(settings_, setup_, window_); }

 public:
  // The documents of the deploy table.
  void Arrange(bool missingQueue, bool unreachable, bool cancel) {
    ServersPair("OLD", missingQueue ? "NEW" : "OLD");
    MixedPair("NEW", "Laser1");
    MixedPair(unreachable ? "GONE" : "NEW", "Laser1");
    if (cancel) {
      lister_->HangOn("NEW");
      setup_.Timeout = std::chrono::seconds(30);
      window_.CancelAt = 0;
    }
  }
  void OnlyPrintersPair() { PrintersPair("Laser1", "Laser9"); }
  void WithoutLister() {
    MixedPair("NEW", "Laser1");
    setup_.Lister = nullptr;
    setup_.Unavailable = "no protocol";
  }
  void TearDown() override { lister_->Release(); }

 protected:
  INISettings settings_;
  std::shared_ptr<FakeShareLister> lister_ = std::make_shared<FakeShareLister>();
  TargetCheckSetup setup_;
  CheckWindow window_;
};

TEST_F(CheckTargetsTest, TheListNamesEveryTargetAsTheCommandLineDoes) {
  ServersPair("OLD", "NEW");
  PrintersPair("Laser1", "Laser9");
  MixedPair("NEW", "Scans");
  MixedPair("GONE", "Laser1");
  CheckTargets(settings_, setup_, window_);

  ASSERT_TRUE(window_.Shown);
  // In the list's order: what was not found, what could not be checked,
  // what was found; each kind in the order of the pairs.
  const std::vector<Row> expected = {
      {"servers 1: OLD -> NEW", "\\\\NEW\\Laser2", "missing"},
      {"mixed 1: \\\\OLD\\Laser1 -> \\\\NEW\\Scans", "\\\\NEW\\Scans",
       "not a printer (a disk share)"},
      {"mixed 2: \\\\OLD\\Laser1 -> \\\\GONE\\Laser1", "\\\\GONE\\Laser1",
       "server unreachable (no such host)"},
      {"printers 1: Laser1 -> Laser9", "Laser9",
       "not checkable (each client keeps its own server: no server named to check it on)"},
      {"servers 1: OLD -> NEW", "\\\\NEW\\Laser1", "found"},
  };
  EXPECT_EQ(Rows(*window_.Shown), expected);
  EXPECT_EQ(window_.Shown->Summary,
            "1 of 5 targets found, 1 missing, 1 not a printer, 1 server unreachable, 1 not "
            "checkable.");
  EXPECT_EQ(window_.Shown->NotFound, 3u);
  // Each server once; the bar starts empty and ends full.
  std::vector<std::string> asked = lister_->Asked();
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(asked, (std::vector<std::string>{"GONE", "NEW", "OLD"}));
  ASSERT_FALSE(window_.Progress.empty());
  EXPECT_EQ(window_.Progress.front(), "0/3");
  EXPECT_EQ(window_.Progress.back(), "3/3");
  EXPECT_TRUE(window_.Boxes.empty());
}

TEST_F(CheckTargetsTest, PrintersPairsAreCheckedOnTheServersTheFrontEndNames) {
  PrintersPair("Old1", "Laser1");
  PrintersPair("Old2", "Laser2");
  setup_.PrinterServers = {"NEW"};
  CheckTargets(settings_, setup_, window_);
  ASSERT_TRUE(window_.Shown);
  EXPECT_EQ(Rows(*window_.Shown), (std::vector<Row>{
                                      {"printers 2: Old2 -> Laser2", "\\\\NEW\\Laser2", "missing"},
                                      {"printers 1: Old1 -> Laser1", "\\\\NEW\\Laser1", "found"},
                                  }));
}

TEST_F(CheckTargetsTest, WithNothingToCheckTheCommandSaysSoAndAsksNoServer) {
  CheckTargets(settings_, setup_, window_);  // no pairs
  settings_.UseActiveDirectory = true;
  settings_.UseManualDefinitions = false;
  ServersPair("OLD", "NEW");  // pairs a directory-mode document does not use
  CheckTargets(settings_, setup_, window_);

  ASSERT_EQ(window_.Boxes.size(), 2u);
  EXPECT_NE(window_.Boxes[0].find("no pairs to check"), std::string::npos) << window_.Boxes[0];
  EXPECT_NE(window_.Boxes[1].find("Active Directory"), std::string::npos) << window_.Boxes[1];
  EXPECT_EQ(window_.Runs, 0u);
  EXPECT_FALSE(window_.Shown);
  // Deploying such a document has nothing to confirm.
  EXPECT_TRUE(Deploy());
  EXPECT_EQ(window_.Boxes.size(), 2u);
}

TEST_F(CheckTargetsTest, CancelEndsTheCheckWithoutAList) {
  ServersPair("OLD", "NEW");
  MixedPair("SLOW", "Laser1");
  lister_->HangOn("SLOW");
  setup_.Timeout = std::chrono::seconds(30);
  window_.CancelAt = 0;
  const auto started = std::chrono::steady_clock::now();
  CheckTargets(settings_, setup_, window_);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  lister_->Release();

  EXPECT_FALSE(window_.Shown);
  EXPECT_TRUE(window_.Boxes.empty());
  EXPECT_EQ(window_.Progress.front(), "0/3");
}

// Before Deploy Now, one table row per situation: what the check found,
// what the administrator answers, whether the deployment goes on, and the
// start of the question (none when nothing is asked).
struct DeployCase {
  const char* Name;
  std::function<void(CheckTargetsTest&)> Arrange;
  std::optional<MessageAnswer> Answer;
  bool GoesOn;
  const char* Question;
};

class BeforeDeployTest : public CheckTargetsTest,
                         public ::testing::WithParamInterface<DeployCase> {};

TEST_P(BeforeDeployTest, AsksOnlyWhenTheTargetsAreNotAllFound) {
  const DeployCase& c = GetParam();
  c.Arrange(*this);
  if (c.Answer) window_.Answers.push_back(*c.Answer);
  EXPECT_EQ(Deploy(), c.GoesOn);
  if (!c.Question) {
    EXPECT_TRUE(window_.Boxes.empty()) << window_.Boxes.front();
    return;
  }
  ASSERT_EQ(window_.Boxes.size(), 1u);
  const std::string expected = std::string("Check targets|") + c.Question;
  EXPECT_EQ(window_.Boxes[0].substr(0, expected.size()), expected) << window_.Boxes[0];
  EXPECT_FALSE(window_.Shown) << "the deploy flow asks; it does not open the list";
}

void Missing(CheckTargetsTest& t);
void QueueMissing(CheckTargetsTest& t);
void Unreachable(CheckTargetsTest& t);
void AllFound(CheckTargetsTest& t);
void Cancelled(CheckTargetsTest& t);
void NothingCheckable(CheckTargetsTest& t);
void NoLister(CheckTargetsTest& t);

INSTANTIATE_TEST_SUITE_P(
    Cases, BeforeDeployTest,
    ::testing::Values(
        DeployCase{"MissingYes", Missing, MessageAnswer::Yes, true,
                   "2 of 4 targets are missing or could not be reached \xE2\x80\x94 deploy "
                   "anyway?\n\n2 of 4 targets "
                   "found, 1 missing, 1 server unreachable.\n\n\\\\NEW\\Laser2: missing [servers "
                   "1: OLD -> NEW]\n\\\\GONE\\Laser1: server unreachable (no such host)"},
        DeployCase{"MissingNo", Missing, MessageAnswer::No, false,
                   "2 of 4 targets are missing or could not be reached"},
        DeployCase{"QueueMissingNo", QueueMissing, MessageAnswer::No, false,
                   "1 of 4 targets are missing \xE2\x80\x94"},
        DeployCase{"UnreachableNo", Unreachable, MessageAnswer::No, false,
                   "1 of 4 targets could not be reached \xE2\x80\x94"},
        DeployCase{"AllFound", AllFound, std::nullopt, true, nullptr},
        DeployCase{"CancelledYes", Cancelled, MessageAnswer::Yes, true,
                   "The check of the targets was cancelled"},
        DeployCase{"CancelledNo", Cancelled, MessageAnswer::No, false,
                   "The check of the targets was cancelled"},
        DeployCase{"NothingCheckableNo", NothingCheckable, MessageAnswer::No, false,
                   "The target could not be checked \xE2\x80\x94 deploy anyway?\n\nLaser9: "
                   "not checkable"},
        DeployCase{"NoListerYes", NoLister, MessageAnswer::Yes, true,
                   "The targets of the pairs cannot be checked before deploying: no protocol"}),
    [](const auto& info) { return std::string(info.param.Name); });

void Missing(CheckTargetsTest& t) { t.Arrange(true, true, false); }
void QueueMissing(CheckTargetsTest& t) { t.Arrange(true, false, false); }
void Unreachable(CheckTargetsTest& t) { t.Arrange(false, true, false); }
void AllFound(CheckTargetsTest& t) { t.Arrange(false, false, false); }
void Cancelled(CheckTargetsTest& t) { t.Arrange(false, false, true); }
void NothingCheckable(CheckTargetsTest& t) { t.OnlyPrintersPair(); }
void NoLister(CheckTargetsTest& t) { t.WithoutLister(); }

}  // namespace
}  // namespace velloran
