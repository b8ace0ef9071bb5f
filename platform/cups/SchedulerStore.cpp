#include "platform/cups/SchedulerStore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <thread>

#include "platform/cups/Lpoptions.h"

namespace velloran::cups {

namespace {

// libcups leaves no useful errno behind a failed connect ("Bad file
// descriptor"); what the administrator needs is which scheduler it was.
PlatformError SchedulerNotRunning() {
  const std::string server = cupsServer();
  std::string where = server.front() == '/' ? "on the socket " + server
                                            : "at " + server + ":" + std::to_string(ippPort());
  return PlatformError{static_cast<int32_t>(IPP_STATUS_ERROR_SERVICE_UNAVAILABLE),
                       "The print scheduler " + where + " is not running: nothing answers there."};
}

}  // namespace

Result<std::vector<Queue>> SchedulerStore::List() {
  if (Status s = Connect(); !s.ok()) return s.error();
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
  const char* const wanted[] = {"printer-name", "device-uri"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                wanted);
  IppPtr response = Hold(cupsDoRequest(http_.get(), request, "/"));
  if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) return std::vector<Queue>();
  if (!response || !Succeeded()) return LastCupsError();
  std::vector<Queue> queues;
  std::string name, device;
  auto flush = [&] {
    if (!name.empty()) queues.push_back(MakeQueue(name, device));
    name.clear();
    device.clear();
  };
  for (ipp_attribute_t* a = ippFirstAttribute(response.get()); a;
       a = ippNextAttribute(response.get())) {
    const char* attrName = ippGetName(a);
    if (!attrName) {
      flush();
      continue;
    }
    if (ippGetGroupTag(a) != IPP_TAG_PRINTER) continue;
    const char* value = ippGetString(a, 0, nullptr);
    if (!std::strcmp(attrName, "printer-name") && value) name = value;
    if (!std::strcmp(attrName, "device-uri") && value) device = value;
  }
  flush();
  return queues;
}

Status SchedulerStore::Describe(Queue& q) {
  if (Status s = Connect(); !s.ok()) return s;
  ipp_t* request = NewPrinterRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, q.Name);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "all");
  IppPtr response = Hold(cupsDoRequest(http_.get(), request, "/"));
  if (!response || !Succeeded()) return LastCupsError();
  q.Attributes = response;

  FilePtr file(std::tmpfile());
  if (!file) return ErrnoError(errno);
  std::string resource = "/printers/" + q.Name + ".ppd";
  if (cupsGetFd(http_.get(), resource.c_str(), fileno(file.get())) == HTTP_STATUS_OK) {
    std::string ppd;
    std::rewind(file.get());
    char buffer[8192];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) ppd.append(buffer, n);
    q.Ppd = std::move(ppd);
  }
  return Status::Ok();
}

Status SchedulerStore::Delete(const std::string& name) {
  if (Status s = Connect(); !s.ok()) return s;
  IppPtr response = Hold(
      cupsDoRequest(http_.get(), NewPrinterRequest(IPP_OP_CUPS_DELETE_PRINTER, name), "/admin/"));
  if (!Succeeded()) return LastCupsError();
  return Status::Ok();
}

Status SchedulerStore::Create(const Queue& q, bool driverless) {
  if (Status s = Connect(); !s.ok()) return s;
  ipp_t* request = NewPrinterRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER, q.Name);
  ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, q.DeviceUri.c_str());
  if (driverless)
    ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_NAME, "ppd-name", nullptr, "everywhere");
  CopySettings(request, q, {"printer-info", "printer-location"});
  IppPtr response;
  if (!driverless && q.Ppd) {
    FilePtr ppd(std::tmpfile());
    if (!ppd) {
      ippDelete(request);
      return ErrnoError(errno);
    }
    std::fwrite(q.Ppd->data(), 1, q.Ppd->size(), ppd.get());
    std::fflush(ppd.get());
    std::rewind(ppd.get());
    response = Hold(cupsDoIORequest(http_.get(), request, "/admin/", fileno(ppd.get()), -1));
  } else {
    response = Hold(cupsDoRequest(http_.get(), request, "/admin/"));
  }
  if (!Succeeded()) return LastCupsError();
  if (driverless) {
    if (Status described = AwaitDescription(q.Name); !described.ok()) {
      (void)Delete(q.Name);
      return described;
    }
  }

  // Settings go in a second request: creating a driverless queue sets its
  // state and defaults from the server's description, over what came with it.
  if (q.Attributes) {
    ipp_t* settings = NewPrinterRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER, q.Name);
    CopySettings(
        settings, q,
        std::vector<std::string>(kCarriedSettings, kCarriedSettings + kCarriedSettingsCount));
    // A new queue is idle; asking for "idle" would also make it accept jobs.
    if (ipp_attribute_t* state =
            ippFindAttribute(q.Attributes.get(), "printer-state", IPP_TAG_ENUM);
        state && ippGetInteger(state, 0) == IPP_PSTATE_STOPPED)
      ippAddInteger(settings, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_STOPPED);
    IppPtr done = Hold(cupsDoRequest(http_.get(), settings, "/admin/"));
    Status shared = Succeeded() ? KeepSharing(q) : Status(LastCupsError());
    if (!shared.ok()) {
      // Half a replacement helps nobody: the caller puts the old one back.
      (void)Delete(q.Name);
      return shared;
    }
  }
  return Status::Ok();
}

Result<std::string> SchedulerStore::SystemDefault() {
  if (Status s = Connect(); !s.ok()) return s.error();
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
               "printer-name");
  IppPtr response = Hold(cupsDoRequest(http_.get(), request, "/"));
  if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) return std::string();
  if (!response || !Succeeded()) return LastCupsError();
  ipp_attribute_t* name = ippFindAttribute(response.get(), "printer-name", IPP_TAG_NAME);
  const char* value = name ? ippGetString(name, 0, nullptr) : nullptr;
  return std::string(value ? value : "");
}

Status SchedulerStore::SetSystemDefault(const std::string& name) {
  if (Status s = Connect(); !s.ok()) return s;
  IppPtr response =
      Hold(cupsDoRequest(http_.get(), NewPrinterRequest(IPP_OP_CUPS_SET_DEFAULT, name), "/admin/"));
  if (!Succeeded()) return LastCupsError();
  return Status::Ok();
}

Result<std::optional<std::string>> SchedulerStore::UserDefault() { return ReadUserDefault(); }

Status SchedulerStore::SetUserDefault(const std::string& name) { return WriteUserDefault(name); }

Result<std::vector<int>> SchedulerStore::UnfinishedJobs(const std::string& name) {
  if (Status s = Connect(); !s.ok()) return s.error();
  ipp_t* request = NewPrinterRequest(IPP_OP_GET_JOBS, name);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "not-completed");
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
               "job-id");
  IppPtr response = Hold(cupsDoRequest(http_.get(), request, "/"));
  if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) return std::vector<int>();
  if (!response || !Succeeded()) return LastCupsError();
  std::vector<int> jobs;
  for (ipp_attribute_t* a = ippFindAttribute(response.get(), "job-id", IPP_TAG_INTEGER); a;
       a = ippFindNextAttribute(response.get(), "job-id", IPP_TAG_INTEGER))
    jobs.push_back(ippGetInteger(a, 0));
  return jobs;
}

Status SchedulerStore::CreateHolding(const std::string& name, const std::string& info) {
  if (Status s = Connect(); !s.ok()) return s;
  ipp_t* request = NewPrinterRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER, name);
  // The scheduler allows this device whatever FileDevice says; stopped, the
  // queue never sends a job to it.
  ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, "file:///dev/null");
  ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_TEXT, "printer-info", nullptr, info.c_str());
  ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_STOPPED);
  ippAddBoolean(request, IPP_TAG_PRINTER, "printer-is-accepting-jobs", 0);
  ippAddBoolean(request, IPP_TAG_PRINTER, "printer-is-shared", 0);
  IppPtr response = Hold(cupsDoRequest(http_.get(), request, "/admin/"));
  if (!Succeeded()) return LastCupsError();
  return Status::Ok();
}

Status SchedulerStore::MoveJob(int id, const std::string& to) {
  if (Status s = Connect(); !s.ok()) return s;
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_MOVE_JOB);
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/jobs/%d",
                   id);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ippAddString(request, IPP_TAG_JOB, IPP_TAG_URI, "job-printer-uri", nullptr,
               LocalPrinterUri(to).c_str());
  IppPtr response = Hold(cupsDoRequest(http_.get(), request, "/jobs"));
  if (!Succeeded()) return LastCupsError();
  return Status::Ok();
}

// A new queue is shared when the scheduler shares by default (DefaultShared),
// so one that was not must say so; but the scheduler refuses any word on
// sharing for a queue that points at another IPP server (such a queue is
// never shared), so it is only asked for a queue that can be either.
Status SchedulerStore::KeepSharing(const Queue& q) {
  ipp_attribute_t* was = ippFindAttribute(q.Attributes.get(), "printer-is-shared", IPP_TAG_BOOLEAN);
  if (!was) return Status::Ok();
  ipp_t* request = NewPrinterRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, q.Name);
  const char* const wanted[] = {"printer-type", "printer-is-shared"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                wanted);
  IppPtr now = Hold(cupsDoRequest(http_.get(), request, "/"));
  if (!now || !Succeeded()) return LastCupsError();
  ipp_attribute_t* type = ippFindAttribute(now.get(), "printer-type", IPP_TAG_ENUM);
  ipp_attribute_t* shared = ippFindAttribute(now.get(), "printer-is-shared", IPP_TAG_BOOLEAN);
  if (!type || !shared || (ippGetInteger(type, 0) & CUPS_PRINTER_REMOTE) ||
      ippGetBoolean(shared, 0) == ippGetBoolean(was, 0))
    return Status::Ok();
  ipp_t* change = NewPrinterRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER, q.Name);
  ippAddBoolean(change, IPP_TAG_PRINTER, "printer-is-shared", ippGetBoolean(was, 0));
  IppPtr done = Hold(cupsDoRequest(http_.get(), change, "/admin/"));
  if (!Succeeded()) return LastCupsError();
  return Status::Ok();
}

Status SchedulerStore::Connect() {
  if (http_) return Status::Ok();
  http_.reset(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000,
                           nullptr));
  if (!http_) return SchedulerNotRunning();
  return Status::Ok();
}

// The scheduler builds a driverless queue's description in the background
// and answers before it is done; settings given earlier would be replaced,
// and a server that cannot describe its queue leaves a queue that cannot
// print. The queue is ready when its PPD can be read.
Status SchedulerStore::AwaitDescription(const std::string& name) {
  const std::string resource = "/printers/" + name + ".ppd";
  auto deadline = std::chrono::steady_clock::now() + descriptionWait_;
  while (true) {
    FilePtr sink(std::tmpfile());
    if (!sink) return ErrnoError(errno);
    if (cupsGetFd(http_.get(), resource.c_str(), fileno(sink.get())) == HTTP_STATUS_OK)
      return Status::Ok();
    if (std::chrono::steady_clock::now() > deadline)
      return PlatformError{static_cast<int32_t>(IPP_STATUS_ERROR_DEVICE),
                           "The print server gave no description of the printer " + name +
                               " for a driverless queue; no queue was created."};
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

void SchedulerStore::CopySettings(ipp_t* request, const Queue& q,
                                  const std::vector<std::string>& names) {
  if (!q.Attributes) return;
  for (const std::string& n : names) {
    ipp_attribute_t* a = ippFindAttribute(q.Attributes.get(), n.c_str(), IPP_TAG_ZERO);
    if (!a) continue;
    ipp_tag_t tag = ippGetValueTag(a);
    if (tag == IPP_TAG_NOVALUE || tag == IPP_TAG_UNKNOWN || tag == IPP_TAG_NOTSETTABLE ||
        tag == IPP_TAG_DELETEATTR || tag == IPP_TAG_ADMINDEFINE)
      continue;
    ippCopyAttribute(request, a, 0);
  }
}

}  // namespace velloran::cups
