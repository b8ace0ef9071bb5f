// A connection is a local queue whose device URI names a print server's
// queue (see DeviceUri.h); removing it deletes the queue, adding it creates
// a driverless queue after asking the server whether the queue exists. A
// queue that replaces removed ones takes over their names and settings, so
// applications keep their printer names.

#include "platform/cups/CupsNetworkObject.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <random>

#include "platform/Paths.h"
#include "platform/cups/SavedQueue.h"

namespace velloran::cups {

namespace {

// The server's answer about its queue; null when the server answered for
// the queue but wants credentials before it describes it.
Result<IppPtr> AskServerFor(const DeviceTarget& target,
                            std::initializer_list<const char*> attributes) {
  IppAddress address = IppAddressOf(target);
  std::string host = target.Server;
  if (host.size() > 2 && host.front() == '[') host = host.substr(1, host.size() - 2);
  http_encryption_t encryption =
      address.Scheme == "ipps" ? HTTP_ENCRYPTION_ALWAYS : HTTP_ENCRYPTION_IF_REQUESTED;
  HttpPtr http(
      httpConnect2(host.c_str(), address.Port, nullptr, AF_UNSPEC, encryption, 1, 10000, nullptr));
  if (!http) return PrinterNameInvalid();
  httpSetTimeout(http.get(), 15.0, nullptr, nullptr);
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
               address.PrinterUri.c_str());
  std::vector<const char*> names(attributes);
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(names.size()), nullptr, names.data());
  IppPtr response = Hold(cupsDoRequest(http.get(), request, address.Resource.c_str()));
  ipp_status_t status = cupsLastError();
  if (response && status <= IPP_STATUS_OK_EVENTS_COMPLETE) return response;
  // A server that wants credentials before it describes a queue has still
  // answered for it.
  if (response &&
      (status == IPP_STATUS_ERROR_NOT_AUTHORIZED || status == IPP_STATUS_ERROR_FORBIDDEN))
    return IppPtr();
  return PrinterNameInvalid();
}

// Whether the server's queue answers an IPP Get-Printer-Attributes. The
// scheduler itself would create a queue for a share that does not exist and
// report the failure only in its log.
Status AskServer(const DeviceTarget& target) {
  auto asked = AskServerFor(target, {"printer-state"});
  if (!asked) return asked.error();
  return Status::Ok();
}

const Queue* Find(const std::vector<Queue>& queues, const std::string& name) {
  for (const Queue& q : queues)
    if (q.Name == name) return &q;
  return nullptr;
}

// A name no queue has, for the queue that keeps another's jobs.
std::string HoldingName(const std::string& name, const std::vector<Queue>& queues) {
  // Queue names are at most 127 bytes.
  const std::string base = name.substr(0, 100) + "-moving";
  std::string candidate = base;
  for (int n = 2; Find(queues, candidate); ++n) candidate = base + "-" + std::to_string(n);
  return candidate;
}

// Names the holding queue of one removal, so that restore-queue can tell it
// from a later run's of the same name.
std::string NewHoldingMark() {
  static std::mt19937_64 random{std::random_device{}()};
  char text[40];
  std::snprintf(text, sizeof text, "run %d-%016llx", static_cast<int>(::getpid()),
                static_cast<unsigned long long>(random()));
  return text;
}

std::string FreshName(const std::vector<Queue>& queues, const DeviceTarget& target) {
  std::string name = QueueNameFor(target.Share);
  if (!Find(queues, name)) return name;
  return QueueNameFor(target.Share + "_" + target.Server);
}

}  // namespace

Result<std::vector<std::string>> CupsNetworkObject::EnumPrinterConnections() {
  auto queues = store_->List();
  if (!queues) return queues.error();
  std::vector<std::string> items;
  for (const Queue& q : *queues) {
    items.push_back(q.Name);
    items.push_back(q.Path());
  }
  return items;
}

Status CupsNetworkObject::RemovePrinterConnection(std::string_view path, bool, bool) {
  auto queues = store_->List();
  if (!queues) return queues.error();
  std::vector<Queue> matches;
  for (const Queue& q : *queues)
    if (q.Target && SameName(q.Path(), path)) matches.push_back(q);
  if (matches.empty()) return ConnectionMissing();
  auto systemDefault = store_->SystemDefault();
  // Everything is read before anything is deleted, so a queue that
  // cannot be described is not lost.
  for (Queue& q : matches) {
    if (Status s = store_->Describe(q); !s.ok()) return s;
    q.WasSystemDefault = systemDefault.ok() && *systemDefault == q.Name;
  }
  removed_.clear();
  for (Queue& q : matches) {
    if (Status s = TakeDown(q, *queues); !s.ok()) {
      // All or nothing: the queues deleted before this one come back.
      std::string notes = PutBackAll();
      return PlatformError{s.error().Number, s.error().Description + notes};
    }
    removed_.push_back(std::move(q));
  }
  return Status::Ok();
}

Status CupsNetworkObject::AddWindowsPrinterConnection(std::string_view path) {
  if (!SplitConnectionPath(path)) return PrinterNameInvalid();
  // Putting back what was just removed (a roll-back) restores it as it
  // was: its device, driver, settings and unfinished jobs.
  if (!removed_.empty() && SameName(removed_.front().Path(), path)) {
    std::string notes = PutBackAll();
    if (!notes.empty())
      return PlatformError{static_cast<int32_t>(IPP_STATUS_ERROR_INTERNAL),
                           "Not every queue could be put back." + notes};
    return Status::Ok();
  }
  auto queues = store_->List();
  if (!queues) return queues.error();
  // Connecting to a printer the machine already has changes nothing.
  if (auto have =
          std::find_if(queues->begin(), queues->end(),
                       [&](const Queue& q) { return q.Target && SameName(q.Path(), path); });
      have != queues->end()) {
    // The jobs of the queues it replaces print there; the queues themselves
    // are not made again.
    for (const Queue& q : removed_)
      if (Status s = Unpark(q, have->Name); !s.ok()) return s;
    KeepUntilGoodRun(removed_);
    return Status::Ok();
  }
  const DeviceTarget* like = removed_.empty() ? nullptr : &*removed_.front().Target;
  // A new connection uses IPP's port, which IPP_PORT may change as for
  // every CUPS program.
  auto target = TargetForConnection(path, like, ippPort());
  if (!target) return PrinterNameInvalid();
  if (target->Scheme == "smb")
    return PlatformError{
        kNotSupported,
        "A queue on an smb:// device cannot be set up without a driver: its server "
        "is not asked over IPP. Create it by hand."};
  if (Status s = AskServer(*target); !s.ok()) return s;

  const std::string device = DeviceUriOf(*target);
  std::vector<Queue> created;
  std::vector<Queue> wanted = removed_;
  if (wanted.empty()) wanted.push_back(MakeQueue(FreshName(*queues, *target), device));
  for (const Queue& q : wanted) {
    if (Status s = Recreate(q, device, true); !s.ok()) {
      for (const Queue& c : created) (void)store_->Delete(c.Name);
      return s;
    }
    created.push_back(q);
  }
  // A job that cannot move fails the add: the roll-back turns the queue
  // back into the old one and the jobs still waiting go there.
  for (const Queue& q : removed_)
    if (Status s = Unpark(q, q.Name); !s.ok()) return s;
  Forget(removed_);
  return Status::Ok();
}

Result<std::string> CupsNetworkObject::GetDefaultPrinter() {
  auto queues = store_->List();
  if (!queues) return queues.error();
  std::string name;
  auto user = store_->UserDefault();
  if (!user) return user.error();
  if (*user && Find(*queues, **user)) {
    name = **user;
  } else {
    auto system = store_->SystemDefault();
    if (!system) return system.error();
    name = *system;
  }
  const Queue* q = Find(*queues, name);
  return q ? q->Path() : name;
}

Status CupsNetworkObject::SetDefaultPrinter(std::string_view path) {
  auto queues = store_->List();
  if (!queues) return queues.error();
  auto q = std::find_if(queues->begin(), queues->end(),
                        [&](const Queue& x) { return SameName(x.Path(), path); });
  if (q == queues->end()) return ConnectionMissing();
  // A user who chose a default keeps choosing; otherwise the machine's
  // default is the user's.
  auto user = store_->UserDefault();
  if (!user) return user.error();
  if (*user) return store_->SetUserDefault(q->Name);
  return store_->SetSystemDefault(q->Name);
}

// Whether the scheduler can build a driverless description from what the
// server says of its queue: a format a driverless queue prints in (PWG or
// Apple raster with the attributes that describe them, or PDF) and the
// media the printer takes. A raw queue on a print server names PDF among
// the formats it accepts, but no media, and the scheduler refuses it. The
// test errs towards "yes": a queue it lets through and the scheduler then
// refuses is moved the old way, removed and put back.
bool DescribesDriverless(ipp_t* answer) {
  auto has = [answer](const char* name) {
    return ippFindAttribute(answer, name, IPP_TAG_ZERO) != nullptr;
  };
  ipp_attribute_t* formats =
      ippFindAttribute(answer, "document-format-supported", IPP_TAG_MIMETYPE);
  if (!formats) return false;
  const bool pwg = ippContainsString(formats, "image/pwg-raster") &&
                   has("pwg-raster-document-resolution-supported") &&
                   has("pwg-raster-document-type-supported");
  const bool apple = ippContainsString(formats, "image/urf") && has("urf-supported");
  const bool pdf = ippContainsString(formats, "application/pdf");
  const bool media =
      has("media-col-database") || has("media-size-supported") || has("media-supported");
  return (pwg || apple || pdf) && media;
}

Result<std::optional<PrinterDriver>> CupsNetworkObject::QueueDriver(std::string_view share) {
  return QueueDriverReplacing(share, {});
}

Result<std::optional<PrinterDriver>> CupsNetworkObject::QueueDriverReplacing(
    std::string_view share, std::string_view replacing) {
  auto queues = store_->List();
  if (!queues) return queues.error();
  // Connecting to a queue the machine has already sets nothing up.
  const DeviceTarget* like = nullptr;
  for (const Queue& q : *queues) {
    if (q.Target && SameName(q.Path(), share)) return std::optional<PrinterDriver>();
    // The add reaches the new queue as the first queue it replaces was reached.
    if (!like && q.Target && !replacing.empty() && SameName(q.Path(), replacing)) like = &*q.Target;
  }
  auto target = TargetForConnection(share, like, ippPort());
  if (!target) return PrinterNameInvalid();
  if (target->Scheme == "smb")
    return PlatformError{kNotSupported, "A queue on an smb:// device is not asked over IPP."};
  auto asked = AskServerFor(
      *target, {"document-format-supported", "printer-make-and-model",
                "pwg-raster-document-resolution-supported", "pwg-raster-document-type-supported",
                "urf-supported", "media-col-database", "media-size-supported", "media-supported"});
  if (!asked) return asked.error();
  if (!*asked)
    return PlatformError{kAccessDenied,
                         "The print server does not describe its queue without credentials."};
  ipp_t* answer = asked->get();
  if (DescribesDriverless(answer)) return std::optional<PrinterDriver>();
  PrinterDriver driver;
  if (ipp_attribute_t* model = ippFindAttribute(answer, "printer-make-and-model", IPP_TAG_TEXT))
    if (const char* text = ippGetString(model, 0, nullptr))
      driver.Name = std::string(text).substr(0, 127);  // IPP's own limit for the attribute
  if (driver.Name.empty()) driver.Name = "(no driverless description)";
  return std::optional<PrinterDriver>(std::move(driver));
}

Result<DriverRules> CupsNetworkObject::Rules(std::string_view) {
  DriverRules rules;
  rules.UserMayInstall = false;
  rules.Why =
      "This computer sets up printers driverless only, and the print server does not describe "
      "this queue as a driverless printer (a format such as PWG raster, Apple raster or PDF, "
      "and its media).";
  return rules;
}

Status CupsNetworkObject::InstallDriver(std::string_view, const PrinterDriver&) {
  return PlatformError{kNotSupported,
                       "A CUPS client installs no printer driver: its queues are set up "
                       "driverless."};
}

Result<std::string> CupsNetworkObject::ComputerName() {
  std::string host = HostName();
  if (host.empty()) return PlatformError{1, "The computer name cannot be read."};
  return host;
}

Status CupsNetworkObject::Recreate(const Queue& q, const std::string& device, bool driverless) {
  Queue copy = q;
  copy.DeviceUri = device;
  if (Status s = store_->Create(copy, driverless); !s.ok()) return s;
  // The queue is in place; a default that cannot be set again does not
  // undo it (the engine keeps the user's default itself).
  if (q.WasSystemDefault) (void)store_->SetSystemDefault(q.Name);
  return Status::Ok();
}

Status CupsNetworkObject::TakeDown(Queue& q, const std::vector<Queue>& all) {
  auto jobs = store_->UnfinishedJobs(q.Name);
  if (!jobs) return jobs.error();
  if (!jobs->empty()) {
    q.JobsParkedIn = HoldingName(q.Name, all);
    q.HoldingMark = NewHoldingMark();
  }
  if (store_->DeletesForReal()) {
    auto saved = SaveQueue(q);
    if (!saved) return saved.error();
    q.SavedAt = *saved;
  }
  if (!jobs->empty()) {
    if (Status s = store_->CreateHolding(q.JobsParkedIn, HoldingInfo(q.Name, q.HoldingMark));
        !s.ok()) {
      Forget(q);
      return s;
    }
    for (int id : *jobs) {
      if (Status s = store_->MoveJob(id, q.JobsParkedIn); !s.ok()) {
        // A job that cannot move keeps its queue, and those moved go back.
        (void)Unpark(q, q.Name);
        Forget(q);
        return PlatformError{s.error().Number, "The queue " + q.Name + " is kept: its job " +
                                                   std::to_string(id) + " cannot be moved (" +
                                                   s.error().Description + ")."};
      }
    }
  }
  if (Status s = store_->Delete(q.Name); !s.ok()) {
    (void)Unpark(q, q.Name);
    Forget(q);
    return s;
  }
  return Status::Ok();
}

Status CupsNetworkObject::Unpark(const Queue& q, const std::string& into) {
  if (q.JobsParkedIn.empty()) return Status::Ok();
  auto jobs = store_->UnfinishedJobs(q.JobsParkedIn);
  if (!jobs) return jobs.error();
  for (int id : *jobs)
    if (Status s = store_->MoveJob(id, into); !s.ok())
      return PlatformError{s.error().Number, "The job " + std::to_string(id) + " of " + q.Name +
                                                 " cannot be moved to " + into + " (" +
                                                 s.error().Description + "); it waits in " +
                                                 q.JobsParkedIn + "."};
  return store_->Delete(q.JobsParkedIn);
}

std::string CupsNetworkObject::PutBackAll() {
  std::string notes;
  for (const Queue& q : removed_) {
    Status s = Recreate(q, q.DeviceUri, false);
    if (s.ok()) s = Unpark(q, q.Name);
    if (s.ok()) {
      Forget(q);
      continue;
    }
    std::string why = s.error().Description;
    if (!why.empty() && why.back() != '.') why += '.';
    notes += " The queue " + q.Name + " could not be put back: " + why;
    if (!q.SavedAt.empty())
      notes += " Its settings are saved in " + q.SavedAt + "; \"velloran restore-queue " +
               q.SavedAt + "\" puts it back.";
  }
  removed_.clear();
  return notes;
}

void CupsNetworkObject::Forget(const Queue& q) {
  if (!q.SavedAt.empty()) ::unlink(q.SavedAt.c_str());
}

void CupsNetworkObject::KeepUntilGoodRun(std::vector<Queue>& queues) {
  if (afterGoodRun_)
    for (const Queue& q : queues)
      if (!q.SavedAt.empty()) afterGoodRun_->push_back(q.SavedAt);
  queues.clear();
}

void CupsNetworkObject::Forget(std::vector<Queue>& queues) {
  for (const Queue& q : queues) Forget(q);
  queues.clear();
}

}  // namespace velloran::cups
