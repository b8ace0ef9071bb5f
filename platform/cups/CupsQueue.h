#pragma once
// What the CUPS backend's parts share: IPP helpers, the Windows-style
// failures it reports, and one local queue as read from the scheduler.

#include <cups/cups.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Error.h"
#include "platform/cups/DeviceUri.h"

namespace velloran::cups {

inline constexpr int32_t kConnectionMissing = -2147022646;
inline constexpr int32_t kPrinterNameInvalid = -2147023095;
inline constexpr int32_t kNotSupported = 50;  // ERROR_NOT_SUPPORTED
inline constexpr int32_t kAccessDenied = 5;   // ERROR_ACCESS_DENIED

PlatformError ConnectionMissing();
PlatformError PrinterNameInvalid();

/// Queue and server names compare without regard to ASCII case, as Windows does.
bool SameName(std::string_view a, std::string_view b);

using IppPtr = std::shared_ptr<ipp_t>;
IppPtr Hold(ipp_t* p);

struct HttpClose {
  void operator()(http_t* h) const { httpClose(h); }
};
using HttpPtr = std::unique_ptr<http_t, HttpClose>;

struct FileClose {
  void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileClose>;

/// A password callback that never gives one.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*);

/// Whether the last request of this thread succeeded.
bool Succeeded();
PlatformError LastCupsError();

/// ipp://localhost/printers/NAME
std::string LocalPrinterUri(const std::string& name);
/// A request about one local queue, in the name of this process's user.
ipp_t* NewPrinterRequest(ipp_op_t op, const std::string& name);

/// One local queue; what is needed to create it again is read before removal.
struct Queue {
  std::string Name;
  std::string DeviceUri;
  std::optional<DeviceTarget> Target;  // when it points at a server's queue
  IppPtr Attributes;                   // every attribute the scheduler reports
  std::optional<std::string> Ppd;      // its PPD; none for a raw queue
  bool WasSystemDefault = false;
  std::string JobsParkedIn;  // the holding queue of its unfinished jobs, while it is replaced
  std::string HoldingMark;   // what tells that holding queue from a later one of the same name
  std::string SavedAt;       // the file its settings were saved to before it was deleted

  std::string Path() const { return Target ? ConnectionPathOf(*Target) : Name; }
};

Queue MakeQueue(std::string name, std::string device);

/// The description (printer-info) of the holding queue that keeps the jobs
/// of `forQueue`, with the mark of the run that made it: a later run may
/// make a holding queue of the same name, which is not this one.
std::string HoldingInfo(const std::string& forQueue, const std::string& mark);

/// The settings a replacement takes over from the queue it replaces.
extern const char* const kCarriedSettings[];
extern const size_t kCarriedSettingsCount;

}  // namespace velloran::cups
