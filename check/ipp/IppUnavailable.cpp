// A build without libcups: IPP servers cannot be asked.

#include "check/ipp/IppShareLister.h"

namespace velloran::check {

namespace {

class NoIpp : public ShareLister {
 public:
  ServerAnswer Ask(const ServerQuestion&, Clock::time_point) override {
    return ServerAnswer{
        ServerState::NotCheckable, "built without the CUPS client library", {}, false, {}};
  }
};

}  // namespace

std::shared_ptr<ShareLister> MakeIppShareLister(IppOptions) { return std::make_shared<NoIpp>(); }

}  // namespace velloran::check
