// A connection is a local queue whose device URI names a print server's
// queue (see DeviceUri.h); removing it deletes the queue, adding it creates
// a driverless queue after asking the server whether the queue exists. A
// queue that replaces removed ones takes over their names and settings, so
// applications keep their printer names.

#include "platform/cups/CupsNetworkObject.h"

#include <algorithm>

#include "platform/Paths.h"

namespace velloran::cups {

namespace {

// Whether the server's queue answers an IPP Get-Printer-Attributes. The
// scheduler itself would create a queue for a share that does not exist and
// report the failure only in its log.
Status AskServer(const DeviceTarget& target) {
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
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
               "printer-state");
  IppPtr response = Hold(cupsDoRequest(http.get(), request, address.Resource.c_str()));
  ipp_status_t status = cupsLastError();
  // A server that wants credentials before it describes a queue has still
  // answered for it.
  if (response &&
      (status <= IPP_STATUS_OK_EVENTS_COMPLETE || status == IPP_STATUS_ERROR_NOT_AUTHORIZED ||
       status == IPP_STATUS_ERROR_FORBIDDEN))
    return Status::Ok();
  return PrinterNameInvalid();
}

const Queue* Find(const std::vector<Queue>& queues, const std::string& name) {
  for (const Queue& q : queues)
    if (q.Name == name) return &q;
  return nullptr;
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
  for (Queue& q : *queues)
    if (q.Target && SameName(q.Path(), path)) matches.push_back(std::move(q));
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
    if (Status s = store_->Delete(q.Name); !s.ok()) return s;
    removed_.push_back(std::move(q));
  }
  return Status::Ok();
}

Status CupsNetworkObject::AddWindowsPrinterConnection(std::string_view path) {
  if (!SplitConnectionPath(path)) return PrinterNameInvalid();
  // Putting back what was just removed (a roll-back) restores it as it
  // was: its device, driver and settings.
  if (!removed_.empty() && SameName(removed_.front().Path(), path)) {
    for (const Queue& q : removed_)
      if (Status s = Recreate(q, q.DeviceUri, false); !s.ok()) return s;
    removed_.clear();
    return Status::Ok();
  }
  auto queues = store_->List();
  if (!queues) return queues.error();
  // Connecting to a printer the machine already has changes nothing.
  if (std::any_of(queues->begin(), queues->end(),
                  [&](const Queue& q) { return q.Target && SameName(q.Path(), path); })) {
    removed_.clear();
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
  removed_.clear();
  return Status::Ok();
}

Result<std::string> CupsNetworkObject::GetDefaultPrinter() {
  auto queues = store_->List();
  if (!queues) return queues.error();
  std::string name;
  if (auto user = store_->UserDefault(); user && Find(*queues, *user)) {
    name = *user;
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
  if (store_->UserDefault()) return store_->SetUserDefault(q->Name);
  return store_->SetSystemDefault(q->Name);
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

}  // namespace velloran::cups
