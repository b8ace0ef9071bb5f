#include "platform/NullBackends.h"

namespace velloran {

namespace {

class NoNetwork : public NetworkObjectFactory {
 public:
  Result<std::unique_ptr<NetworkObject>> Create(std::string_view) override {
    return CannotCreateObject();
  }
};

class NoDirectory : public DirectoryService {
 public:
  Result<std::unique_ptr<DirectoryObject>> GetObject(std::string_view) override {
    return CannotCreateObject();
  }
  Result<std::unique_ptr<DirectoryConnection>> OpenConnection(std::string_view) override {
    return CannotCreateObject();
  }
};

class NoSettings : public SettingsStore {
 public:
  Result<std::optional<std::string>> ReadValue(Hive, std::string_view, std::string_view) override {
    return CannotCreateObject();
  }
  Status WriteValue(Hive, std::string_view, std::string_view, std::string_view) override {
    return CannotCreateObject();
  }
};

class NoEventLog : public EventLog {
 public:
  Status ReportEvent(std::string_view, uint16_t, uint32_t, std::string_view) override {
    return PlatformError{1, "No event log is available."};
  }
};

class ForgettingSettings : public SettingsStore {
 public:
  Result<std::optional<std::string>> ReadValue(Hive, std::string_view, std::string_view) override {
    return std::optional<std::string>();
  }
  Status WriteValue(Hive, std::string_view, std::string_view, std::string_view) override {
    return Status::Ok();
  }
};

class ForgettingEventLog : public EventLog {
 public:
  Status ReportEvent(std::string_view, uint16_t, uint32_t, std::string_view) override {
    return Status::Ok();
  }
};

class NoMessages : public MessageBox {
 public:
  MessageAnswer Show(std::string_view, std::string_view, MessageIcon, MessageButtons buttons) override {
    return FirstButton(buttons);
  }
};

// Stateless, so one instance of each serves every caller.
template <typename T>
T& Instance() {
  static T instance;
  return instance;
}

}  // namespace

PlatformError CannotCreateObject() {
  return PlatformError{kCannotCreateObject, "ActiveX component can't create object"};
}

NetworkObjectFactory& UnavailableNetwork() { return Instance<NoNetwork>(); }
DirectoryService& UnavailableDirectory() { return Instance<NoDirectory>(); }
SettingsStore& UnavailableSettingsStore() { return Instance<NoSettings>(); }
EventLog& UnavailableEventLog() { return Instance<NoEventLog>(); }
SettingsStore& DiscardingSettingsStore() { return Instance<ForgettingSettings>(); }
EventLog& DiscardingEventLog() { return Instance<ForgettingEventLog>(); }
MessageBox& SilentMessageBox() { return Instance<NoMessages>(); }

}  // namespace velloran
