#include "platform/cups/CupsQueue.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace velloran::cups {

PlatformError ConnectionMissing() {
  return {kConnectionMissing, "This network connection does not exist."};
}
PlatformError PrinterNameInvalid() { return {kPrinterNameInvalid, "The printer name is invalid."}; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

IppPtr Hold(ipp_t* p) {
  return IppPtr(p, [](ipp_t* q) { ippDelete(q); });
}

// A run has nobody to type a password: a request that needs one fails with
// the scheduler's own answer ("Forbidden") instead of waiting at a prompt.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) { return nullptr; }

bool Succeeded() { return cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE; }

PlatformError LastCupsError() {
  const char* text = cupsLastErrorString();
  return {static_cast<int32_t>(cupsLastError()),
          text && *text ? text : ippErrorString(cupsLastError())};
}

std::string LocalPrinterUri(const std::string& name) {
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                   "/printers/%s", name.c_str());
  return uri;
}

ipp_t* NewPrinterRequest(ipp_op_t op, const std::string& name) {
  ipp_t* request = ippNewRequest(op);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
               LocalPrinterUri(name).c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  return request;
}

std::string HoldingInfo(const std::string& forQueue, const std::string& mark) {
  return "Jobs of " + forQueue + " while it is replaced (" + mark + ")";
}

Queue MakeQueue(std::string name, std::string device) {
  Queue q;
  q.Name = std::move(name);
  q.DeviceUri = std::move(device);
  q.Target = ParseNetworkDevice(q.DeviceUri);
  return q;
}

// The settings a replacement takes over from the queue it replaces, and a
// queue put back gets again: state, access, quotas, where it stands and the
// job defaults users chose (media, duplex, colour mode, ...). Sharing is
// carried apart (see SchedulerStore::KeepSharing).
const char* const kCarriedSettings[] = {
    "printer-is-accepting-jobs",
    "printer-error-policy",
    "printer-op-policy",
    "job-sheets-default",
    "requesting-user-name-allowed",
    "requesting-user-name-denied",
    "media-default",
    "media-source-default",
    "media-type-default",
    "sides-default",
    "print-color-mode-default",
    "print-quality-default",
    "output-bin-default",
    "number-up-default",
    "orientation-requested-default",
    "printer-resolution-default",
    "finishings-default",
    "job-hold-until-default",
    "job-priority-default",
    "copies-default",
    "fit-to-page-default",
    "print-scaling-default",
    "job-quota-period",
    "job-page-limit",
    "job-k-limit",
    "port-monitor",
    "printer-geo-location",
    "printer-organization",
    "printer-organizational-unit",
};
const size_t kCarriedSettingsCount = std::size(kCarriedSettings);

}  // namespace velloran::cups
