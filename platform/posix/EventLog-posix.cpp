#include <fcntl.h>
#include <sys/file.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
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
    return std::nullopt;
  }
};

// One record per event, appended with a single write under a lock, so that
// engines sharing the file never interleave:
//   <type> TAB <event ID> TAB <source> TAB <message> LF
// The message keeps its line breaks; a record ends at the next line that
// starts a new record.
class FileEventLog : public EventLog {
 public:
  explicit FileEventLog(std::string path) : path_(std::move(path)) {}

  Status ReportEvent(std::string_view source, uint16_t type, uint32_t eventId,
                     std::string_view text) override {
    std::string record = std::to_string(type) + "\t" + std::to_string(eventId) + "\t" +
                         std::string(source) + "\t" + std::string(text) + "\n";
    int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return ErrnoError(errno);
    ::flock(fd, LOCK_EX);
    Status result;
    ssize_t n = ::write(fd, record.data(), record.size());
    if (n < 0)
      result = ErrnoError(errno);
    else if (static_cast<size_t>(n) != record.size())
      result = PlatformError{EIO, "Short write to the event log file"};
    ::close(fd);
    return result;
  }

 private:
  std::string path_;
};

}  // namespace

Result<std::unique_ptr<EventLog>> MakeEventLog(std::string_view choice) {
  if (choice == "syslog") return std::unique_ptr<EventLog>(std::make_unique<SyslogEventLog>());
  if (choice.rfind("file:", 0) == 0 && choice.size() > 5)
    return std::unique_ptr<EventLog>(std::make_unique<FileEventLog>(std::string(choice.substr(5))));
  return PlatformError{22, "VELLORAN_EVENTLOG must be syslog or file:PATH, not \"" + std::string(choice) + "\""};
}

}  // namespace velloran
