#pragma once
// Two print servers on their own loopback addresses (same port, so that a
// connection's server name is its address alone) and a client scheduler
// whose queues point at them.

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "tests/support/Cupsd.h"

namespace velloran::test {

inline bool Contains(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

struct CupsMachines : ::testing::Test {
  static constexpr const char* kOld = "127.0.0.2";
  static constexpr const char* kNew = "127.0.0.3";

  int port = FreePortOn({kOld, kNew});
  Cupsd oldServer{kOld, port};
  Cupsd newServer{kNew, port};
  Cupsd client;
  TempDir home;
  TempDir state;  // where queues are saved before they are deleted

  void SetUp() override {
    // The backend in this process talks to the client scheduler; the user's
    // lpoptions file lives in a home of the test's own.
    ::setenv("CUPS_SERVER", client.Address().c_str(), 1);
    ::setenv("HOME", home.str().c_str(), 1);
    ::unsetenv("SUDO_USER");
    ::setenv("VELLORAN_QUEUE_STATE", (state / "queues").c_str(), 1);
    cupsSetServer(nullptr);
  }

  std::string Uri(const char* server, const std::string& queue) const {
    return std::string("ipp://") + server + ":" + std::to_string(port) + "/printers/" + queue;
  }
  static std::string Path(const char* server, const std::string& queue) {
    return std::string("\\\\") + server + "\\" + queue;
  }

  using Response = std::unique_ptr<ipp_t, void (*)(ipp_t*)>;

  /// One request about a client queue to the machine's scheduler.
  static Response AskQueue(ipp_op_t op, const std::string& queue, const char* attributes,
                           const char* whichJobs = nullptr) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/printers/%s", queue.c_str());
    ipp_t* request = ippNewRequest(op);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    if (whichJobs)
      ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, whichJobs);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 attributes);
    return Response(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"), ippDelete);
  }

  /// One attribute of a client queue as the scheduler reports it ("" when
  /// it reports none).
  static std::string Attribute(const std::string& queue, const std::string& name) {
    auto response = AskQueue(IPP_OP_GET_PRINTER_ATTRIBUTES, queue, "all");
    if (!response) return "";
    ipp_attribute_t* a = ippFindAttribute(response.get(), name.c_str(), IPP_TAG_ZERO);
    if (!a) return "";
    char value[1024];
    ippAttributeString(a, value, sizeof value);
    return value;
  }

  /// The states of a queue's unfinished jobs ("held", "pending", ...), sorted.
  static std::vector<std::string> Jobs(const std::string& queue) {
    auto response = AskQueue(IPP_OP_GET_JOBS, queue, "job-state", "not-completed");
    std::vector<std::string> states;
    if (!response) return states;
    for (ipp_attribute_t* a = ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM); a;
         a = ippFindNextAttribute(response.get(), "job-state", IPP_TAG_ENUM)) {
      int state = ippGetInteger(a, 0);
      states.push_back(state == IPP_JSTATE_HELD      ? "held"
                       : state == IPP_JSTATE_PENDING ? "pending"
                                                     : ippEnumString("job-state", state));
    }
    std::sort(states.begin(), states.end());
    return states;
  }

  /// The machine's default queue (lpstat -d would show the user's).
  static std::string SystemDefault() {
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
    std::unique_ptr<ipp_t, void (*)(ipp_t*)> response(
        cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"), ippDelete);
    ipp_attribute_t* a =
        response ? ippFindAttribute(response.get(), "printer-name", IPP_TAG_NAME) : nullptr;
    return a ? ippGetString(a, 0, nullptr) : "";
  }

  /// Waits until a job sent to the client's queue shows completed on `server`.
  static bool JobArrives(const Cupsd& server, const std::string& queue) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      if (Contains(server.CompletedJobs(queue), queue + "-")) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
  }
};

}  // namespace velloran::test
