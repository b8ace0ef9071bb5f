#pragma once
// The network object over a queue store: connections are queues that point
// at a print server's queue.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/NetworkObject.h"
#include "platform/cups/QueueStore.h"

namespace velloran::cups {

class CupsNetworkObject : public NetworkObject, public PrinterDrivers {
 public:
  /// A queue that is deleted for good (its connection existed already) has
  /// its saved copy named in `afterGoodRun`, for the factory to delete once
  /// the run has ended well; without a list, the copy stays.
  explicit CupsNetworkObject(std::shared_ptr<QueueStore> store,
                             std::shared_ptr<std::vector<std::string>> afterGoodRun = nullptr)
      : store_(std::move(store)), afterGoodRun_(std::move(afterGoodRun)) {}

  Result<std::vector<std::string>> EnumPrinterConnections() override;
  Status RemovePrinterConnection(std::string_view path, bool, bool) override;
  Status AddWindowsPrinterConnection(std::string_view path) override;
  Result<std::string> GetDefaultPrinter() override;
  Status SetDefaultPrinter(std::string_view path) override;
  Result<std::string> ComputerName() override;

  /// Queues here are set up driverless only: a target the scheduler can
  /// build no driverless description for needs a driver this client can
  /// never get, and is named by the make and model its server reports.
  PrinterDrivers* Drivers() override { return this; }
  Result<std::optional<PrinterDriver>> QueueDriver(std::string_view share) override;
  Result<std::optional<PrinterDriver>> QueueDriverReplacing(std::string_view share,
                                                            std::string_view replacing) override;
  Result<bool> HasDriver(const PrinterDriver&) override { return false; }
  Result<DriverRules> Rules(std::string_view server) override;
  Status InstallDriver(std::string_view share, const PrinterDriver& driver) override;

 private:
  Status Recreate(const Queue& q, const std::string& device, bool driverless);
  /// Saves `q` on disk, moves its unfinished jobs to a holding queue and
  /// deletes it; a step that fails leaves it as it was.
  Status TakeDown(Queue& q, const std::vector<Queue>& all);
  /// Moves the jobs held for `q` into `into` and deletes the holding queue.
  Status Unpark(const Queue& q, const std::string& into);
  /// Recreates every removed queue with its jobs; the failures as text.
  std::string PutBackAll();
  /// The saved copy of a queue that is in place again (or still there).
  static void Forget(const Queue& q);
  static void Forget(std::vector<Queue>& queues);
  /// The saved copies of queues that are gone for good: the administrator's
  /// only way back to them if the rest of the run fails.
  void KeepUntilGoodRun(std::vector<Queue>& queues);

  std::shared_ptr<QueueStore> store_;
  std::shared_ptr<std::vector<std::string>> afterGoodRun_;
  // The queues the last removal deleted: the next add replaces them.
  std::vector<Queue> removed_;
};

}  // namespace velloran::cups
