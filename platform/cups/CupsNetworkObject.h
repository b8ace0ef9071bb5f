#pragma once
// The network object over a queue store: connections are queues that point
// at a print server's queue.

#include <memory>
#include <string>
#include <vector>

#include "platform/NetworkObject.h"
#include "platform/cups/QueueStore.h"

namespace velloran::cups {

class CupsNetworkObject : public NetworkObject {
 public:
  explicit CupsNetworkObject(std::shared_ptr<QueueStore> store) : store_(std::move(store)) {}

  Result<std::vector<std::string>> EnumPrinterConnections() override;
  Status RemovePrinterConnection(std::string_view path, bool, bool) override;
  Status AddWindowsPrinterConnection(std::string_view path) override;
  Result<std::string> GetDefaultPrinter() override;
  Status SetDefaultPrinter(std::string_view path) override;
  Result<std::string> ComputerName() override;

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

  std::shared_ptr<QueueStore> store_;
  // The queues the last removal deleted: the next add replaces them.
  std::vector<Queue> removed_;
};

}  // namespace velloran::cups
