#include <syslog.h>

#include <string>

#include "platform/Backends.h"

namespace velloran {

namespace {

class SyslogEventLog : public EventLog {
 public:
  Status ReportEvent(std::string_view source, uint16_t type, uint32_t eventId,
                     std::string_view text) override {
    std::string ident(source);
    ::openlog(ident.c_str(), LOG_PID, LOG_USER);
    int priority = type == kEventTypeWarning ? LOG_WARNING : type == 1 ? LOG_ERR : LOG_INFO;
    std::string message = "Event ID " + std::to_string(eventId) + ": " + std::string(text);
    ::syslog(priority, "%s", message.c_str());
    ::closelog();
    return Status::Ok();
  }
};

}  // namespace

Result<std::unique_ptr<EventLog>> MakeEventLog(std::string_view choice) {
  if (choice == "syslog") return std::unique_ptr<EventLog>(std::make_unique<SyslogEventLog>());
  if (choice.rfind("file:", 0) == 0 && choice.size() > 5)
    return MakeFileEventLog(std::string(choice.substr(5)));
  return PlatformError{kInvalidSetting, "VELLORAN_EVENTLOG must be syslog or file:PATH, not \"" + std::string(choice) + "\""};
}

}  // namespace velloran
