// velloran restore-queue: a queue saved before it was deleted, put back by
// the administrator when the run could not do it itself.

#include <algorithm>

#include "platform/cups/CupsNetwork.h"
#include "platform/cups/RunLock.h"
#include "platform/cups/SavedQueue.h"
#include "platform/cups/SchedulerStore.h"

namespace velloran {

namespace {

bool IsHoldingQueueOf(cups::SchedulerStore& store, const cups::Queue& saved) {
  if (saved.HoldingMark.empty()) return false;
  cups::Queue holding = cups::MakeQueue(saved.JobsParkedIn, "");
  if (!store.Describe(holding).ok() || !holding.Attributes) return false;
  ipp_attribute_t* info = ippFindAttribute(holding.Attributes.get(), "printer-info", IPP_TAG_ZERO);
  const char* text = info ? ippGetString(info, 0, nullptr) : nullptr;
  return text && text == cups::HoldingInfo(saved.Name, saved.HoldingMark);
}

}  // namespace

Result<std::string> RestoreSavedQueue(const std::string& file) {
  cupsSetPasswordCB2(cups::NoPassword, nullptr);
  auto saved = cups::LoadSavedQueue(file);
  if (!saved) return saved.error();
  const cups::Queue& q = *saved;
  // A run that is moving queues now could be making a queue of this name.
  auto lock = cups::RunLock::Take(cups::kRunLockWait);
  if (!lock) return lock.error();
  cups::SchedulerStore store(std::chrono::seconds(30));
  auto queues = store.List();
  if (!queues) return queues.error();
  auto named = [&](const std::string& name) {
    return std::any_of(queues->begin(), queues->end(),
                       [&](const cups::Queue& x) { return x.Name == name; });
  };
  // A queue of that name is someone's newer work: it is not overwritten.
  if (named(q.Name))
    return PlatformError{kInvalidSetting, "The queue " + q.Name +
                                              " exists: delete it first (lpadmin -x " + q.Name +
                                              ") to put the saved one back."};
  if (Status s = store.Create(q, false); !s.ok()) return s.error();
  std::string report = "The queue " + q.Name + " is back (" + q.DeviceUri + ").\n";
  if (q.WasSystemDefault) {
    if (Status s = store.SetSystemDefault(q.Name); !s.ok()) return s.error();
    report += "It is the system default again.\n";
  }
  if (!q.JobsParkedIn.empty() && named(q.JobsParkedIn)) {
    // Only the holding queue this save made: a later run may keep another
    // queue's jobs under the same name.
    if (!IsHoldingQueueOf(store, q))
      return report + "The queue " + q.JobsParkedIn +
             " is not the one this save left its jobs in; it is left as it is.\n";
    auto jobs = store.UnfinishedJobs(q.JobsParkedIn);
    if (!jobs) return jobs.error();
    for (int id : *jobs)
      if (Status s = store.MoveJob(id, q.Name); !s.ok()) return s.error();
    if (Status s = store.Delete(q.JobsParkedIn); !s.ok()) return s.error();
    report += std::to_string(jobs->size()) + " unfinished job(s) moved back from " +
              q.JobsParkedIn + ".\n";
  }
  return report;
}

}  // namespace velloran
