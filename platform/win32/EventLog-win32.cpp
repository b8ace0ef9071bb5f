// "eventlog": the application event log. "file:PATH": one record per event,
// in the same format as on the other systems.

#include "platform/AppendFile.h"
#include "platform/Backends.h"
#include "platform/CodePage.h"
#include "platform/win32/Windows-win32.h"

namespace velloran {

namespace {

class WindowsEventLog : public EventLog {
 public:
  Status ReportEvent(std::string_view source, uint16_t type, uint32_t eventId,
                     std::string_view text) override {
    // The entry holds the ANSI form of the text, raw data included.
    std::string name = Utf8ToAnsi(source), message = Utf8ToAnsi(text);
    HANDLE log = ::RegisterEventSourceA(nullptr, name.c_str());
    if (!log) return LastWin32Error();
    // The message file renders the text as the one insertion string; the
    // raw data carries it again, zero included, for viewers without it.
    const char* strings[] = {message.c_str()};
    BOOL ok = ::ReportEventA(log, type, 0, eventId, nullptr, 1, static_cast<DWORD>(message.size() + 1),
                             strings, message.data());
    Status result = ok ? Status() : LastWin32Error();
    ::DeregisterEventSource(log);
    return result;
  }
};

}  // namespace

Result<std::unique_ptr<EventLog>> MakeEventLog(std::string_view choice) {
  if (choice == "eventlog") return std::unique_ptr<EventLog>(std::make_unique<WindowsEventLog>());
  if (choice.rfind("file:", 0) == 0 && choice.size() > 5)
    return MakeFileEventLog(std::string(choice.substr(5)));
  return PlatformError{kInvalidSetting, "VELLORAN_EVENTLOG must be eventlog or file:PATH, not \"" + std::string(choice) + "\""};
}

}  // namespace velloran
