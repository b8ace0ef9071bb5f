#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/Backends.h"

namespace velloran {

namespace {

// The C library's syslog() cannot say whether a record arrived: with no
// logging daemon it drops the record in silence, and the run would log the
// event as written. Speaking the local socket's protocol directly gives the
// failure back, so it is reported like any other event-log failure.
class SyslogEventLog : public EventLog {
 public:
  explicit SyslogEventLog(std::string socketPath) : socketPath_(std::move(socketPath)) {}

  Status ReportEvent(std::string_view source, uint16_t type, uint32_t eventId,
                     std::string_view text) override {
    const int level = type == kEventTypeWarning ? LOG_WARNING : type == 1 ? LOG_ERR : LOG_INFO;
    std::string record = "<" + std::to_string(LOG_USER | level) + ">" + Timestamp() + " " +
                         std::string(source) + "[" + std::to_string(::getpid()) +
                         "]: Event ID " + std::to_string(eventId) + ": " + std::string(text);

    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof addr.sun_path) return ErrnoError(ENAMETOOLONG);
    std::memcpy(addr.sun_path, socketPath_.c_str(), socketPath_.size() + 1);

    // Datagrams first, as the daemons listen; a stream socket takes the
    // record with its terminating NUL.
    Status last = ErrnoError(ENOENT);
    for (int kind : {SOCK_DGRAM, SOCK_STREAM}) {
      int fd = ::socket(AF_UNIX, kind | SOCK_CLOEXEC, 0);
      if (fd < 0) return ErrnoError(errno);
      if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        const int err = errno;
        ::close(fd);
        last = ErrnoError(err);
        if (err == EPROTOTYPE) continue;
        return last;
      }
      const size_t size = record.size() + (kind == SOCK_STREAM ? 1 : 0);
      ssize_t sent = ::send(fd, record.c_str(), size, MSG_NOSIGNAL);
      last = sent == static_cast<ssize_t>(size) ? Status::Ok()
                                                  : ErrnoError(sent < 0 ? errno : EMSGSIZE);
      ::close(fd);
      return last;
    }
    return last;
  }

 private:
  static std::string Timestamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%b %e %T", &local);
    return buf;
  }

  std::string socketPath_;
};

}  // namespace

std::unique_ptr<EventLog> MakeSyslogEventLog(std::string socketPath) {
  return std::make_unique<SyslogEventLog>(std::move(socketPath));
}

Result<std::unique_ptr<EventLog>> MakeEventLog(std::string_view choice) {
  if (choice == "syslog") return MakeSyslogEventLog("/dev/log");
  if (choice.rfind("file:", 0) == 0 && choice.size() > 5)
    return MakeFileEventLog(std::string(choice.substr(5)));
  return PlatformError{kInvalidSetting, "VELLORAN_EVENTLOG must be syslog or file:PATH, not \"" + std::string(choice) + "\""};
}

}  // namespace velloran
