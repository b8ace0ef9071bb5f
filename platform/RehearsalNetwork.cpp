#include "platform/RehearsalNetwork.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/ConnectionName.h"

namespace velloran {

namespace {

PlatformError ConnectionMissing() {
  return PlatformError{kConnectionMissing, "This network connection does not exist."};
}

/// What was read from the live object, and what the rehearsal did to it.
/// Every network object of one run sees the same state, as the objects of a
/// real run see the same system.
struct Snapshot {
  std::unique_ptr<NetworkObject> Live;
  /// Port and name in turn, as the live object listed them; an item that
  /// could not be read stays its failure.
  Result<std::vector<Result<std::string>>> Items = std::vector<Result<std::string>>();
  Result<std::string> Default = std::string();
  Result<std::string> Computer = std::string();
  /// Drivers the rehearsal installed, by folded name.
  std::set<std::string> Installed;

  /// The index of the name item of `path`'s connection, compared as the
  /// system compares names.
  std::optional<size_t> Find(std::string_view path) const {
    if (!Items) return std::nullopt;
    for (size_t i = 1; i < Items->size(); i += 2) {
      const Result<std::string>& name = (*Items)[i];
      if (name && SameText(*name, path)) return i;
    }
    return std::nullopt;
  }
};

class RehearsalDrivers : public PrinterDrivers {
 public:
  RehearsalDrivers(Snapshot& state, PrinterDrivers& live) : state_(state), live_(live) {}

  Result<std::optional<PrinterDriver>> QueueDriver(std::string_view share) override {
    return live_.QueueDriver(share);
  }
  Result<bool> HasDriver(const PrinterDriver& driver) override {
    if (state_.Installed.contains(FoldCase(driver.Name))) return true;
    return live_.HasDriver(driver);
  }
  Result<DriverRules> Rules(std::string_view server) override { return live_.Rules(server); }
  Status InstallDriver(std::string_view, const PrinterDriver& driver) override {
    state_.Installed.insert(FoldCase(driver.Name));
    return Status::Ok();
  }

 private:
  Snapshot& state_;
  PrinterDrivers& live_;
};

class RehearsalObject : public NetworkObject {
 public:
  explicit RehearsalObject(Snapshot& state) : state_(state) {
    if (PrinterDrivers* live = state.Live->Drivers())
      drivers_ = std::make_unique<RehearsalDrivers>(state, *live);
  }

  Result<std::vector<Result<std::string>>> EnumPrinterConnectionItems() override {
    return state_.Items;
  }

  // An unreadable item fails the whole listing here, as it does live.
  Result<std::vector<std::string>> EnumPrinterConnections() override {
    if (!state_.Items) return state_.Items.error();
    std::vector<std::string> out;
    for (const Result<std::string>& item : *state_.Items) {
      if (!item) return item.error();
      out.push_back(*item);
    }
    return out;
  }

  Status RemovePrinterConnection(std::string_view path, bool, bool) override {
    if (Status s = CheckConnectionName(path); !s.ok()) return s;
    if (!state_.Items) return state_.Items.error();
    std::optional<size_t> at = state_.Find(path);
    if (!at) return ConnectionMissing();
    // The default goes with its printer, as it does when the system removes
    // the connection; keeping it is the caller's job.
    if (state_.Default && SameText(*state_.Default, path)) state_.Default = std::string();
    auto& items = *state_.Items;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(*at - 1),
                items.begin() + static_cast<std::ptrdiff_t>(*at + 1));
    return Status::Ok();
  }

  // The new server is not asked whether the queue is there: asking would
  // be a connection attempt of its own. The rehearsal shows the moves the
  // INI file and the directory ask for.
  Status AddWindowsPrinterConnection(std::string_view path) override {
    if (Status s = CheckConnectionPath(path); !s.ok()) return s;
    if (!state_.Items) return state_.Items.error();
    // Connecting to a printer the user already has changes nothing.
    if (state_.Find(path)) return Status::Ok();
    const size_t n = state_.Items->size() / 2 % 100;
    state_.Items->emplace_back(std::string("Ne") + static_cast<char>('0' + n / 10) +
                               static_cast<char>('0' + n % 10) + ":");
    state_.Items->emplace_back(std::string(path));
    return Status::Ok();
  }

  Result<std::string> GetDefaultPrinter() override { return state_.Default; }

  Status SetDefaultPrinter(std::string_view path) override {
    std::optional<size_t> at = state_.Find(path);
    if (!at) return ConnectionMissing();
    state_.Default = *(*state_.Items)[*at];
    return Status::Ok();
  }

  Result<std::string> ComputerName() override { return state_.Computer; }

  PrinterDrivers* Drivers() override { return drivers_.get(); }

 private:
  Snapshot& state_;
  std::unique_ptr<RehearsalDrivers> drivers_;
};

class RehearsalFactory : public NetworkObjectFactory {
 public:
  explicit RehearsalFactory(std::unique_ptr<NetworkObjectFactory> live) : live_(std::move(live)) {}

  Result<std::unique_ptr<NetworkObject>> Create(std::string_view progId) override {
    if (!state_.Live) {
      // Until the live object could be created, every creation asks again,
      // as a real run's would.
      auto object = live_->Create(progId);
      if (!object) return object.error();
      state_.Live = std::move(*object);
      state_.Items = state_.Live->EnumPrinterConnectionItems();
      state_.Default = state_.Live->GetDefaultPrinter();
      state_.Computer = state_.Live->ComputerName();
    }
    return std::unique_ptr<NetworkObject>(std::make_unique<RehearsalObject>(state_));
  }

  // What the live backend keeps for undoing a run belongs to real runs.
  void RunEnded(bool) override {}

 private:
  std::unique_ptr<NetworkObjectFactory> live_;
  Snapshot state_;
};

}  // namespace

std::unique_ptr<NetworkObjectFactory> MakeRehearsalNetwork(
    std::unique_ptr<NetworkObjectFactory> live) {
  return std::make_unique<RehearsalFactory>(std::move(live));
}

}  // namespace velloran
