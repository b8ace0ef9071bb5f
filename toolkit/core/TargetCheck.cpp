#include "toolkit/core/TargetCheck.h"

#include <algorithm>
#include <optional>

#include "check/Report.h"

namespace velloran {
namespace {

constexpr const char* kTitle = "Check targets";
// A question box holds only so many lines; the list has the rest.
constexpr size_t kListedInQuestion = 10;

bool IsBlankSlot(const NamePair& p) { return p.FromName.empty() && p.ToName.empty(); }
bool IsBlankSlot(const MixedPair& p) {
  return p.FromServer.empty() && p.FromPrinter.empty() && p.ToServer.empty() && p.ToPrinter.empty();
}
template <typename List>
bool AnyEntry(const List& list) {
  return std::any_of(list.begin(), list.end(), [](const auto& p) { return !IsBlankSlot(p); });
}

template <typename List>
void DropBlankSlots(List& list) {
  std::erase_if(list, [](const auto& p) { return IsBlankSlot(p); });
}

// The rows a question names, those not found first, each with its pair.
std::string RowsForQuestion(const TargetCheckReport& report, bool onlyNotFound) {
  std::string text;
  size_t listed = 0, left = 0;
  for (const TargetCheckRow& row : report.Rows) {
    if (row.Code == check::TargetStatus::Found) continue;
    const bool notFound = row.Code != check::TargetStatus::NotCheckable;
    if (onlyNotFound && !notFound) continue;
    if (listed == kListedInQuestion) {
      ++left;
      continue;
    }
    ++listed;
    text += "\n" + row.Target + ": " + row.Status + " [" + row.Pair + "]";
  }
  if (left > 0) text += "\n... and " + std::to_string(left) + " more.";
  return text;
}

int DisplayRank(check::TargetStatus code) {
  switch (code) {
    case check::TargetStatus::Found:
      return 2;
    case check::TargetStatus::NotCheckable:
      return 1;
    default:
      return 0;
  }
}

bool AskToDeployAnyway(TargetCheckView& view, const std::string& text, MessageIcon icon) {
  return view.Ask(text, kTitle, icon, MessageButtons::YesNo) == MessageAnswer::Yes;
}

// The check run on the front-end's thread; none when there is no lister.
std::optional<TargetCheckReport> Run(const INISettings& settings, const TargetCheckSetup& setup,
                                     TargetCheckView& view) {
  if (!setup.Lister) return std::nullopt;
  const TargetCheckJob job(settings, setup);
  return ReportOf(view.RunTargetCheck(job));
}

}  // namespace

TargetCheckJob::TargetCheckJob(const INISettings& settings, const TargetCheckSetup& setup)
    : settings_(settings), setup_(setup) {
  DropBlankSlots(settings_.ServerPairs);
  DropBlankSlots(settings_.PrinterPairs);
  DropBlankSlots(settings_.MixedPairs);
  servers_ = check::PlanQuestions(settings_, setup.PrinterServers).size();
}

check::CheckResult TargetCheckJob::Run(const std::function<void(size_t, size_t)>& progress,
                                       const std::atomic<bool>& cancel) const {
  check::CheckOptions options;
  options.PrinterServers = setup_.PrinterServers;
  options.Timeout = setup_.Timeout;
  options.Progress = progress;
  options.Cancel = &cancel;
  return check::RunCheck(settings_, setup_.Lister, options);
}

bool HasManualPairs(const INISettings& s) {
  if (s.UseActiveDirectory || !s.UseManualDefinitions) return false;
  return AnyEntry(s.ServerPairs) || AnyEntry(s.PrinterPairs) || AnyEntry(s.MixedPairs);
}

TargetCheckReport ReportOf(const check::CheckResult& result) {
  TargetCheckReport report;
  report.Cancelled = result.Cancelled;
  if (result.Cancelled) {
    report.Summary = "The check was cancelled before every server had answered.";
    return report;
  }
  for (const check::Target& t : result.Targets)
    report.Rows.push_back({check::PairLabel(t), t.Path(), check::StatusText(t), t.Status});
  // What is not found comes first: that is what the administrator acts on;
  // then what could not be checked, then what was found, each in the order
  // of the pairs.
  std::stable_sort(report.Rows.begin(), report.Rows.end(),
                   [](const TargetCheckRow& a, const TargetCheckRow& b) {
                     return DisplayRank(a.Code) < DisplayRank(b.Code);
                   });
  report.Total = result.Targets.size();
  report.Found = static_cast<size_t>(
      std::count_if(result.Targets.begin(), result.Targets.end(),
                    [](const check::Target& t) { return t.Status == check::TargetStatus::Found; }));
  report.NotFound = check::NotFoundCount(result.Targets);
  report.Missing = static_cast<size_t>(
      std::count_if(result.Targets.begin(), result.Targets.end(), [](const check::Target& t) {
        return t.Status == check::TargetStatus::Missing ||
               t.Status == check::TargetStatus::NotAPrinter;
      }));
  report.Summary = check::SummaryLine(result.Targets);
  return report;
}

void CheckTargets(const INISettings& settings, const TargetCheckSetup& setup,
                  TargetCheckView& view) {
  if (!HasManualPairs(settings)) {
    view.Tell(settings.UseActiveDirectory
                  ? "This INI file takes its printers from Active Directory: there are no pairs "
                    "whose targets could be checked."
                  : "There are no pairs to check yet. Add pairs on the Server To Server, Printer "
                    "To Printer or Mixed Server And Printer page first.",
              kTitle, MessageIcon::Information);
    return;
  }
  const auto report = Run(settings, setup, view);
  if (!report) {
    view.Tell("The targets cannot be checked: " + setup.Unavailable, kTitle,
              MessageIcon::Exclamation);
    return;
  }
  // Cancel was the user's own choice: nothing more to say.
  if (report->Cancelled) return;
  view.ShowTargetCheck(*report);
}

bool ConfirmTargetsBeforeDeploy(const INISettings& settings, const TargetCheckSetup& setup,
                                TargetCheckView& view) {
  if (!HasManualPairs(settings)) return true;
  const auto report = Run(settings, setup, view);
  if (!report) {
    return AskToDeployAnyway(view,
                             "The targets of the pairs cannot be checked before deploying: " +
                                 setup.Unavailable + "\n\nDeploy anyway?",
                             MessageIcon::Question);
  }
  // Neither a cancelled check nor one that could check nothing may pass for
  // one that found every target.
  if (report->Cancelled) {
    return AskToDeployAnyway(view,
                             "The check of the targets was cancelled: it is not known whether "
                             "the new queues exist.\n\nDeploy anyway?",
                             MessageIcon::Question);
  }
  if (report->NotFound > 0) {
    // A server that did not answer says nothing of its queues: "missing"
    // only for what a server said it lacks.
    const std::string what = report->Missing == report->NotFound ? " targets are missing"
                             : report->Missing == 0
                                 ? " targets could not be reached"
                                 : " targets are missing or could not be reached";
    return AskToDeployAnyway(view,
                             std::to_string(report->NotFound) + " of " +
                                 std::to_string(report->Total) + what +
                                 " \xE2\x80\x94 deploy anyway?\n\n" + report->Summary + "\n" +
                                 RowsForQuestion(*report, true),
                             MessageIcon::Exclamation);
  }
  if (report->Found == 0) {
    const std::string none = report->Total == 1 ? "The target could not be checked"
                                                : "None of the " + std::to_string(report->Total) +
                                                      " targets could be checked";
    return AskToDeployAnyway(
        view, none + " \xE2\x80\x94 deploy anyway?\n" + RowsForQuestion(*report, false),
        MessageIcon::Question);
  }
  return true;
}

}  // namespace velloran
