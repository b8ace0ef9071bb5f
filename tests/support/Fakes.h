#pragma once
// In-memory stand-ins for the platform seams, for unit tests of logic, and
// temp folders. Every test layer links them; they know nothing of the engine.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/EventLog.h"
#include "platform/MessageBox.h"
#include "platform/NetworkObject.h"
#include "platform/SettingsStore.h"

namespace velloran::test {

/// A fresh folder below the system temp dir, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

/// Whether `what` occurs in `text`.
inline bool Contains(std::string_view text, std::string_view what) {
  return text.find(what) != std::string_view::npos;
}
/// What a terminal, a spreadsheet or a JSON reader must never get raw from
/// untrusted text: the first control character (C0 not in `allowed`, DEL,
/// C1) or byte that is no UTF-8 in `text`, with its offset; empty when
/// there is none.
std::string RawControlIn(std::string_view text, std::string_view allowed = "\n");
std::string ReadFile(const std::filesystem::path& p);
void WriteFile(const std::filesystem::path& p, const std::string& content);

class MemorySettingsStore : public SettingsStore {
 public:
  Result<std::optional<std::string>> ReadValue(Hive hive, std::string_view keyPath,
                                               std::string_view name) override;
  Status WriteValue(Hive hive, std::string_view keyPath, std::string_view name,
                    std::string_view value) override;
  /// Keyed by hive, lower-cased key path and lower-cased value name.
  std::map<std::string, std::string> Values;
  std::optional<PlatformError> FailWrites;
};

/// Printer connections of one user, in enumeration order.
class FakeNetwork : public NetworkObjectFactory {
 public:
  Result<std::unique_ptr<NetworkObject>> Create(std::string_view progId) override;

  std::string Computer = "PC01";
  /// Connection names ("\\SRV\SHARE" or local names).
  std::vector<std::string> Connections;
  /// The default printer; removing its connection clears it.
  std::string Default;
  /// Shares that exist; empty means every add succeeds.
  std::vector<std::string> Shares;
  /// Set to make creation / the calls fail.
  std::optional<PlatformError> CreateFails, EnumFails, ComputerNameFails, SetDefaultFails;
  /// Paths whose add or remove fails, with the failure to report.
  std::map<std::string, PlatformError> AddFails, RemoveFails;
  /// Every call, as "enum", "remove \\A\B", "add \\A\B", "default \\A\B".
  std::vector<std::string> Calls;
  int ObjectsCreated = 0;
};

struct RecordedMessage {
  std::string Text, Title;
  MessageIcon Icon;
  MessageButtons Buttons;
};

class RecordingMessageBox : public MessageBox {
 public:
  MessageAnswer Show(std::string_view text, std::string_view title, MessageIcon icon,
                     MessageButtons buttons) override;
  std::vector<RecordedMessage> Shown;
  /// Answers given in order; when used up, the first button.
  std::vector<MessageAnswer> Answers;
};

struct RecordedEvent {
  std::string Source;
  uint16_t Type;
  uint32_t Id;
  std::string Text;
};

class RecordingEventLog : public EventLog {
 public:
  Status ReportEvent(std::string_view source, uint16_t type, uint32_t eventId,
                     std::string_view text) override;
  std::vector<RecordedEvent> Events;
  std::optional<PlatformError> Fails;
};

class FixedClock : public Clock {
 public:
  LocalTime Now() const override { return Time; }
  LocalTime Time{2026, 12, 7, 14, 5, 9, 60};
};

}  // namespace velloran::test
