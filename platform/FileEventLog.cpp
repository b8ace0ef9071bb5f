// The event log as a file, for tests and for administrators who collect
// files: one record per event, appended with a single locked write so that
// engines sharing the file never interleave:
//   <type> TAB <event ID> TAB <source> TAB <message> LF
// The message keeps its line breaks; a record ends where the next one starts.

#include "platform/AppendFile.h"
#include "platform/Backends.h"

namespace velloran {

namespace {

class FileEventLog : public EventLog {
 public:
  explicit FileEventLog(std::string path) : path_(std::move(path)) {}

  Status ReportEvent(std::string_view source, uint16_t type, uint32_t eventId,
                     std::string_view text) override {
    std::string record = std::to_string(type) + "\t" + std::to_string(eventId) + "\t" +
                         std::string(source) + "\t" + std::string(text) + "\n";
    return AppendBlockToFile(path_, record);
  }

 private:
  std::string path_;
};

}  // namespace

std::unique_ptr<EventLog> MakeFileEventLog(std::string path) {
  return std::make_unique<FileEventLog>(std::move(path));
}

}  // namespace velloran
