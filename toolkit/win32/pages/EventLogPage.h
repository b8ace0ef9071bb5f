#pragma once
// Application Event Log: whether the engine writes to the event log.

#include "toolkit/win32/pages/Page.h"

namespace velloran::win32 {

class EventLogPage : public Page {
 public:
  explicit EventLogPage(PageHost& host);

 private:
  void BuildBody() override;
};

}  // namespace velloran::win32
