#include "check/ipp/IppShareLister.h"

#include <cups/cups.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/CodePage.h"
#include "platform/cups/DeviceUri.h"

namespace velloran::check {

namespace {

struct HttpClose {
  void operator()(http_t* h) const { httpClose(h); }
};
struct IppDelete {
  void operator()(ipp_t* p) const { ippDelete(p); }
};
using Http = std::unique_ptr<http_t, HttpClose>;
using Ipp = std::unique_ptr<ipp_t, IppDelete>;

bool Denied(ipp_status_t s) {
  return s == IPP_STATUS_ERROR_NOT_AUTHORIZED || s == IPP_STATUS_ERROR_FORBIDDEN ||
         s == IPP_STATUS_ERROR_NOT_AUTHENTICATED;
}

bool Succeeded(ipp_status_t s) { return s <= IPP_STATUS_OK_EVENTS_COMPLETE; }

// A request that got no IPP answer at all: the connection failed or the
// time ran out.
bool NoAnswer(const Ipp& response) { return !response; }

int GiveUp(http_t*, void*) { return 0; }

ServerAnswer Failure(ServerState state, std::string detail) {
  ServerAnswer a;
  a.State = state;
  a.Detail = std::move(detail);
  return a;
}

ServerAnswer TimedOut() {
  ServerAnswer a = Failure(ServerState::Unreachable, "timed out");
  a.TimedOut = true;
  return a;
}

std::string LastError() {
  const char* text = cupsLastErrorString();
  return text && *text ? text : ippErrorString(cupsLastError());
}

// A request without an IPP answer: the connection broke, or the deadline
// ended the wait.
ServerAnswer Silent(Clock::time_point deadline) {
  if (Clock::now() >= deadline) return TimedOut();
  return Failure(ServerState::Unreachable, LastError());
}

class IppShareLister : public ShareLister {
 public:
  explicit IppShareLister(IppOptions options) : options_(options) {}

  ServerAnswer Ask(const ServerQuestion& question, Clock::time_point deadline) override {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return TimedOut();
    std::string host = question.Server;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
      host = host.substr(1, host.size() - 2);
    int cancel = 0;
    Http http(
        httpConnect2(host.c_str(), options_.Port, nullptr, AF_UNSPEC,
                     options_.Encrypted ? HTTP_ENCRYPTION_ALWAYS : HTTP_ENCRYPTION_IF_REQUESTED, 1,
                     static_cast<int>(left), &cancel));
    if (!http) {
      const int err = errno;
      if (Clock::now() >= deadline) return TimedOut();
      return Failure(ServerState::Unreachable, err ? std::strerror(err) : LastError());
    }
    // Every later wait on the connection ends at the deadline.
    const double seconds = std::chrono::duration<double>(deadline - Clock::now()).count();
    httpSetTimeout(http.get(), std::max(seconds, 0.001), GiveUp, nullptr);

    ServerAnswer answer;
    answer.State = ServerState::Answered;
    if (question.WholeList) {
      ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
      ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                   "printer-name");
      Ipp response(cupsDoRequest(http.get(), request, "/"));
      const ipp_status_t status = cupsLastError();
      if (NoAnswer(response)) return Silent(deadline);
      if (Denied(status)) return Failure(ServerState::AccessDenied, LastError());
      // A server that is no CUPS scheduler need not list its queues; each
      // asked one is still asked by name below.
      if (Succeeded(status) || status == IPP_STATUS_ERROR_NOT_FOUND) {
        answer.WholeList = true;
        for (ipp_attribute_t* a = ippFindAttribute(response.get(), "printer-name", IPP_TAG_NAME); a;
             a = ippFindNextAttribute(response.get(), "printer-name", IPP_TAG_NAME))
          answer.Shares.push_back(
              Share{ippGetString(a, 0, nullptr), ShareKind::Printer, {}, false});
      }
    }
    for (const std::string& share : question.Shares) {
      if (answer.WholeList) break;
      DeviceTarget target{
          options_.Encrypted ? "ipps" : "ipp", {}, question.Server, options_.Port, share, {}};
      const IppAddress address = IppAddressOf(target);
      ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
      ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                   address.PrinterUri.c_str());
      ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                   "printer-state");
      Ipp response(cupsDoRequest(http.get(), request, address.Resource.c_str()));
      const ipp_status_t status = cupsLastError();
      if (NoAnswer(response)) return Silent(deadline);
      if (Denied(status))
        answer.Denied.push_back(share);
      else if (Succeeded(status))
        answer.Shares.push_back(Share{share, ShareKind::Printer, {}, false});
    }
    if (!question.WholeList || answer.WholeList) return answer;
    answer.State = question.Shares.empty() ? ServerState::NotCheckable : ServerState::Answered;
    answer.Detail = "the server does not list its queues";
    return answer;
  }

 private:
  const IppOptions options_;
};

}  // namespace

std::shared_ptr<ShareLister> MakeIppShareLister(IppOptions options) {
  return std::make_shared<IppShareLister>(options);
}

}  // namespace velloran::check
