// The network object over CUPS. A connection is a local queue whose device
// URI names a print server's queue (see DeviceUri.h); removing it deletes the
// queue, adding it creates a driverless queue after asking the server whether
// the queue exists. A queue that replaces removed ones takes over their
// names and settings, so applications keep their printer names.

#include <cups/cups.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/cups/CupsNetwork.h"
#include "platform/cups/DeviceUri.h"

namespace velloran {

namespace {

constexpr int32_t kConnectionMissing = -2147022646;
constexpr int32_t kPrinterNameInvalid = -2147023095;
constexpr int32_t kNotSupported = 50;  // ERROR_NOT_SUPPORTED
constexpr auto kDescriptionWait = std::chrono::seconds(30);

PlatformError ConnectionMissing() { return {kConnectionMissing, "This network connection does not exist."}; }
PlatformError PrinterNameInvalid() { return {kPrinterNameInvalid, "The printer name is invalid."}; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

using IppPtr = std::shared_ptr<ipp_t>;
IppPtr Hold(ipp_t* p) { return IppPtr(p, [](ipp_t* q) { ippDelete(q); }); }

struct HttpClose {
  void operator()(http_t* h) const { httpClose(h); }
};
using HttpPtr = std::unique_ptr<http_t, HttpClose>;

struct FileClose {
  void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileClose>;

// A run has nobody to type a password: a request that needs one fails with
// the scheduler's own answer ("Forbidden") instead of waiting at a prompt.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) { return nullptr; }

bool Succeeded() { return cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE; }

PlatformError LastCupsError() {
  const char* text = cupsLastErrorString();
  return {static_cast<int32_t>(cupsLastError()), text && *text ? text : ippErrorString(cupsLastError())};
}

std::string LocalPrinterUri(const std::string& name) {
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                   name.c_str());
  return uri;
}

ipp_t* NewPrinterRequest(ipp_op_t op, const std::string& name) {
  ipp_t* request = ippNewRequest(op);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, LocalPrinterUri(name).c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  return request;
}

/// One local queue; what is needed to create it again is read before removal.
struct Queue {
  std::string Name;
  std::string DeviceUri;
  std::optional<DeviceTarget> Target;  // when it points at a server's queue
  IppPtr Attributes;                   // every attribute the scheduler reports
  std::optional<std::string> Ppd;      // its PPD; none for a raw queue
  bool WasSystemDefault = false;

  std::string Path() const { return Target ? ConnectionPathOf(*Target) : Name; }
};

Queue MakeQueue(std::string name, std::string device) {
  Queue q;
  q.Name = std::move(name);
  q.DeviceUri = std::move(device);
  q.Target = ParseNetworkDevice(q.DeviceUri);
  return q;
}

// The settings a replacement takes over from the queue it replaces: state,
// access and the job defaults users chose (media, duplex, colour mode, ...).
const char* const kCarriedSettings[] = {
    "printer-is-accepting-jobs",  "printer-error-policy",          "printer-op-policy",
    "job-sheets-default",         "requesting-user-name-allowed",  "requesting-user-name-denied",
    "media-default",              "media-source-default",          "media-type-default",
    "sides-default",              "print-color-mode-default",      "print-quality-default",
    "output-bin-default",         "number-up-default",             "orientation-requested-default",
    "printer-resolution-default", "finishings-default",            "job-hold-until-default",
    "job-priority-default",       "copies-default",
};

// ---- the user's lpoptions file ----------------------------------------------

struct LpoptionsFile {
  std::string Path;
  uid_t Owner = static_cast<uid_t>(-1);
  gid_t Group = static_cast<gid_t>(-1);
};

// A logon hook runs the engine through sudo: the user whose default it keeps
// is the one who logged on, not root.
LpoptionsFile UserLpoptions() {
  LpoptionsFile f;
  std::string home;
  if (::geteuid() == 0) {
    if (const char* sudoUser = std::getenv("SUDO_USER"); sudoUser && *sudoUser) {
      if (const passwd* pw = ::getpwnam(sudoUser)) {
        home = pw->pw_dir;
        f.Owner = pw->pw_uid;
        f.Group = pw->pw_gid;
      }
    }
  }
  if (home.empty()) {
    if (const char* h = std::getenv("HOME"); h && *h)
      home = h;
    else if (const passwd* pw = ::getpwuid(::getuid()))
      home = pw->pw_dir;
  }
  f.Path = home.empty() ? "" : JoinPath(JoinPath(home, ".cups"), "lpoptions");
  return f;
}

struct LpoptionsLine {
  std::string Keyword, Dest, Rest;  // Rest: everything after the destination
  std::string Text;
};

std::vector<LpoptionsLine> ParseLpoptions(const std::string& text) {
  std::vector<LpoptionsLine> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    std::string raw = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    pos = nl == std::string::npos ? text.size() : nl + 1;
    LpoptionsLine l;
    l.Text = raw;
    size_t a = raw.find_first_not_of(" \t");
    size_t b = a == std::string::npos ? a : raw.find_first_of(" \t", a);
    size_t c = b == std::string::npos ? b : raw.find_first_not_of(" \t", b);
    size_t d = c == std::string::npos ? c : raw.find_first_of(" \t", c);
    if (c != std::string::npos) {
      l.Keyword = raw.substr(a, b - a);
      l.Dest = raw.substr(c, d == std::string::npos ? std::string::npos : d - c);
      l.Rest = d == std::string::npos ? "" : raw.substr(d);
    }
    lines.push_back(std::move(l));
  }
  return lines;
}

// The queue part of "NAME" or "NAME/INSTANCE".
std::string QueueOf(const std::string& dest) { return dest.substr(0, dest.find('/')); }

// ---- where the queues live ----------------------------------------------------

/// The machine's queues and defaults: the scheduler itself, or a copy of it
/// for a rehearsal.
class QueueStore {
 public:
  virtual ~QueueStore() = default;
  virtual Result<std::vector<Queue>> List() = 0;
  /// Completes `q` with what creating it again needs.
  virtual Status Describe(Queue& q) = 0;
  virtual Status Delete(const std::string& name) = 0;
  /// Creates `q` from its PPD, or driverless when `driverless` is set; then
  /// gives it the settings of its attributes.
  virtual Status Create(const Queue& q, bool driverless) = 0;
  /// The system default queue's name; empty when there is none.
  virtual Result<std::string> SystemDefault() = 0;
  virtual Status SetSystemDefault(const std::string& name) = 0;
  /// The user's own default ("Default" line of lpoptions), if the user chose one.
  virtual std::optional<std::string> UserDefault() = 0;
  virtual Status SetUserDefault(const std::string& name) = 0;
};

class SchedulerStore : public QueueStore {
 public:
  Result<std::vector<Queue>> List() override {
    if (Status s = Connect(); !s.ok()) return s.error();
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    const char* const wanted[] = {"printer-name", "device-uri"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
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
    for (ipp_attribute_t* a = ippFirstAttribute(response.get()); a; a = ippNextAttribute(response.get())) {
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

  Status Describe(Queue& q) override {
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

  Status Delete(const std::string& name) override {
    if (Status s = Connect(); !s.ok()) return s;
    IppPtr response = Hold(cupsDoRequest(http_.get(), NewPrinterRequest(IPP_OP_CUPS_DELETE_PRINTER, name), "/admin/"));
    if (!Succeeded()) return LastCupsError();
    return Status::Ok();
  }

  Status Create(const Queue& q, bool driverless) override {
    if (Status s = Connect(); !s.ok()) return s;
    ipp_t* request = NewPrinterRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER, q.Name);
    ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, q.DeviceUri.c_str());
    if (driverless) ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_NAME, "ppd-name", nullptr, "everywhere");
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
      CopySettings(settings, q, std::vector<std::string>(std::begin(kCarriedSettings), std::end(kCarriedSettings)));
      // A new queue is idle; asking for "idle" would also make it accept jobs.
      if (ipp_attribute_t* state = ippFindAttribute(q.Attributes.get(), "printer-state", IPP_TAG_ENUM);
          state && ippGetInteger(state, 0) == IPP_PSTATE_STOPPED)
        ippAddInteger(settings, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_STOPPED);
      // The scheduler refuses to share a queue that points at another
      // server; only a shared queue asks for it.
      if (ipp_attribute_t* shared = ippFindAttribute(q.Attributes.get(), "printer-is-shared", IPP_TAG_BOOLEAN);
          shared && ippGetBoolean(shared, 0))
        ippAddBoolean(settings, IPP_TAG_PRINTER, "printer-is-shared", 1);
      IppPtr done = Hold(cupsDoRequest(http_.get(), settings, "/admin/"));
      if (!Succeeded()) {
        PlatformError error = LastCupsError();
        // Half a replacement helps nobody: the caller puts the old one back.
        (void)Delete(q.Name);
        return error;
      }
    }
    return Status::Ok();
  }

  Result<std::string> SystemDefault() override {
    if (Status s = Connect(); !s.ok()) return s.error();
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "printer-name");
    IppPtr response = Hold(cupsDoRequest(http_.get(), request, "/"));
    if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) return std::string();
    if (!response || !Succeeded()) return LastCupsError();
    ipp_attribute_t* name = ippFindAttribute(response.get(), "printer-name", IPP_TAG_NAME);
    const char* value = name ? ippGetString(name, 0, nullptr) : nullptr;
    return std::string(value ? value : "");
  }

  Status SetSystemDefault(const std::string& name) override {
    if (Status s = Connect(); !s.ok()) return s;
    IppPtr response = Hold(cupsDoRequest(http_.get(), NewPrinterRequest(IPP_OP_CUPS_SET_DEFAULT, name), "/admin/"));
    if (!Succeeded()) return LastCupsError();
    return Status::Ok();
  }

  std::optional<std::string> UserDefault() override {
    LpoptionsFile file = UserLpoptions();
    if (file.Path.empty()) return std::nullopt;
    auto text = ReadWholeFile(file.Path);
    if (!text) return std::nullopt;
    for (const auto& line : ParseLpoptions(*text))
      if (SameName(line.Keyword, "Default")) return QueueOf(line.Dest);
    return std::nullopt;
  }

  Status SetUserDefault(const std::string& name) override {
    LpoptionsFile file = UserLpoptions();
    auto text = ReadWholeFile(file.Path);
    if (!text) return text.error();
    std::string out;
    bool named = false;
    for (auto& line : ParseLpoptions(*text)) {
      bool dest = SameName(line.Keyword, "Dest") || SameName(line.Keyword, "Default");
      if (dest && line.Dest == name) {
        out += "Default " + line.Dest + line.Rest + "\n";
        named = true;
      } else if (SameName(line.Keyword, "Default")) {
        out += "Dest " + line.Dest + line.Rest + "\n";
      } else {
        out += line.Text + "\n";
      }
    }
    if (!named) out += "Default " + name + "\n";
    if (Status s = WriteFileAtomically(file.Path, out); !s.ok()) return s;
    if (file.Owner != static_cast<uid_t>(-1) && ::chown(file.Path.c_str(), file.Owner, file.Group) != 0)
      return ErrnoError(errno);
    return Status::Ok();
  }

 private:
  Status Connect() {
    if (http_) return Status::Ok();
    http_.reset(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr));
    if (!http_)
      return PlatformError{static_cast<int32_t>(IPP_STATUS_ERROR_SERVICE_UNAVAILABLE),
                           std::string("The print scheduler ") + cupsServer() +
                               " cannot be reached: " + std::strerror(errno)};
    return Status::Ok();
  }

  // The scheduler builds a driverless queue's description in the background
  // and answers before it is done; settings given earlier would be replaced,
  // and a server that cannot describe its queue leaves a queue that cannot
  // print. The queue is ready when its PPD can be read.
  Status AwaitDescription(const std::string& name) {
    const std::string resource = "/printers/" + name + ".ppd";
    auto deadline = std::chrono::steady_clock::now() + kDescriptionWait;
    while (true) {
      FilePtr sink(std::tmpfile());
      if (!sink) return ErrnoError(errno);
      if (cupsGetFd(http_.get(), resource.c_str(), fileno(sink.get())) == HTTP_STATUS_OK) return Status::Ok();
      if (std::chrono::steady_clock::now() > deadline)
        return PlatformError{static_cast<int32_t>(IPP_STATUS_ERROR_DEVICE),
                             "The print server did not describe the printer " + name +
                                 " within 30 seconds; no queue was created."};
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }

  static void CopySettings(ipp_t* request, const Queue& q, const std::vector<std::string>& names) {
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

  HttpPtr http_;
};

// A rehearsal: the scheduler's queues read once, then changed in memory.
class RehearsalStore : public QueueStore {
 public:
  Result<std::vector<Queue>> List() override {
    if (Status s = Load(); !s.ok()) return s.error();
    return queues_;
  }
  Status Describe(Queue&) override { return Load(); }
  Status Delete(const std::string& name) override {
    if (Status s = Load(); !s.ok()) return s;
    std::erase_if(queues_, [&](const Queue& q) { return q.Name == name; });
    if (systemDefault_ == name) systemDefault_.clear();
    return Status::Ok();
  }
  Status Create(const Queue& q, bool) override {
    if (Status s = Load(); !s.ok()) return s;
    queues_.push_back(MakeQueue(q.Name, q.DeviceUri));
    return Status::Ok();
  }
  Result<std::string> SystemDefault() override {
    if (Status s = Load(); !s.ok()) return s.error();
    return systemDefault_;
  }
  Status SetSystemDefault(const std::string& name) override {
    systemDefault_ = name;
    return Status::Ok();
  }
  std::optional<std::string> UserDefault() override {
    (void)Load();
    return userDefault_;
  }
  Status SetUserDefault(const std::string& name) override {
    userDefault_ = name;
    return Status::Ok();
  }

 private:
  Status Load() {
    if (loaded_) return Status::Ok();
    auto queues = live_.List();
    if (!queues) return queues.error();
    auto systemDefault = live_.SystemDefault();
    if (!systemDefault) return systemDefault.error();
    queues_ = std::move(*queues);
    systemDefault_ = std::move(*systemDefault);
    userDefault_ = live_.UserDefault();
    loaded_ = true;
    return Status::Ok();
  }

  SchedulerStore live_;
  bool loaded_ = false;
  std::vector<Queue> queues_;
  std::string systemDefault_;
  std::optional<std::string> userDefault_;
};

// Whether the server's queue answers an IPP Get-Printer-Attributes. The
// scheduler itself would create a queue for a share that does not exist and
// report the failure only in its log.
Status AskServer(const DeviceTarget& target) {
  IppAddress address = IppAddressOf(target);
  std::string host = target.Server;
  if (host.size() > 2 && host.front() == '[') host = host.substr(1, host.size() - 2);
  http_encryption_t encryption =
      address.Scheme == "ipps" ? HTTP_ENCRYPTION_ALWAYS : HTTP_ENCRYPTION_IF_REQUESTED;
  HttpPtr http(httpConnect2(host.c_str(), address.Port, nullptr, AF_UNSPEC, encryption, 1, 10000, nullptr));
  if (!http) return PrinterNameInvalid();
  httpSetTimeout(http.get(), 15.0, nullptr, nullptr);
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, address.PrinterUri.c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "printer-state");
  IppPtr response = Hold(cupsDoRequest(http.get(), request, address.Resource.c_str()));
  ipp_status_t status = cupsLastError();
  // A server that wants credentials before it describes a queue has still
  // answered for it.
  if (response && (status <= IPP_STATUS_OK_EVENTS_COMPLETE || status == IPP_STATUS_ERROR_NOT_AUTHORIZED ||
                   status == IPP_STATUS_ERROR_FORBIDDEN))
    return Status::Ok();
  return PrinterNameInvalid();
}

class CupsNetworkObject : public NetworkObject {
 public:
  explicit CupsNetworkObject(std::shared_ptr<QueueStore> store) : store_(std::move(store)) {}

  Result<std::vector<std::string>> EnumPrinterConnections() override {
    auto queues = store_->List();
    if (!queues) return queues.error();
    std::vector<std::string> items;
    for (const Queue& q : *queues) {
      items.push_back(q.Name);
      items.push_back(q.Path());
    }
    return items;
  }

  Status RemovePrinterConnection(std::string_view path, bool, bool) override {
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

  Status AddWindowsPrinterConnection(std::string_view path) override {
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
      return PlatformError{kNotSupported,
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

  Result<std::string> GetDefaultPrinter() override {
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

  Status SetDefaultPrinter(std::string_view path) override {
    auto queues = store_->List();
    if (!queues) return queues.error();
    auto q = std::find_if(queues->begin(), queues->end(), [&](const Queue& x) { return SameName(x.Path(), path); });
    if (q == queues->end()) return ConnectionMissing();
    // A user who chose a default keeps choosing; otherwise the machine's
    // default is the user's.
    if (store_->UserDefault()) return store_->SetUserDefault(q->Name);
    return store_->SetSystemDefault(q->Name);
  }

  Result<std::string> ComputerName() override {
    std::string host = HostName();
    if (host.empty()) return PlatformError{1, "The computer name cannot be read."};
    return host;
  }

 private:
  static const Queue* Find(const std::vector<Queue>& queues, const std::string& name) {
    for (const Queue& q : queues)
      if (q.Name == name) return &q;
    return nullptr;
  }

  static std::string FreshName(const std::vector<Queue>& queues, const DeviceTarget& target) {
    std::string name = QueueNameFor(target.Share);
    if (!Find(queues, name)) return name;
    return QueueNameFor(target.Share + "_" + target.Server);
  }

  Status Recreate(const Queue& q, const std::string& device, bool driverless) {
    Queue copy = q;
    copy.DeviceUri = device;
    if (Status s = store_->Create(copy, driverless); !s.ok()) return s;
    // The queue is in place; a default that cannot be set again does not
    // undo it (the engine keeps the user's default itself).
    if (q.WasSystemDefault) (void)store_->SetSystemDefault(q.Name);
    return Status::Ok();
  }

  std::shared_ptr<QueueStore> store_;
  // The queues the last removal deleted: the next add replaces them.
  std::vector<Queue> removed_;
};

class CupsFactory : public NetworkObjectFactory {
 public:
  explicit CupsFactory(bool rehearse) {
    cupsSetPasswordCB2(NoPassword, nullptr);
    if (rehearse) rehearsal_ = std::make_shared<RehearsalStore>();
  }
  Result<std::unique_ptr<NetworkObject>> Create(std::string_view) override {
    std::shared_ptr<QueueStore> store = rehearsal_;
    if (!store) store = std::make_shared<SchedulerStore>();
    return std::unique_ptr<NetworkObject>(std::make_unique<CupsNetworkObject>(std::move(store)));
  }

 private:
  std::shared_ptr<RehearsalStore> rehearsal_;
};

}  // namespace

Result<std::unique_ptr<NetworkObjectFactory>> MakeCupsNetwork(bool rehearse) {
  return std::unique_ptr<NetworkObjectFactory>(std::make_unique<CupsFactory>(rehearse));
}

}  // namespace velloran
